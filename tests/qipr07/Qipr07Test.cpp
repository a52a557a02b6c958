// The report SQL of the material-issue slips, compared as whole texts: the
// joined query of a run from conditions (line by line and summed per item),
// the outer-join dialect, the conditions the options add and a run by key.
#include "Qipr07TestSupport.h"

#include "controls/BtChkBox.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"

#include <QComboBox>

#include <initializer_list>

namespace {

using qipr07test::ReportWindowTest;
using kv::Variant;

// How the SQL-part setters join pieces: each step ends in exactly one blank.
std::string part(std::initializer_list<std::string> pieces)
{
    std::string text;
    for (const std::string &piece : pieces) {
        text += piece;
        text.erase(text.find_last_not_of(' ') + 1);
        text.erase(0, text.find_first_not_of(' '));
        text += ' ';
    }
    return text;
}

const std::string kS0 =
    "SELECT TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,CMSMQ.MQ002 AS CMSMQ002,CMSMB.MB002 AS CMSMB002,"
    "CMSMD.MD002 AS CMSMD002,PURMA.MA002 AS PURMA002,TE001,TE003,TE004,TE005,TE006,TE008,TE009,TE010,TE011,TE012,"
    "TE013,TE014,TE017,TE018,CMSMC.MC002 AS CMSMC002,INVMC.MC003 AS INVMC003,TA006,TD006,TB004,PURMA.MA003 AS "
    "PURMA003,TC014,TC016,INVMB.MB002 AS INVMB002,INVMB.MB003 AS INVMB003,TA034,TA035 ,TE021,TE022,TC031, "
    "CMSNO.NO002 AS CMSNO002,TE025 ,TC021,CMSME.ME002 AS CMSME002 ,TC008,TC013,TC018,TC019,TC020,MOCTC.CREATOR AS "
    "CREATOR,B.MF002 AS MF002C2,TE015 ,TC010,TC011,TC012,TC015,A.MF002 AS MF002C1,TB004-TB005 AS TB004C,TB019,"
    "TB019-TB020 AS TB019C ,TE016,TE019,TE020,PURMA.MA010 AS PURMA010,PURMA.MA011 AS PURMA011 ,TA057,TA058,TE024,"
    "INVME.ME017 AS ME017,INVME.ME018 AS ME018,INVME.ME019 AS ME019 ,INVME.ME017+'-'+INVME.ME018+'-'+INVME.ME019 AS "
    "ME017C,INVME.ME020 AS ME020 ,INVME.ME021 AS ME021,TE023 ";
const std::string kHeaderUdfs = " ,MOCTC.UDF01 AS UDF01M, MOCTC.UDF02 AS UDF02M, MOCTC.UDF03 AS UDF03M, "
                                "MOCTC.UDF04 AS UDF04M, MOCTC.UDF05 AS UDF05M, MOCTC.UDF06 AS UDF06M, "
                                " MOCTC.UDF51 AS UDF51M, MOCTC.UDF52 AS UDF52M, MOCTC.UDF53 AS UDF53M, "
                                "MOCTC.UDF54 AS UDF54M, MOCTC.UDF55 AS UDF55M, MOCTC.UDF56 AS UDF56M";
const std::string kLineUdfs = " MOCTE.UDF01 AS UDF01D, MOCTE.UDF02 AS UDF02D, MOCTE.UDF03 AS UDF03D, "
                              "MOCTE.UDF04 AS UDF04D, MOCTE.UDF05 AS UDF05D, MOCTE.UDF06 AS UDF06D, "
                              " MOCTE.UDF51 AS UDF51D, MOCTE.UDF52 AS UDF52D, MOCTE.UDF53 AS UDF53D, "
                              "MOCTE.UDF54 AS UDF54D, MOCTE.UDF55 AS UDF55D, MOCTE.UDF56 AS UDF56D ";
const std::string kHeaderJoins =
    " LEFT JOIN $$MOCTE AS MOCTE ON TC001=TE001 AND TC002=TE002 LEFT JOIN $$CMSMQ AS CMSMQ ON TC001=MQ001 LEFT JOIN "
    "$$CMSMB AS CMSMB ON TC004=MB001 LEFT JOIN $$CMSMD AS CMSMD ON TC005=MD001 LEFT JOIN $$CMSME AS CMSME ON "
    "CMSME.ME001=TC021  LEFT JOIN $$CMSNO AS CMSNO ON CMSNO.NO001=TC031  LEFT JOIN $$PURMA AS PURMA ON TC006=MA001";
const std::string kCmsmcJoin = " LEFT JOIN $$CMSMC AS CMSMC ON TE008=CMSMC.MC001";
const std::string kInvmcJoin = " LEFT JOIN $$INVMC AS INVMC ON TE004=INVMC.MC001 AND TE008=INVMC.MC002";
const std::string kLastJoins = " LEFT JOIN $$INVME AS INVME ON INVME.ME001=TE004 AND INVME.ME002=TE010 "
                               " LEFT JOIN $$ADMMF AS A ON TC015=A.MF001 "
                               " LEFT JOIN $$ADMMF AS B ON MOCTC.CREATOR=B.MF001 "
                               " LEFT JOIN $$CMSMW AS CMSMW ON TE009=MW001 ";
const std::string kEmployeeJoin = " LEFT JOIN $$CMSMV AS CMSMV ON MV001=TC028 ";

std::string normalSelect()
{
    return part({kS0, ", TE026, TE027 ", kHeaderUdfs + ", " + kLineUdfs, " ,MW002 AS TE009C ", " ,TA015,TA016 ",
                 ",TC029 AS TE005C1 ,TC030 AS TE021C1,0 AS TB004C1,0 AS TB005C1,0 AS TB019C1,0 AS TB020C1",
                 ",TC028, CMSMV.MV002 as CMSMV002 ", ",TEC01 "});
}

std::string normalTail()
{
    return part({kHeaderJoins, kCmsmcJoin, kInvmcJoin, " LEFT JOIN $$MOCTA AS MOCTA ON TE011=TA001 AND TE012=TA002",
                 " LEFT JOIN $$MOCTB AS MOCTB ON TE011=TB001 AND TE012=TB002 AND TE004=TB003 AND TE009=TB006",
                 " LEFT JOIN $$MOCTD AS MOCTD ON TE001=TD001 AND TE002=TD002 AND TE011=TD003 AND TE012=TD004",
                 " LEFT JOIN $$INVMB AS INVMB ON TA006=INVMB.MB001 ", kLastJoins, kEmployeeJoin});
}

class QueryTest : public ReportWindowTest {
protected:
    void SetUp() override
    {
        ReportWindowTest::SetUp();
        openWindow();
        // The demo user's own data-permission filter is not what these tests
        // are about; runs with it are the run tests' business.
        window->PermissionData = Variant();
        window->edtTC001->setText("5401");
    }

