#include "HostDataTestSupport.h"

#include "objects/HostDataRegistration.h"
#include "objects/ValidatorServer.h"
#include "platform/Dispatch.h"

namespace {

using hostdatatest::HostDataTest;
using kv::Variant;

class ValidatorServerTest : public HostDataTest {
protected:
    void SetUp() override
    {
        HostDataTest::SetUp();
        if (IsSkipped())
            return;
        validator = std::make_shared<slip::ValidatorServer>(database);
        insertDemoRows();
    }

    void insertDemoRows()
    {
        insert("ADMMB", {{"MB001", "QIPR07"}, {"MB002", "领料单打印"}, {"MB006", "Y"}, {"MB008", "領料單列印"},
                         {"MB009", "Material issue slips"}});
        insert("CMSML", {{"ML001", "01"}, {"ML002", "示范电子有限公司"}, {"ML005", "0571-8888"}});
        insert("CMSMT", {{"MT001", "QIPR07"}, {"MT002", "F01"}, {"MT003", "Y"}, {"MT004", "S01"}, {"MT005", "N"},
                         {"MT006", "标准格式"}});
        insert("CMSMQ", {{"MQ001", "5401"}, {"MQ002", "一般领料单"}, {"MQ003", "54"}, {"MQ004", "F01"},
                         {"MQ005", "N"}, {"MQ006", "S01"}, {"MQ007", "Y"}, {"MQ008", "Y"}, {"MQ009", "N"},
                         {"MQ010", "A格式"}, {"MQ011", "Y"}, {"MQ012", "领料单"}, {"MQ013", "N"}});
        insert("CMSMQ", {{"MQ001", "5501"}, {"MQ002", "退料单"}, {"MQ003", "55"}});
        insert("CMSMQ", {{"MQ001", "3401"}, {"MQ002", "进货单"}, {"MQ003", "34"}});
        insert("CMSMS", {{"MS001", "1"}, {"MS002", "F01"}, {"MS003", "标准页脚"}, {"MS004", "页脚一"},
                         {"MS005", "页脚二"}, {"MS006", "页脚三"}});
        insert("CMSMS", {{"MS001", "2"}, {"MS002", "F01"}, {"MS004", "主管"}, {"MS005", "仓管"}, {"MS006", "领料人"}});
        insert("WARRANT", {{"NT001", "TfrmQipr07Fmt"}, {"NT002", "B格式"}, {"NT003", "2"}, {"NT005", "chkPrint:TBitCheckBox=1"}});
        insert("WARRANT", {{"NT001", "TfrmQipr07Fmt"}, {"NT002", "A格式"}, {"NT003", "999"}});
        insert("WARRANT", {{"NT001", "TfrmQipr07Fmt_1"}, {"NT002", "汇总"}});
        insert("GENES", {{"NCONDITION", "O'Brien's set"}, {"CREATOR", "DS"}, {"PROGRAMME", "QIPR07"},
                         {"CREATE_DATE", "20240105"}});
        insert("MOCTC", {{"TC001", "5401"}, {"TC002", "20240105001"}, {"TC003", "20240105"}, {"TC014", "20240104"},
                         {"TC009", "Y"}, {"TC010", 2}});
    }

    // One request as the program windows send it: the result comes back
    // through the by-reference argument.
    bool read(const char *method, const char *table, const char *key, Variant args, Variant &result)
    {
        std::string companyDb = company;
        Variant dbArg(companyDb);
        std::vector<Variant> call{Variant(table), Variant(key), Variant::ref(dbArg), args, Variant::ref(result)};
        return validator->invoke(method, call, kv::InvokeKind::Method).toBool();
    }

    Variant row(const char *table, const char *key, std::vector<Variant> args)
    {
        Variant result;
        EXPECT_TRUE(read("CheckValue", table, key, kv::varArrayOf(std::move(args)), result))
            << table << " " << key << ": " << validator->lastError();
        return result;
    }

