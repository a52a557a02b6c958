#include "HostDataTestSupport.h"

#include "objects/F2DataLookups.h"
#include "objects/F2DataServer.h"
#include "schema/SchemaInfo.h"

namespace {

using hostdatatest::HostDataTest;
using kv::Variant;
using Reply = slip::F2DataServer::ReplyElement;

// The 19-element request of the program windows' LookupF2.
Variant lookupRequest(const char *name, const char *key, Variant conditions, const char *text, const std::string &db)
{
    return kv::varArrayOf({name, key, std::move(conditions), false, text, "01", db, 0, 1, false, 3, "", "", "",
                           "", true, true, Variant(), "DS"});
}

std::vector<std::string> firstColumn(const Variant &reply)
{
    std::vector<std::string> codes;
    const kv::VariantArray &rows = reply[Reply::Rows].array();
    for (int i = rows.lowBound(); i <= rows.highBound(); ++i)
        codes.push_back(rows.at(i)[0].toText());
    return codes;
}

using Codes = std::vector<std::string>;

class F2DataServerTest : public HostDataTest {
protected:
    void SetUp() override
    {
        HostDataTest::SetUp();
        if (IsSkipped())
            return;
        f2 = std::make_shared<slip::F2DataServer>(database);
        insert("CMSMQ", {{"MQ001", "5401"}, {"MQ002", "一般领料单"}, {"MQ003", "54"}});
        insert("CMSMQ", {{"MQ001", "5402"}, {"MQ002", "O'Neil 领料"}, {"MQ003", "54"}});
        insert("CMSMQ", {{"MQ001", "5501"}, {"MQ002", "退料单 100%_A"}, {"MQ003", "55"}});
        insert("CMSMQ", {{"MQ001", "5502"}, {"MQ002", "退料单 100xxA"}, {"MQ003", "55"}});
        insert("CMSMQ", {{"MQ001", "3401"}, {"MQ002", "进货单"}, {"MQ003", "34"}});
    }

    Variant lookup(const char *name, const char *key, Variant conditions, const char *text)
    {
        return f2->call("F2GetData", {lookupRequest(name, key, std::move(conditions), text, company)});
    }