    // The where part of the final text between FROM's tail and ORDER BY.
    static std::string wherePart(const std::string &sql)
    {
        const std::size_t from = sql.find("WHERE ");
        const std::size_t to = sql.find("ORDER BY ");
        return from == std::string::npos ? std::string() : sql.substr(from, to - from);
    }

    void summary(bool byWarehouse, bool byLot)
    {
        kvtest::click(window->chkPrint);
        ASSERT_TRUE(window->chkPrint->isChecked());
        if (byWarehouse)
            kvtest::click(window->btn05);
        if (byLot)
            kvtest::click(window->btn06);
    }
};

TEST_F(QueryTest, ARunFromConditionsIsTheJoinedQueryWithTheDefaultStatuses)
{
    EXPECT_EQ(normalSelect() + "FROM $$MOCTC AS MOCTC " + normalTail() +
                  "WHERE (1=1  and (TC001='5401') and (TC009='Y') and (TC010= 0 )) "
                  "ORDER BY TC001,TC002,TC003,TE003 ",
              conditionSql());
}

TEST_F(QueryTest, SummaryByWarehouseAndLotJoinsWarehousesAndSelectsBothKeys)
{
    summary(true, true);
    const std::string select = part(
        {"SELECT  TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,TC031, CMSNO.NO002 AS CMSNO002,"
         "CMSMQ.MQ002 AS CMSMQ002,CMSMB.MB002 AS CMSMB002,CMSMD.MD002 AS CMSMD002,PURMA.MA002 AS PURMA002,TE001,TE002,"
         "'null' CMSMC002",
         ",CMSMC.MC002 AS CMSMC002C",
         ",PURMA.MA003 AS PURMA003,TC014,TC016 ,TC021,CMSME.ME002 AS CMSME002 ,TC008,TC013,TC018,TC019,TC020,"
         "MOCTC.CREATOR AS CREATOR,B.MF002 AS MF002C2 ,TC010,TC011,TC012,TC015,A.MF002 AS MF002C1 ,PURMA.MA010 AS "
         "PURMA010,PURMA.MA011 AS PURMA011 ,CASE WHEN MIN(TE010)=MAX(TE010) THEN MAX(INVME.ME017) END AS ME017"
         ",CASE WHEN MIN(TE010)=MAX(TE010) THEN MAX(INVME.ME018) END AS ME018"
         ",CASE WHEN MIN(TE010)=MAX(TE010) THEN MAX(INVME.ME019) END AS ME019 "
         ",CASE WHEN MIN(TE010)=MAX(TE010) THEN MAX(TE023) END AS TE023 ",
         kHeaderUdfs + " ",
         ",TE004,TE006,BB.MB002 AS BBMB002,BB.MB003 AS BBMB003,0 TE005C,'NULL' TE008C ,'NULL'  TE010C ", ",TE008",
         ",TE010", ",0 AS TE005C1,0 AS TE021C1 ", ",TC028, CMSMV.MV002 as CMSMV002 ", ",TEC01 "});
    const std::string tail = part({kHeaderJoins, kCmsmcJoin, " LEFT JOIN $$INVMB AS BB ON TE004=BB.MB001", kInvmcJoin,
                                   kLastJoins, kEmployeeJoin});
    // One row per slip, item, unit, type, warehouse and lot: grouped by every
    // plain column of the select list.
    const std::string groupBy =
        " Group By TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,TC031,CMSNO.NO002,CMSMQ.MQ002,CMSMB.MB002,"
        "CMSMD.MD002,PURMA.MA002,TE001,TE002,CMSMC.MC002,PURMA.MA003,TC014,TC016,TC021,CMSME.ME002,TC008,TC013,"
        "TC018,TC019,TC020,MOCTC.CREATOR,B.MF002,TC010,TC011,TC012,TC015,A.MF002,PURMA.MA010,PURMA.MA011,"
        "MOCTC.UDF01,MOCTC.UDF02,MOCTC.UDF03,MOCTC.UDF04,MOCTC.UDF05,MOCTC.UDF06,MOCTC.UDF51,MOCTC.UDF52,"
        "MOCTC.UDF53,MOCTC.UDF54,MOCTC.UDF55,MOCTC.UDF56,TE004,TE006,BB.MB002,BB.MB003,TE008,TE010,TC028,"
        "CMSMV.MV002,TEC01 ";
    EXPECT_EQ(select + "FROM $$MOCTC AS MOCTC " + tail +
                  "WHERE (1=1  and (TC001='5401') and (TC009='Y') and (TC010= 0 )) " + groupBy +
                  "ORDER BY TC001,TC002,TC003,TE004,TE006,TEC01,TE008,TE010 ",
              conditionSql());
}

TEST_F(QueryTest, SummaryWithoutWarehouseHasNoWarehouseJoinAndAConstantName)
{
    summary(false, false);
    const std::string sql = conditionSql();
    EXPECT_EQ(std::string::npos, sql.find("$$CMSMC")) << sql;
    EXPECT_EQ(std::string::npos, sql.find("CMSMC002C")) << sql;
    EXPECT_NE(std::string::npos, sql.find("TE002,'null' CMSMC002 ,PURMA.MA003")) << sql;
    EXPECT_NE(std::string::npos, sql.find("'NULL'  TE010C ,0 AS TE005C1")) << sql;
    EXPECT_NE(std::string::npos, sql.find("TC006=MA001  LEFT JOIN $$INVMB AS BB ON TE004=BB.MB001  LEFT JOIN $$INVMC")) << sql;
    // The work-order joins belong to the line-by-line slip only.
    EXPECT_EQ(std::string::npos, sql.find("$$MOCTA")) << sql;

    // By lot alone: the lot is selected, the warehouse still not joined.
    kvtest::click(window->btn06);
    const std::string byLot = conditionSql();
    EXPECT_NE(std::string::npos, byLot.find("'NULL'  TE010C ,TE010 ,0 AS TE005C1")) << byLot;
    EXPECT_EQ(std::string::npos, byLot.find("$$CMSMC")) << byLot;
}

TEST_F(QueryTest, TheOrderFollowsPageBreakByWarehouseUnlessSlipsAreSummed)
{
    kvtest::click(window->chkCMSMC);
    ASSERT_TRUE(window->chkCMSMC->isChecked());
    conditionSql();
    EXPECT_EQ("ORDER BY TC001,TC002,TC003,TE008,TE003 ", window->OrderByPart);

    kvtest::click(window->chkPrint);
    EXPECT_FALSE(window->chkCMSMC->isChecked());
    EXPECT_FALSE(window->chkCMSMC->isEnabled());
    conditionSql();
    // Summed rows print in the order of their grouping columns.
    EXPECT_EQ("ORDER BY TC001,TC002,TC003,TE004,TE006,TEC01 ", window->OrderByPart);
    // Even when something checks the box behind the user's back.
    window->chkCMSMC->setChecked(true);
    conditionSql();
    EXPECT_EQ("ORDER BY TC001,TC002,TC003,TE004,TE006,TEC01 ", window->OrderByPart);
}

TEST_F(QueryTest, TheOuterJoinDialectIgnoresSummaryAndHasNoJoinTail)
{
    window->SQLType = 1;
    kvtest::click(window->chkPrint);
    EXPECT_EQ(
        "SELECT TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,CMSMQ.MQ002 AS CMSMQ002,CMSMB.MB002 AS CMSMB002,"
        "CMSMD.MD002 AS CMSMD002,PURMA.MA002 AS PURMA002,TE001,TE003,TE004,TE005,TE006,TE008,TE009,TE010,TE011,TE012,"
        "TE013,TE014,TE017,TE018,CMSMC.MC002 AS CMSMC002,INVMC.MC003 AS INVMC003,TA006,TD006,TB004,PURMA.MA003 AS "
        "PURMA003,TC014,TC016,INVMB.MB002 AS INVMB002,INVMB.MB003 AS INVMB003,TA034,TA035 ,TE021,TE022,TC010,TC011,"
        "TC012,TC015,MF002,TB004-TB005 AS TB004C,TB019,TB019-TB020 AS TB019C ,TE016,TE019,TE020,PURMA.MA010 AS "
        "PURMA010,PURMA.MA011 AS PURMA011 "
        "FROM $$MOCTC MOCTC,$$MOCTE MOCTE,$$CMSMQ CMSMQ,$$CMSMB CMSMB,$$CMSMD CMSMD, $$PURMA PURMA,$$CMSMC CMSMC,"
        "$$INVMC INVMC,$$MOCTA MOCTA,$$MOCTB MOCTB,$$MOCTD MOCTD,$$INVMB INVMB,  $$ADMMF ADMMF  "
        "WHERE (TC001=TE001(+) AND TC002=TE002(+) AND TC001=MQ001(+) AND TC004=CMSMB.MB001(+)  AND TC005=MD001(+) "
        "AND TC006=MA001(+) AND TE008=CMSMC.MC001(+) AND TE004=INVMC.MC001(+)  AND TE008=INVMC.MC002(+) "
        "AND TE011=TA001(+) AND TE012=TA002(+) AND TE011=TB001(+)  AND TE012=TB002(+) AND TE004=TB003(+) "
        "AND TE009=TB006(+) AND TE001=TD001(+) AND TE002=TD002(+) AND TE011=TD003(+) AND TE012=TD004(+) "
        "AND TA006=INVMB.MB001(+) AND TC015=MF001(+)  and (TC001='5401') and (TC009='Y') and (TC010= 0 )) "
        "ORDER BY TC001,TC002,TC003 ",
        conditionSql());
}

TEST_F(QueryTest, StatusListsAndRangesBecomeConditions)
{
    window->cboTC009->setCurrentIndex(3); // 全部
    window->cboTC010->setCurrentIndex(0); // 已打印
    window->splTC002->setUserChoice(true);
    window->splTC002->edBegin()->setText_("0001");
    window->splTC002->edFinal()->setText_("0009");
    window->splTC003->edBegin()->setText_(window->ShownDate("20261201"));
    window->splTC003->edFinal()->setText_(window->ShownDate("20261231"));
    window->splTC014->edBegin()->setText_(window->ShownDate("20261115"));
    EXPECT_EQ("WHERE (1=1  and (TC001='5401') and  (TC002 Between '0001' and '0009')  and  "
              "(TC003 Between '20261201' and '20261231')  and  (TC014>= '20261115') and (TC010<> 0 )) ",
              wherePart(conditionSql()));

    // A list of slip numbers, the voided slips, and every print status.
    window->splTC002->setUserChoice(false);
    window->splTC002->ListBox()->AddItem({"0003"});
    window->splTC002->ListBox()->AddItem({"0005"});
    window->splTC003->edBegin()->setText_("");
    window->splTC003->edFinal()->setText_("");
    window->splTC014->edBegin()->setText_("");
    window->cboTC009->setCurrentIndex(2); // 作废
    window->cboTC010->setCurrentIndex(2); // 全部
    EXPECT_EQ("WHERE (1=1  and (TC001='5401') and (TC002 IN ('0003', '0005')) and (TC009='V')) ",
              wherePart(conditionSql()));
}

TEST_F(QueryTest, ASlipTypeHoldingAQuoteStaysInsideItsLiteral)
{
    window->edtTC001->setText("A'B");
    window->cboTC010->setCurrentIndex(2);
    const Variant values = optionValues();
    EXPECT_EQ("='A''B'", values[1].toText());
    EXPECT_EQ("WHERE (1=1  and (TC001='A''B') and (TC009='Y')) ", wherePart(conditionSql()));
}

TEST_F(QueryTest, ARunByKeyRestrictsOnlyByTheKeyQuotedAndIgnoresTheUsersConditions)
{
    window->splTC002->edBegin()->setText_("0001");
    window->cboTC010->setCurrentIndex(0);
    EXPECT_EQ("WHERE (1=1  and (TC001='A')) ", wherePart(keySql(kv::varArrayOf({"A", "", "x"}))));
    EXPECT_EQ("WHERE (1=1  and (TC001='5401') and (TC002='20261207001')) ",
              wherePart(keySql(kv::varArrayOf({"5401", "20261207001", "54"}))));
    EXPECT_EQ("WHERE (1=1  and (TC002='7')) ", wherePart(keySql(kv::varArrayOf({Variant(), "7"}))));
    // Nothing given: no condition at all (a bare "1=1").
    EXPECT_EQ("WHERE (1=1) ", wherePart(keySql(kv::varArrayOf({"", ""}))));
    EXPECT_EQ("WHERE (1=1  and (TC001='A''B') and (TC002='1'' OR ''1''=''1')) ",
              wherePart(keySql(kv::varArrayOf({"A'B", "1' OR '1'='1", "54"}))));
}

TEST_F(QueryTest, AKeyNamingNoSlipRunsNothingRatherThanEverySlip)
{
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(window->RunByKey(kv::varArrayOf({"", "", "54"}), false));
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(window->ExportByKey(Variant("5401"), 1, 96, shell.root() + "slip", ""));
    EXPECT_EQ(2u, messages().size());
    EXPECT_EQ("没有符合条件的资料！", messages().back());
}

TEST_F(QueryTest, OtherDialectsBuildNoQueryAndRunsAreRefusedAsNoData)
{
    window->SQLType = 2;
    Variant sql("old");
    window->BuildQuery(0, optionValues(), sql);
    EXPECT_EQ("", sql.toText());
    EXPECT_EQ("", window->FinishWhere());
    EXPECT_EQ("", window->SelectPart);

    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(window->RunReport(true));
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(window->RunByKey(kv::varArrayOf({"5401", "", ""}), false));
    ASSERT_EQ(2u, messages().size());
    EXPECT_EQ(messages()[0], messages()[1]);
    EXPECT_NE(std::string::npos, window->ErrorTexts.find("SQL dialect 2")) << window->ErrorTexts;
}

} // namespace