    std::shared_ptr<slip::ValidatorServer> validator;
};

TEST_P(ValidatorServerTest, AnswersEachKeyInTheRowLayoutItsCallersRead)
{
    const Variant program = row("ADMMB", "01", {"QIPR07"});
    EXPECT_EQ(program[0].toText(), "领料单打印");
    EXPECT_EQ(program[4].toText(), "Y");
    EXPECT_EQ(program[7].toText(), "Material issue slips");

    EXPECT_EQ(row("CMSML", "01", {"01"})[1].toText(), "示范电子有限公司");

    const Variant settings = row("CMSMT", "01", {"QIPR07"});
    EXPECT_EQ(settings[0].toText() + settings[1].toText() + settings[6].toText() + settings[7].toText(), "F01YS01N");
    EXPECT_EQ(settings[12].toText(), "标准格式");

    const Variant print = row("CMSMQ", "38", {"5401", "54"});
    ASSERT_EQ(print.array().elementCount(), 13u);
    const std::vector<std::string> expected{"一般领料单", "F01", "N", "S01", "Y", "5401", "54",
                                            "Y",          "N",   "A格式", "Y", "领料单", "N"};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(print[i].toText(), expected[i]) << "element " << i;

    const Variant footer = row("CMSMS", "01", {"1", "F01"});
    EXPECT_EQ(footer[1].toText() + footer[2].toText() + footer[3].toText(), "页脚一页脚二页脚三");
    EXPECT_EQ(row("CMSMS", "01", {"2", "F01"})[3].toText(), "领料人");

    const Variant style = row("WARRANT", "03", {"TfrmQipr07Fmt", "A格式"});
    EXPECT_EQ(style[0].toText(), "A格式");
    EXPECT_EQ(style[2].toText(), "999");

    const Variant slip = row("MOCTC", "60", {"5401", "20240105001"});
    EXPECT_EQ(slip[0].toText() + slip[1].toText() + slip[2].toText(), "202401050012024010520240104");
    EXPECT_EQ(slip[4].toInt(), 2);

    // A value with a quote is bound, not pasted into the statement.
    EXPECT_EQ(row("GENES", "01", {"O'Brien's set", "DS", "QIPR07"})[3].toText(), "20240105");
}

TEST_P(ValidatorServerTest, SlipTypeKeysHonourTheSlipNature)
{
    Variant result;
    // 22: the slip type must have one of the natures that follow it; element
    // 1 is its nature, which 38 then takes as its second argument.
    EXPECT_EQ(row("CMSMQ", "22", {"5501", "54", "55", "54"})[1].toText(), "55");
    EXPECT_FALSE(read("QueryData", "CMSMQ", "22", kv::varArrayOf({"3401", "54", "55", "54"}), result));
    EXPECT_TRUE(result.isEmpty());

    EXPECT_FALSE(read("QueryData", "CMSMQ", "38", kv::varArrayOf({"5401", "55"}), result));
    // 08 reads the settings whatever the nature (the second argument is unassigned).
    EXPECT_EQ(row("CMSMQ", "08", {"5401", Variant()})[0].toText(), "一般领料单");

    // 19: every slip type of the natures, ordered by code.
    const Variant types = row("CMSMQ", "19", {"54", "55"});
    ASSERT_EQ(types.array().elementCount(), 2u);
    EXPECT_EQ(types[0][0].toText(), "5401");
    EXPECT_EQ(types[1][1].toText(), "退料单");
}

TEST_P(ValidatorServerTest, ListKeysAnswerEveryRowOrEmpty)
{
    const Variant styles = row("WARRANT", "01", {"TfrmQipr07Fmt"});
    ASSERT_EQ(styles.array().elementCount(), 2u);
    EXPECT_EQ(styles[0][0].toText(), "A格式");
    EXPECT_EQ(styles[1][1].toText(), "chkPrint:TBitCheckBox=1");

    Variant result;
    EXPECT_FALSE(read("QueryData", "WARRANT", "01", kv::varArrayOf({"TfrmOther"}), result));
    ASSERT_TRUE(result.isArray());
    EXPECT_EQ(result.array().elementCount(), 0u);
}

TEST_P(ValidatorServerTest, RefusesWhatItCannotAnswerWithAReasonInsteadOfRaising)
{
    Variant result = Variant("stale");
    EXPECT_FALSE(read("QueryData", "NOSUCH", "01", kv::varArrayOf({"x"}), result));
    EXPECT_TRUE(result.isEmpty());
    EXPECT_NE(validator->lastError().find("NOSUCH"), std::string::npos);

    EXPECT_FALSE(read("QueryData", "CMSMQ", "99", kv::varArrayOf({"5401"}), result));
    EXPECT_NE(validator->lastError().find("\"99\""), std::string::npos);

    // A missing required argument names the column it would restrict.
    EXPECT_FALSE(read("CheckValue", "CMSMS", "01", kv::varArrayOf({"1"}), result));
    EXPECT_NE(validator->lastError().find("MS002"), std::string::npos);

    // A two-dimensional argument array is refused, not read element by element.
    EXPECT_FALSE(read("CheckValue", "ADMMB", "01", Variant(kv::VariantArray({0, 0}, {0, 0})), result));
    EXPECT_FALSE(validator->lastError().empty());

    // A company database that does not exist.
    Variant otherDb("NO_SUCH_COMPANY");
    std::vector<Variant> call{"ADMMB", "01", Variant::ref(otherDb), kv::varArrayOf({"QIPR07"}), Variant::ref(result)};
    EXPECT_FALSE(validator->invoke("QueryData", call, kv::InvokeKind::Method).toBool());
    EXPECT_FALSE(validator->lastError().empty());

    // The next good request clears the reason.
    EXPECT_EQ(row("ADMMB", "01", {"QIPR07"})[0].toText(), "领料单打印");
    EXPECT_TRUE(validator->lastError().empty());
}

TEST_P(ValidatorServerTest, RegisteredClassWorksOnTheCompanyNamedLater)
{
    slip::registerHostDataObjects(database);
    const kv::DispatchPtr object = kv::createOleObject("qrm.validator");
    slip::unregisterHostDataObjects();
    object->put("ProductID", 3);
    object->put("BaseLimited", "WH:01");
    object->put("CompanyDB", company);
    EXPECT_EQ(object->get("CompanyDB").toText(), company);

    Variant result;
    Variant blankDb("");
    std::vector<Variant> call{"CMSML", "01", Variant::ref(blankDb), "01", Variant::ref(result)};
    EXPECT_TRUE(object->invoke("QueryData", call, kv::InvokeKind::Method).toBool()) << object->get("LastError").toText();
    EXPECT_EQ(result[0].toText(), "01");
    EXPECT_FALSE(kv::OleClassRegistry::isRegistered("QRM.Validator"));
}

DBTEST_ON_BOTH_ENGINES(ValidatorServerTest);

} // namespace
