// The report SQL of the condition window: part setters, conditions added to
// the where part (send status, permission filter) and the data-permission
// rewrite of a whole statement. Texts are compared exactly.
#include "report/options/OptionsTestSupport.h"

namespace optionstest {
namespace {

class SqlTest : public OptionsTest {
protected:
    void SetUp() override
    {
        OptionsTest::SetUp();
        createWindow();
    }
    // Permission data: [0] filter, [4] apply flag, [5] rules.
    void setPermissions(const std::string &filter, const std::string &apply = "N",
                        const Variant &rules = kv::varArrayOf({0}))
    {
        window->PermissionData = kv::varArrayOf({filter, "", "", "MOCTC", apply, rules});
    }
};

TEST_F(SqlTest, SettersPutTheirKeywordInFrontUnlessPresentAndEndWithOneBlank)
{
    window->SetSelect("  A.TC001, A.TC002 ");
    EXPECT_EQ(window->SelectPart, "Select A.TC001, A.TC002 ");
    window->SetSelect("select top 5 TC001");
    EXPECT_EQ(window->SelectPart, "select top 5 TC001 ");
    window->SetFrom("$$MOCTC A");
    EXPECT_EQ(window->FromPart, " From $$MOCTC A ");
    window->SetFrom("from $$MOCTC");
    EXPECT_EQ(window->FromPart, "from $$MOCTC ");
    window->SetWhere("where A.TC001='5401'");
    EXPECT_EQ(window->WherePart, "where A.TC001='5401' ");
    window->SetWhere(" A.TC001='5401' ");
    EXPECT_EQ(window->WherePart, " Where A.TC001='5401' ");
    // A condition that merely starts with the letters of the keyword is no keyword.
    window->SetWhere("WHEREABOUTS='X'");
    EXPECT_EQ(window->WherePart, " Where WHEREABOUTS='X' ");
    window->SetGroupBy("TE004");
    EXPECT_EQ(window->GroupByPart, " Group By TE004 ");
    window->SetOrderBy("Order By TC001");
    EXPECT_EQ(window->OrderByPart, "Order By TC001 ");
    window->SetSQLTail(" LEFT JOIN $$CMSMQ B ON B.MQ001=A.TC001 ");
    EXPECT_EQ(window->SQLTail, "LEFT JOIN $$CMSMQ B ON B.MQ001=A.TC001 ");

    // Empty texts store the bare keyword, as design mode relies on.
    window->SetGroupBy("");
    window->SetOrderBy("");
    window->SetWhere("");
    EXPECT_EQ(window->GroupByPart, " Group By  ");
    EXPECT_EQ(window->OrderByPart, " Order by  ");
    EXPECT_EQ(window->WherePart, " Where  ");
}

TEST_F(SqlTest, AddConditionJoinsTermsAndIgnoresEmptyFieldOrValue)
{
    std::string where;
    kv::TfrmVRBaseOpt::AddCondition(where, "TC017", "<>0");
    EXPECT_EQ(where, "(TC017<>0)");
    kv::TfrmVRBaseOpt::AddCondition(where, "TC009", "='Y'");
    EXPECT_EQ(where, "(TC017<>0) and (TC009='Y')");
    kv::TfrmVRBaseOpt::AddCondition(where, "", "=0");
    kv::TfrmVRBaseOpt::AddCondition(where, "TC017", "");
    EXPECT_EQ(where, "(TC017<>0) and (TC009='Y')");
}

TEST_F(SqlTest, FinishWhereWrapsTheConditionAndAddsThePermissionFilter)
{
    window->MainTable = "MOCTC";
    setPermissions("A.TC004='D01'");

    window->SetWhere("A.TC001='5401' or A.TC001='5402'");
    window->FinishWhere();
    EXPECT_EQ(window->WherePart, "Where (A.TC001='5401' or A.TC001='5402') and (A.TC004='D01') ");

    window->SetWhere("");
    window->FinishWhere();
    EXPECT_EQ(window->WherePart, "Where A.TC004='D01' ");

    // A lower-case keyword is kept.
    setPermissions("");
    window->SetWhere("where A.TC001='5401'");
    window->FinishWhere();
    EXPECT_EQ(window->WherePart, "where (A.TC001='5401') ");

    // Neither condition nor filter: no bare keyword is left behind.
    window->SetWhere("");
    window->FinishWhere();
    EXPECT_EQ(window->WherePart, "");
}

TEST_F(SqlTest, FinishWhereWithoutMainTableNeverAppliesTheFilter)
{
    window->MainTable.clear();
    setPermissions("A.TC004='D01'");
    window->SetWhere("A.TC001='5401'");
    window->FinishWhere();
    EXPECT_EQ(window->WherePart, " Where A.TC001='5401' ");
}

TEST_F(SqlTest, FinishWhereAddsTheSendStatusWhenSending)
{
    window->MainTable = "MOCTC";
    setPermissions("");
    window->SendStatusField = "TC017";
    window->SendStatusCondition = "=0";

    window->SendMode = 0;
    window->SetWhere("A.TC001='5401'");
    window->FinishWhere();
    EXPECT_EQ(window->WherePart, "Where (A.TC001='5401') ");

    window->SendMode = 2;
    window->SetWhere("A.TC001='5401'");
    window->FinishWhere();
    EXPECT_EQ(window->WherePart, "Where (A.TC001='5401' and (TC017=0)) ");

    window->SetWhere("");
    window->FinishWhere();
    EXPECT_EQ(window->WherePart, "Where ((TC017=0)) ");

    // "全部": no send-status condition.
    window->SendStatusCondition.clear();
    window->SetWhere("");
    window->FinishWhere();
    EXPECT_EQ(window->WherePart, "");
}

TEST_F(SqlTest, PermissionRewriteOnlyWhenSwitchedOn)
{
    const std::string sql = "Select A.TC001 From $$MOCTC A Where A.TC001='5401' ";
    const Variant rules = kv::varArrayOf({1, "MOCTC MOCTC.TC004='D01'"});
    setPermissions("", "N", rules);
    EXPECT_EQ(window->ApplyDataPermission(sql), sql);
    window->PermissionData = Variant();
    EXPECT_EQ(window->ApplyDataPermission(sql), sql);
}

TEST_F(SqlTest, PermissionRewritePutsTheFilterBeforeTheReportsCondition)
{
    const Variant rules = kv::varArrayOf({2, "MOCTC MOCTC.TC004='D01'", "CMSMQ CMSMQ.MQ003='54'"});
    setPermissions("", "Y", rules);
    EXPECT_EQ(window->ApplyDataPermission(
                  "Select A.TC001 From $$MOCTC A LEFT JOIN $$CMSMQ B ON B.MQ001=A.TC001 Where A.TC001='5401'"),
              "Select A.TC001 From  $$MOCTC A LEFT JOIN $$CMSMQ B ON B.MQ001=A.TC001  WHERE "
              "(( A.TC004='D01' ) or (A.TC001 is null)) and (( B.MQ003='54' ) or (B.MQ001 is null)) AND "
              "  A.TC001='5401'");
}

TEST_F(SqlTest, PermissionRewriteOfStatementsWithoutWhere)
{
    const Variant rules = kv::varArrayOf({1, "MOCTC MOCTC.TC004='D01'"});
    setPermissions("", "Y", rules);
    EXPECT_EQ(window->ApplyDataPermission("Select A.TC001 From $$MOCTC A"),
              "Select A.TC001 From  $$MOCTC A WHERE (( A.TC004='D01' ) or (A.TC001 is null))");
    // The filter goes before the ordering, whatever case the keyword has.
    EXPECT_EQ(window->ApplyDataPermission("Select A.TC001 From $$MOCTC A Order by A.TC001"),
              "Select A.TC001 From $$MOCTC A  WHERE (( A.TC004='D01' ) or (A.TC001 is null)) Order by A.TC001");
    EXPECT_EQ(window->ApplyDataPermission("Select A.TC001 From $$MOCTC A group by A.TC001"),
              "Select A.TC001 From $$MOCTC A  WHERE (( A.TC004='D01' ) or (A.TC001 is null)) group by A.TC001");
    // Tables without rules get nothing.
    EXPECT_EQ(window->ApplyDataPermission("Select MQ001 From $$CMSMQ"), "Select MQ001 From  $$CMSMQ");
}

TEST_F(SqlTest, PermissionRewriteLeavesSubQueriesToTheirOwnFrom)
{
    const Variant rules = kv::varArrayOf({1, "MOCTC MOCTC.TC004='D01'"});
    setPermissions("", "Y", rules);
    // The outer FROM's text before WHERE holds a sub-query: its own FROM and
    // WHERE get the filter; identifiers that contain FROM or WHERE are no keywords.
    EXPECT_EQ(window->ApplyDataPermission("Select X.DATEFROM From (Select TC001 AS DATEFROM From $$MOCTC C "
                                          "Where C.TC009='Y') X Where X.DATEFROM>'1'"),
              "Select X.DATEFROM From (Select TC001 AS DATEFROM From  $$MOCTC C  WHERE "
              "(( C.TC004='D01' ) or (C.TC001 is null)) AND   C.TC009='Y') X Where X.DATEFROM>'1'");
}

TEST_F(SqlTest, PrepareQueryBuildsTheWhereWithoutRunning)
{
    openWindow();
    window->PermissionData = kv::varArrayOf({"A.TC004='D01'", "", "", "MOCTC", "N", kv::varArrayOf({0})});
    window->edtRemark->setText("x");
    EXPECT_EQ(window->PrepareQuery(), 0);
    EXPECT_EQ(window->WherePart, "Where (A.TC001='5401') and (A.TC004='D01') ");
    EXPECT_EQ(window->modes, std::vector<int>{0});
    EXPECT_EQ(layoutScript().created, 0);
}

} // namespace
} // namespace optionstest
