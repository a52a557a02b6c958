// The program server's operations in-process, on SQLite and PostgreSQL.
#include "ProgramServerTestSupport.h"

#include "lib/LibStrs.h"
#include "platform/ConnectionString.h"
#include "objects/LayoutStore.h"
#include "platform/Dispatch.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <pugixml.hpp>

#include <gmock/gmock.h>

namespace {

using kv::Variant;
using kv::varArrayOf;
using programservertest::ProgramServerTest;
using testing::HasSubstr;

TEST_P(ProgramServerTest, ConnectBindsTheSessionAndPowerDataCarriesRightsAndPermissionRules)
{
    insert("USER_RIGHT", {{"USER_ID", "0001"}, {"PROGRAM_CODE", "QIPR07"}, {"RIGHTS", "YYNYYYNN"},
                          {"BASE_LIMITS", "W01"}, {"DATA_FILTER", "MOCTC.TC021 IN ('D01')"}, {"APPLY_RULES", "Y"}});
    insert("PERMISSION_RULE", {{"USER_ID", "0001"}, {"PROGRAM_CODE", "QIPR07"}, {"RULE_NO", 2},
                               {"TABLE_CODE", "CMSMQ"}, {"RULE_CONDITION", "CMSMQ.MQ003 = '54'"}});
    insert("PERMISSION_RULE", {{"USER_ID", "0001"}, {"PROGRAM_CODE", "QIPR07"}, {"RULE_NO", 1},
                               {"TABLE_CODE", "CMSMC"}, {"RULE_CONDITION", "CMSMC.MC001 IN ('W01')"}});

    const Variant power = call("PowerData");
    EXPECT_EQ(kv::GetToken(power[1].toText(), ",", 4), "YYNYYYNN");
    EXPECT_EQ(power[0].toText(), "MOCTC.TC021 IN ('D01')");
    EXPECT_EQ(power[2].toText(), "W01");
    EXPECT_EQ(power[4].toText(), "Y");
    EXPECT_EQ(power[5], varArrayOf({2, "CMSMC CMSMC.MC001 IN ('W01')", "CMSMQ CMSMQ.MQ003 = '54'"}));
    EXPECT_EQ(call("SQLType"), Variant(0));

    // A user without a rights row is granted nothing.
    call("Connect", {programservertest::connectArgs(company, "0099")});
    const Variant none = call("PowerData");
    EXPECT_EQ(kv::GetToken(none[1].toText(), ",", 4), "");
    EXPECT_EQ(none[4].toText(), "N");
    EXPECT_EQ(none[5], varArrayOf({0}));

    EXPECT_THROW(call("Connect", {programservertest::connectArgs("NO_SUCH_DB")}), kv::DispatchError);
    auto fresh = newServer();
    std::vector<Variant> noArgs;
    EXPECT_THROW(fresh->invoke("PowerData", noArgs, kv::InvokeKind::Method), kv::DispatchError);
}

TEST_P(ProgramServerTest, ConditionSetsAreSavedReplacedRenamedAndDeletedPerUserAndProgram)
{
    const auto save = [&](const char *name, const char *values, bool replace, const char *user = "0001") {
        return call("InsertConTable", {varArrayOf({"edtTC001.text;", user, "20240301", "QIPR07", name, values,
                                                   replace})})
            .toText();
    };
    const auto sets = [&](const char *user = "0001") {
        call("LoadTable", {varArrayOf({user, "QIPR07"})});
        return records("pvdConSave", "");
    };

    EXPECT_EQ(save("月初", "5401\r\n", false), "");
    EXPECT_EQ(save("其他", "5402\r\n", false, "0002"), "");
    EXPECT_THAT(save("月初", "5499\r\n", false), HasSubstr("已经存在"));
    EXPECT_EQ(sets().text(0, 5), "5401\r\n");
    EXPECT_EQ(save("月初", "5499\r\n", true), "");
    kv::ResultTable mine = sets();
    ASSERT_EQ(mine.rowCount(), 1);
    EXPECT_EQ(mine.text(0, mine.columnIndex("VCONDITION")), "5499\r\n");
    EXPECT_EQ(mine.text(0, mine.columnIndex("CREATE_DATE")), "20240301");

    // Names: never blank, never cut to fit.
    EXPECT_THAT(save("一二三四五六七八九十一二三四五六七八九十一", "x", false), HasSubstr("20"));
    EXPECT_THAT(save("  ", "x", false), HasSubstr("空白"));
    EXPECT_EQ(sets().rowCount(), 1);

    const auto rename = [&](const char *from, const char *to) {
        return call("ChangeConName", {varArrayOf({from, "0001", "QIPR07"}), varArrayOf({to, "0001", "QIPR07"})})
            .toText();
    };
    EXPECT_EQ(save("月末", "5401\r\n", false), "");
    EXPECT_THAT(rename("月初", "月末"), HasSubstr("已经存在"));
    EXPECT_THAT(rename("没有", "新名"), HasSubstr("不存在"));
    EXPECT_EQ(rename("月初", "季初"), "");
    mine = sets();
    ASSERT_EQ(mine.rowCount(), 2);
    EXPECT_EQ(mine.text(0, 0), "季初");
    EXPECT_EQ(mine.text(0, 5), "5499\r\n");

    EXPECT_EQ(call("DeleteConTable", {varArrayOf({"季初", "0001", "QIPR07"})}).toText(), "");
    EXPECT_THAT(call("DeleteConTable", {varArrayOf({"季初", "0001", "QIPR07"})}).toText(), HasSubstr("不存在"));
    EXPECT_EQ(sets().rowCount(), 1);
    EXPECT_EQ(sets("0002").text(0, 0), "其他");
}

TEST_P(ProgramServerTest, LayoutVersionsRunToNineHundredNinetyNineThenOneAndStaleSavesAreRefused)
{
    const Variant key = varArrayOf({"TfrmQipr07Fmt", "A格式"});
    const auto find = [&](Variant &result) { return call("GetBlobField", {key, Variant::ref(result)}).toInt(); };
    const auto store = [&](bool update, const std::string &version, std::vector<Variant> lines) {
        Variant size = 0;
        const Variant header = update ? varArrayOf({"01", "0001", "", version, "TfrmQipr07Fmt", "A格式", "chkPrint=1"})
                                      : varArrayOf({"01", "0001", "G1", "TfrmQipr07Fmt", "A格式", "", "chkPrint=1"});
        Variant linesArg = varArrayOf(std::move(lines));
        return call("RunInsUpdSQL", {update, Variant::ref(linesArg), header, Variant::ref(size)}).toInt();
    };
    Variant stored;
    EXPECT_EQ(find(stored), 0);

    EXPECT_EQ(store(false, "", {"inherited frmQipr07Fmt: TfrmQipr07Fmt", "end"}), 1);
    EXPECT_EQ(store(false, "", {"again"}), -1);
    EXPECT_THAT(call("LastError").toText(), HasSubstr("已经存在"));
    ASSERT_EQ(find(stored), 1);
    EXPECT_EQ(stored, varArrayOf({"1", "inherited frmQipr07Fmt: TfrmQipr07Fmt\nend"}));

    // Two designers read version 1; the first save wins, the second is stale.
    EXPECT_EQ(call("RunUpdFlagSQL", {varArrayOf({1, "1", "TfrmQipr07Fmt", "A格式"})}), Variant(1));
    EXPECT_EQ(store(true, "2", {"first"}), 1);
    EXPECT_EQ(call("RunUpdFlagSQL", {varArrayOf({1, "1", "TfrmQipr07Fmt", "A格式"})}), Variant(-1));
    EXPECT_EQ(store(true, "2", {"second"}), -1);
    EXPECT_THAT(call("LastError").toText(), HasSubstr("已被他人更新"));
    find(stored);
    EXPECT_EQ(stored, varArrayOf({"2", "first"}));

    db().execute("UPDATE " + env->table(company, "WARRANT") + " SET NT003 = '999'");
    EXPECT_EQ(store(true, "1000", {"too far"}), -1);
    EXPECT_EQ(store(true, "1", {"wrapped"}), 1);
    find(stored);
    EXPECT_EQ(stored, varArrayOf({"1", "wrapped"}));
    EXPECT_EQ(slip::LayoutStore::nextVersion("abc"), "1");
    EXPECT_EQ(slip::LayoutStore::nextVersion("998"), "999");

    EXPECT_EQ(call("RunDeleteSQL", {varArrayOf({"TfrmQipr07Fmt", " A格式 "})}), Variant(std::int64_t(1)));
    EXPECT_EQ(call("RunDeleteSQL", {varArrayOf({"TfrmQipr07Fmt", "A格式"})}), Variant(std::int64_t(0)));
    EXPECT_EQ(find(stored), 0);
}

TEST_P(ProgramServerTest, PrintCountsTakeOnlyCheckedNamesAndBoundValues)
{
    insert("MOCTC", {{"TC001", "5401"}, {"TC002", "001"}, {"TC010", 0}});
    insert("MOCTC", {{"TC001", "5401"}, {"TC002", "O'1"}, {"TC010", 4}});
    const auto count = [&](const char *table, const char *column, const char *filter) {
        return call("UpdatePrintCount", {varArrayOf({table, column, filter})}).toInt();
    };
    EXPECT_EQ(count("$$MOCTC", "TC010", "TC001='5401' and TC002='001'"), 1);
    EXPECT_EQ(count("$$MOCTC", "TC010", "(MOCTC.TC002 = 'O''1') AND TC001='5401'"), 1);
    const kv::ResultTable counts = db().query("SELECT TC010 FROM " + env->table(company, "MOCTC") + " ORDER BY TC002");
    EXPECT_EQ(counts.integer(0, 0), 1);
    EXPECT_EQ(counts.integer(1, 0), 5);

    for (const char *filter : {"TC001='5401' or 1=1", "TC001='5401'; DELETE FROM MOCTC", "", "TC099='1'",
                               "TC001 IN ('5401')", "MOCTE.TE001='5401'"})
        EXPECT_THROW(count("$$MOCTC", "TC010", filter), kv::DispatchError) << filter;
    EXPECT_THROW(count("$$MOCTC", "TC001", "TC002='001'"), kv::DispatchError);
    EXPECT_THROW(count("$$MOCTC;DROP", "TC010", "TC002='001'"), kv::DispatchError);
    EXPECT_THROW(count("OTHERDB..MOCTC", "TC010", "TC002='001'"), kv::DispatchError);
    EXPECT_EQ(db().query("SELECT SUM(TC010) FROM " + env->table(company, "MOCTC")).number(0, 0), 6);
}

TEST_P(ProgramServerTest, FreeSqlRunsTranslatedAndReportsBadSqlWithoutLosingTheSession)
{
    const std::string sendLog =
        "INSERT INTO $$ADMTA (COMPANY,CREATOR,USR_GROUP,CREATE_DATE,FLAG,TA001,TA002,TA003,TA004,TA005,TA006) "
        "VALUES('01','0001','G1','20240301','1','QIPR07','S001','Y','Send Fax Complete !','10:11:12','20240301')";
    Variant sql = sendLog;
    EXPECT_EQ(call("RunFreeSQL", {Variant::ref(sql)}).toInt(), 1);
    EXPECT_EQ(call("RunFreeSQL", {"SELECT * FROM $$ADMTA WHERE TA002='S001' AND TA003+TA005 = 'Y10:11:12'"}).toInt(), 1);
    EXPECT_EQ(call("RunFreeSQL", {"SELECT * FROM $$ADMMQ WHERE MQ002='5401'"}).toInt(), 0);

    try {
        call("RunFreeSQL", {"SELEC * FROM $$ADMTA"});
        FAIL() << "bad SQL was accepted";
    } catch (const kv::DispatchError &error) {
        EXPECT_THAT(error.what(), HasSubstr("RunFreeSQL"));
        EXPECT_THAT(call("LastError").toText(), HasSubstr("SELEC"));
    }
    EXPECT_THROW(call("RunFreeSQL", {"SELECT * FROM OTHERDB..ADMTA"}), kv::DispatchError);

    // The length the layout name column allows, asked the ERP way.
    const kv::ResultTable length = programservertest::tableOf(call(
        "SimpleSql", {"select col.length from syscolumns col inner join sysobjects obj on obj.id=col.id "
                      "where obj.name = 'WARRANT' AND col.name ='NT002'"}));
    ASSERT_EQ(length.rowCount(), 1);
    EXPECT_EQ(length.columnIndex("length"), 0);
    EXPECT_EQ(length.integer(0, 0), 20);

    const Variant params = [] {
        kv::VariantArray array({0, 1}, {0, 0});
        array.at(0, 0) = "RECEIVER";
        array.at(1, 0) = "S001";
        return Variant(array);
    }();
    EXPECT_EQ(records("Provider2", "SELECT TA004 FROM " + company + "..ADMTA WHERE TA002=:RECEIVER", params).text(0, 0),
              "Send Fax Complete !");
    EXPECT_THROW(records("pvdNope", "SELECT 1"), kv::DispatchError);
    EXPECT_THROW(records("pvdMain", " "), kv::DispatchError);
}

TEST_P(ProgramServerTest, SignOffHistoryAnswersBothRequestShapesForSheetsThatHaveSteps)
{
    const auto step = [&](const char *sheet, int level, const char *name, const char *status) {
        insert("SIGNOFF_HISTORY", {{"FORM_TYPE", "5401"}, {"SHEET_NO", sheet}, {"PARAM3", ""}, {"PARAM4", ""},
                                   {"LEVEL_NO", level}, {"BRANCH_NO", 1},
                                   {"SERIAL_NO", 1}, {"SIGNED_AT", "2024/03/01 10:00:00"}, {"STATUS", status},
                                   {"APPROVER_NAME", name}, {"APPROVER_TITLE", "经理"}, {"OPINION", "同意"}});
    };
    step("001", 2, "李四", "已核准");
    step("001", 1, "张三", "同意");
    step("002", 1, "王五", "退件");
    const std::string request = "<FormSet>  <Form wfProgramID=''  wfFormType='5401'  wfSheetNo ='001' "
                                " wfParameter3=''  wfParameter4='' /> \r\n"
                                " <Form wfProgramID=''  wfFormType='5401'  wfSheetNo ='003'  wfParameter3='' "
                                " wfParameter4='' /> \r\n</FormSet> ";

    const Variant reply = call("GetZQData", {request});
    ASSERT_EQ(reply[0], Variant(1));
    const Variant &entry = reply[1];
    EXPECT_EQ(entry[2].toText(), "001");
    const kv::VariantArray &steps = entry[5].array();
    ASSERT_EQ(steps.highBound(1), 12);
    ASSERT_EQ(steps.highBound(2), 1);
    EXPECT_EQ(steps.at(10, 0).toText(), "张三");
    EXPECT_EQ(steps.at(12, 1).toText(), "经理");
    EXPECT_EQ(steps.at(5, 1).toText(), "2024/03/01 10:00:00");

    pugi::xml_document doc;
    const std::string xml = call("GetWebserviceZQData", {request, "QIPR07"}).toText();
    ASSERT_TRUE(doc.load_string(("<?xml version=\"1.0\"?>" + xml).c_str())) << xml;
    const pugi::xpath_node form = doc.select_node("//FormSet/Form[@wfFormType='5401' and @wfSheetNo='001']");
    EXPECT_STREQ(form.node().text().get(),
                 "1  1  张三  经理  同意  2024/03/01 10:00:00  同意||2  1  李四  经理  已核准  2024/03/01 10:00:00  "
                 "同意||已核准");
    EXPECT_FALSE(doc.select_node("//Form[@wfSheetNo='003']"));
    EXPECT_THROW(call("GetZQData", {"<FormSet><Form wfSheetNo='1'>"}), kv::DispatchError);
}

TEST_P(ProgramServerTest, ResultConnectStringOpensTheCompanyDatabaseDirectly)
{
    insert("MOCTE", {{"TE001", "5401"}, {"TE002", "001"}, {"TE003", "0001"}, {"TE005", 2.5}});
    const auto parts = kv::ConnectionString::parse(call("ResultConnectString", {varArrayOf({""})}).toText());
    EXPECT_EQ(parts.at("COMPANYDB"), company);

    QSqlDatabase direct = QSqlDatabase::addDatabase(QString::fromStdString(parts.at("DRIVER")), "direct");
    std::string table;
    if (GetParam() == slip::DbEngine::SQLite) {
        direct.setDatabaseName(":memory:");
        ASSERT_TRUE(direct.open());
        QSqlQuery attach(direct);
        ASSERT_TRUE(attach.exec(QString::fromStdString("ATTACH DATABASE '" + parts.at("DATABASE") + "' AS \"" +
                                                       company + "\"")));
        table = "\"" + company + "\".MOCTE";
    } else {
        direct.setHostName(QString::fromStdString(parts.at("HOST")));
        direct.setPort(std::stoi(parts.at("PORT")));
        direct.setDatabaseName(QString::fromStdString(parts.at("DATABASE")));
        direct.setUserName(QString::fromStdString(parts.at("USER")));
        direct.setPassword(QString::fromStdString(parts.at("PASSWORD")));
        ASSERT_TRUE(direct.open());
        table = "\"" + parts.at("SCHEMA") + "\".MOCTE";
    }
    {
        QSqlQuery sum(direct);
        ASSERT_TRUE(sum.exec(QString::fromStdString("SELECT SUM(TE005) FROM " + table)));
        ASSERT_TRUE(sum.next());
        EXPECT_DOUBLE_EQ(sum.value(0).toDouble(), 2.5);
    }
    direct.close();
    direct = QSqlDatabase();
    QSqlDatabase::removeDatabase("direct");
}

DBTEST_ON_BOTH_ENGINES(ProgramServerTest);

TEST(DirectConnectString, ValuesWithSeparatorsSurviveTheRoundTrip)
{
    const std::string text =
        kv::ConnectionString::format({{"Driver", "QPSQL"}, {"Password", "a;b}c"}, {"User", " x "}});
    EXPECT_EQ(text, "Driver=QPSQL;Password={a;b}}c};User={ x }");
    const auto parts = kv::ConnectionString::parse(text);
    EXPECT_EQ(parts.at("PASSWORD"), "a;b}c");
    EXPECT_EQ(parts.at("USER"), " x ");
    EXPECT_THROW(kv::ConnectionString::parse("Driver=QPSQL;Password={open"), std::invalid_argument);
    EXPECT_THROW(kv::ConnectionString::parse("Driver"), std::invalid_argument);
}

} // namespace