    std::shared_ptr<slip::F2DataServer> f2;
};

TEST_P(F2DataServerTest, SlipTypeLookupGivesCaptionedRowsOfTheNatures)
{
    const Variant reply = lookup("CMSMQ", "19", kv::varArrayOf({"54", "55"}), "");
    ASSERT_TRUE(reply.isArray()) << f2->lastError();
    EXPECT_EQ(reply[Reply::Title].toText(), "单据性质信息");
    EXPECT_EQ(reply[Reply::ColumnNames][0].toText(), "MQ001");
    EXPECT_EQ(reply[Reply::ColumnCaptions][1].toText(), "单据名称");
    EXPECT_EQ(firstColumn(reply), (Codes{"5401", "5402", "5501", "5502"}));
    EXPECT_EQ(reply[Reply::Rows][0][1].toText(), "一般领料单");
    EXPECT_FALSE(reply[Reply::MoreRows].toBool());
}

TEST_P(F2DataServerTest, SearchTextIsMatchedLiterallyInCodeAndName)
{
    EXPECT_EQ(firstColumn(lookup("CMSMQ", "19", kv::varArrayOf({"54", "55"}), "O'Neil")), Codes{"5402"});
    // "%" and "_" in the text are characters to find, not wildcards.
    EXPECT_EQ(firstColumn(lookup("CMSMQ", "19", kv::varArrayOf({"54", "55"}), "100%_")), Codes{"5501"});
    EXPECT_EQ(firstColumn(lookup("CMSMQ", "19", kv::varArrayOf({"54", "55"}), "550")), (Codes{"5501", "5502"}));
    EXPECT_EQ(firstColumn(lookup("CMSMQ", "19", Variant(), "单")), (Codes{"3401", "5401", "5501", "5502"}));
}

TEST_P(F2DataServerTest, RowLimitCutsTheListAndSaysSo)
{
    f2->put("RowLimit", 2);
    const Variant reply = lookup("CMSMQ", "19", Variant(), "");
    EXPECT_EQ(firstColumn(reply), (Codes{"3401", "5401"}));
    EXPECT_TRUE(reply[Reply::MoreRows].toBool());
    EXPECT_THROW(f2->put("RowLimit", 0), kv::DispatchError);
}

TEST_P(F2DataServerTest, ColumnFiltersTakeOnlyColumnsOfTheLookupTable)
{
    const Variant pair = kv::varArrayOf({"mq003", "55"});
    EXPECT_EQ(firstColumn(lookup("CMSMQ", "19", kv::varArrayOf({pair}), "")), (Codes{"5501", "5502"}));

    const Variant injected = kv::varArrayOf({"MQ003 = MQ003 OR 1", "55"});
    EXPECT_TRUE(lookup("CMSMQ", "19", kv::varArrayOf({injected}), "").isEmpty());
    EXPECT_NE(f2->lastError().find("has no column"), std::string::npos);
}

TEST_P(F2DataServerTest, FooterLookupPutsTheLinesWhereTheWindowReadsThem)
{
    insert("CMSMS", {{"MS001", "1"}, {"MS002", "F01"}, {"MS003", "标准页脚"}, {"MS004", "一"}, {"MS005", "二"}, {"MS006", "三"}});
    insert("CMSMS", {{"MS001", "2"}, {"MS002", "S01"}, {"MS004", "主管"}});
    const Variant reply = lookup("CMSMS", "01", "1", "");
    ASSERT_EQ(firstColumn(reply), Codes{"F01"});
    const Variant picked = reply[Reply::Rows][0];
    EXPECT_EQ(picked[2].toText() + picked[3].toText() + picked[4].toText(), "一二三");
}

TEST_P(F2DataServerTest, SlipNumberLookupOfASlipType)
{
    insert("MOCTC", {{"TC001", "5401"}, {"TC002", "20240105002"}, {"TC003", "20240105"}});
    insert("MOCTC", {{"TC001", "5401"}, {"TC002", "20240105001"}, {"TC003", "20240105"}});
    insert("MOCTC", {{"TC001", "5501"}, {"TC002", "20240105001"}});
    EXPECT_EQ(firstColumn(lookup("MOCTC", "60", "5401", "")), (Codes{"20240105001", "20240105002"}));
    EXPECT_EQ(firstColumn(lookup("MOCTC", "60", "5401", "002")), Codes{"20240105002"});
    EXPECT_EQ(firstColumn(lookup("MOCTC", "60", "", "")).size(), 3u);
}

TEST_P(F2DataServerTest, BadRequestsAnswerUnassigned)
{
    EXPECT_TRUE(lookup("NOSUCH", "01", Variant(), "").isEmpty());
    EXPECT_NE(f2->lastError().find("NOSUCH"), std::string::npos);
    EXPECT_TRUE(f2->call("F2GetData", {kv::varArrayOf({"CMSMQ", "19"})}).isEmpty());
    EXPECT_TRUE(lookup("CMSMS", "01", Variant(), "").isEmpty()) << "the footer kind is required";
    EXPECT_TRUE(f2->call("F2GetData", {"CMSMQ"}).isEmpty());
}

TEST_P(F2DataServerTest, EveryLookupRunsOnAnEmptyCompany)
{
    for (const auto &query : slip::F2DataLookups::all()) {
        std::vector<Variant> args(query.bindings.size(), Variant("X"));
        const Variant reply = lookup(query.table.c_str(), query.key.c_str(), kv::varArrayOf(args), "a'b");
        EXPECT_TRUE(reply.isArray()) << query.table << " " << query.key << ": " << f2->lastError();
    }
}

DBTEST_ON_BOTH_ENGINES(F2DataServerTest);

// Lookups are found by name and key; a blank key finds a name with one lookup.
TEST(F2DataLookupsTest, FindsByNameAndKey)
{
    ASSERT_NE(slip::F2DataLookups::find("cmsmq", "19"), nullptr);
    EXPECT_EQ(slip::F2DataLookups::find("CMSMQ", "")->key, "19");
    EXPECT_EQ(slip::F2DataLookups::find("CMSMQ", "20"), nullptr);
    EXPECT_EQ(slip::F2DataLookups::find("", ""), nullptr);
}

} // namespace
