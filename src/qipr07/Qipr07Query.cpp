// The report SQL of the material-issue slips: select list, joins, the
// conditions of a run from the user's options or from a key, and the order.
#include "qipr07/Qipr07.h"

#include "platform/Clock.h"

#include "controls/BtChkBox.h"
#include "controls/SelectPnl.h"
#include "lib/SqlConditions.h"

#include <QComboBox>

namespace kv {

namespace {

// Option slots of this report in the run's option values.
enum Slot { kSlipType = 1, kSlipNumber = 2, kIssueDate = 3, kApproval = 4, kPrinted = 5, kSlipDate = 6 };

// Condition kind of SPSQLStr for text values.
constexpr int kTextValues = 1;

// Base select list of the joined query.
constexpr const char *kSelectS0 =
    "SELECT TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,CMSMQ.MQ002 AS CMSMQ002,CMSMB.MB002 AS CMSMB002,"
    "CMSMD.MD002 AS CMSMD002,PURMA.MA002 AS PURMA002,TE001,TE003,TE004,TE005,TE006,TE008,TE009,TE010,TE011,TE012,"
    "TE013,TE014,TE017,TE018,CMSMC.MC002 AS CMSMC002,INVMC.MC003 AS INVMC003,TA006,TD006,TB004,"
    "PURMA.MA003 AS PURMA003,TC014,TC016,INVMB.MB002 AS INVMB002,INVMB.MB003 AS INVMB003,TA034,TA035 ,TE021,TE022,"
    "TC031, CMSNO.NO002 AS CMSNO002,TE025 ,TC021,CMSME.ME002 AS CMSME002 ,TC008,TC013,TC018,TC019,TC020,"
    "MOCTC.CREATOR AS CREATOR,B.MF002 AS MF002C2,TE015 ,TC010,TC011,TC012,TC015,A.MF002 AS MF002C1,"
    "TB004-TB005 AS TB004C,TB019,TB019-TB020 AS TB019C ,TE016,TE019,TE020,PURMA.MA010 AS PURMA010,"
    "PURMA.MA011 AS PURMA011 ,TA057,TA058,TE024,INVME.ME017 AS ME017,INVME.ME018 AS ME018,INVME.ME019 AS ME019 ,"
    "INVME.ME017+'-'+INVME.ME018+'-'+INVME.ME019 AS ME017C,INVME.ME020 AS ME020 ,INVME.ME021 AS ME021,TE023 ";

// User-defined fields of the header (M) and of the line (D).
constexpr const char *kHeaderUdfs =
    " ,MOCTC.UDF01 AS UDF01M, MOCTC.UDF02 AS UDF02M, MOCTC.UDF03 AS UDF03M, MOCTC.UDF04 AS UDF04M, "
    "MOCTC.UDF05 AS UDF05M, MOCTC.UDF06 AS UDF06M, ";
constexpr const char *kHeaderUdfs5x =
    " MOCTC.UDF51 AS UDF51M, MOCTC.UDF52 AS UDF52M, MOCTC.UDF53 AS UDF53M, MOCTC.UDF54 AS UDF54M, "
    "MOCTC.UDF55 AS UDF55M, MOCTC.UDF56 AS UDF56M";
constexpr const char *kLineUdfs =
    " MOCTE.UDF01 AS UDF01D, MOCTE.UDF02 AS UDF02D, MOCTE.UDF03 AS UDF03D, MOCTE.UDF04 AS UDF04D, "
    "MOCTE.UDF05 AS UDF05D, MOCTE.UDF06 AS UDF06D, ";
constexpr const char *kLineUdfs5x =
    " MOCTE.UDF51 AS UDF51D, MOCTE.UDF52 AS UDF52D, MOCTE.UDF53 AS UDF53D, MOCTE.UDF54 AS UDF54D, "
    "MOCTE.UDF55 AS UDF55D, MOCTE.UDF56 AS UDF56D ";

// The header's user fields as grouping columns of the summary.
constexpr const char *kHeaderUdfColumns =
    ",MOCTC.UDF01,MOCTC.UDF02,MOCTC.UDF03,MOCTC.UDF04,MOCTC.UDF05,MOCTC.UDF06,"
    "MOCTC.UDF51,MOCTC.UDF52,MOCTC.UDF53,MOCTC.UDF54,MOCTC.UDF55,MOCTC.UDF56";

// The lot's receipt (for its inspection remark) and the lot description of
// a summed row: those of its one lot, empty when its lines come from
// several lots.
constexpr const char *kLotOfRow =
    ",CASE WHEN MIN(TE010)=MAX(TE010) THEN MAX(INVME.ME017) END AS ME017"
    ",CASE WHEN MIN(TE010)=MAX(TE010) THEN MAX(INVME.ME018) END AS ME018"
    ",CASE WHEN MIN(TE010)=MAX(TE010) THEN MAX(INVME.ME019) END AS ME019 "
    ",CASE WHEN MIN(TE010)=MAX(TE010) THEN MAX(TE023) END AS TE023 ";

// Select list of the outer-join dialect.
constexpr const char *kSelectS1 =
    "SELECT TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,CMSMQ.MQ002 AS CMSMQ002,CMSMB.MB002 AS CMSMB002,"
    "CMSMD.MD002 AS CMSMD002,PURMA.MA002 AS PURMA002,TE001,TE003,TE004,TE005,TE006,TE008,TE009,TE010,TE011,TE012,"
    "TE013,TE014,TE017,TE018,CMSMC.MC002 AS CMSMC002,INVMC.MC003 AS INVMC003,TA006,TD006,TB004,"
    "PURMA.MA003 AS PURMA003,TC014,TC016,INVMB.MB002 AS INVMB002,INVMB.MB003 AS INVMB003,TA034,TA035 ,TE021,TE022,"
    "TC010,TC011,TC012,TC015,MF002,TB004-TB005 AS TB004C,TB019,TB019-TB020 AS TB019C ,TE016,TE019,TE020,"
    "PURMA.MA010 AS PURMA010,PURMA.MA011 AS PURMA011 ";

constexpr const char *kFromS1 =
    " FROM $$MOCTC MOCTC,$$MOCTE MOCTE,$$CMSMQ CMSMQ,$$CMSMB CMSMB,$$CMSMD CMSMD, $$PURMA PURMA,$$CMSMC CMSMC,"
    "$$INVMC INVMC,$$MOCTA MOCTA,$$MOCTB MOCTB,$$MOCTD MOCTD,$$INVMB INVMB,  $$ADMMF ADMMF ";

constexpr const char *kWhereS1 =
    " WHERE TC001=TE001(+) AND TC002=TE002(+) AND TC001=MQ001(+) AND TC004=CMSMB.MB001(+)  AND TC005=MD001(+) "
    "AND TC006=MA001(+) AND TE008=CMSMC.MC001(+) AND TE004=INVMC.MC001(+)  AND TE008=INVMC.MC002(+) "
    "AND TE011=TA001(+) AND TE012=TA002(+) AND TE011=TB001(+)  AND TE012=TB002(+) AND TE004=TB003(+) "
    "AND TE009=TB006(+) AND TE001=TD001(+) AND TE002=TD002(+) AND TE011=TD003(+) AND TE012=TD004(+) "
    "AND TA006=INVMB.MB001(+) AND TC015=MF001(+) ";

// Joins of the slip header to its lines and to the masters every shape needs.
constexpr const char *kHeaderJoins =
    " LEFT JOIN $$MOCTE AS MOCTE ON TC001=TE001 AND TC002=TE002 LEFT JOIN $$CMSMQ AS CMSMQ ON TC001=MQ001 "
    "LEFT JOIN $$CMSMB AS CMSMB ON TC004=MB001 LEFT JOIN $$CMSMD AS CMSMD ON TC005=MD001 "
    "LEFT JOIN $$CMSME AS CMSME ON CMSME.ME001=TC021  LEFT JOIN $$CMSNO AS CMSNO ON CMSNO.NO001=TC031  "
    "LEFT JOIN $$PURMA AS PURMA ON TC006=MA001";

// Element index of a one-dimensional array; unassigned when there is none.
Variant elementOf(const Variant &array, int index)
{
    const Variant &value = array.deref();
    if (!value.isArray() || value.array().dimCount() != 1 || index < value.array().lowBound() ||
        index > value.array().highBound())
        return {};
    return value[index].deref();
}

} // namespace

std::string TfrmQipr07::ElementText(const Variant &array, int index)
{
    try {
        const Variant element = elementOf(array, index);
        return element.isEmptyOrNull() ? std::string() : varToStr(element);
    } catch (const VariantError &) {
        return {};
    }
}

void TfrmQipr07::BuildQuery(int mode, const Variant &valuesOrKey, Variant &sql)
{
    TfrmVROpt::BuildQuery(mode, valuesOrKey, sql);
    std::string where;
    switch (SQLType) {
    case 0: buildJoinedQuery(where); break;
    case 1: buildOuterJoinQuery(where); break;
    default:
        // No query for this dialect: leave nothing a run could send.
        SelectPart.clear();
        FromPart.clear();
        SQLTail.clear();
        WherePart.clear();
        GroupByPart.clear();
        OrderByPart.clear();
        sql = Variant(std::string());
        return;
    }
    if (mode == 0)
        addOptionConditions(where, valuesOrKey);
    else
        addKeyConditions(where, valuesOrKey);
    SetWhere(where);
    setOrder();
    sql = Variant(SelectPart + FromPart + SQLTail + WherePart + GroupByPart + OrderByPart);
}

std::string TfrmQipr07::FinishWhere()
{
    TfrmVROpt::FinishWhere();
    if (!HasQueryForSQLType())
        return {};
    return SelectPart + FromPart + SQLTail + WherePart + GroupByPart + OrderByPart;
}

void TfrmQipr07::buildJoinedQuery(std::string &where)
{
    const bool summary = chkPrint->isChecked();
    const bool byWarehouse = summary && btn05->isChecked();
    GroupByPart.clear();
    SetSelect(kSelectS0);
    SetSelect(SelectPart + ", TE026, TE027 ");
    SetSelect(SelectPart + kHeaderUdfs + kHeaderUdfs5x + ", " + kLineUdfs + kLineUdfs5x);
    SetSelect(SelectPart + " ,MW002 AS TE009C ");
    SetSelect(SelectPart + " ,TA015,TA016 ");
    SetSelect(SelectPart + ",TC029 AS TE005C1 ,TC030 AS TE021C1,0 AS TB004C1,0 AS TB005C1,0 AS TB019C1,0 AS TB020C1");
    if (summary)
        buildSummarySelect();
    SetSelect(SelectPart + ",TC028, CMSMV.MV002 as CMSMV002 ");
    SetSelect(SelectPart + ",TEC01 ");

    SetFrom(" FROM $$MOCTC AS MOCTC");
    SetSQLTail(kHeaderJoins);
    if (!summary || byWarehouse)
        SetSQLTail(SQLTail + " LEFT JOIN $$CMSMC AS CMSMC ON TE008=CMSMC.MC001");
    if (summary)
        SetSQLTail(SQLTail + " LEFT JOIN $$INVMB AS BB ON TE004=BB.MB001");
    SetSQLTail(SQLTail + " LEFT JOIN $$INVMC AS INVMC ON TE004=INVMC.MC001 AND TE008=INVMC.MC002");
    if (!summary) {
        SetSQLTail(SQLTail + " LEFT JOIN $$MOCTA AS MOCTA ON TE011=TA001 AND TE012=TA002");
        SetSQLTail(SQLTail + " LEFT JOIN $$MOCTB AS MOCTB ON TE011=TB001 AND TE012=TB002 AND TE004=TB003 AND TE009=TB006");
        SetSQLTail(SQLTail + " LEFT JOIN $$MOCTD AS MOCTD ON TE001=TD001 AND TE002=TD002 AND TE011=TD003 AND TE012=TD004");
        SetSQLTail(SQLTail + " LEFT JOIN $$INVMB AS INVMB ON TA006=INVMB.MB001 ");
    }
    SetSQLTail(SQLTail + " LEFT JOIN $$INVME AS INVME ON INVME.ME001=TE004 AND INVME.ME002=TE010 " +
               " LEFT JOIN $$ADMMF AS A ON TC015=A.MF001 " + " LEFT JOIN $$ADMMF AS B ON MOCTC.CREATOR=B.MF001 " +
               " LEFT JOIN $$CMSMW AS CMSMW ON TE009=MW001 ");
    SetSQLTail(SQLTail + " LEFT JOIN $$CMSMV AS CMSMV ON MV001=TC028 ");
    where = " WHERE 1=1 ";
}

// The select list summed per item: one row per slip, item, unit and item
// type (and warehouse or lot when chosen); the layout sums the quantities of
// each row itself, over the same columns. The rows are grouped by every
// plain column: apart from the grouping columns these belong to the slip
// header and its masters or to the item (or to the warehouse when summed by
// it), so they add no rows. Only the columns of the line's lot can differ
// between the lines of a row: they stand for the row's lot when it has one
// and are empty when it covers several.
void TfrmQipr07::buildSummarySelect()
{
    SetSelect("SELECT  TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,TC031, CMSNO.NO002 AS CMSNO002,"
              "CMSMQ.MQ002 AS CMSMQ002,CMSMB.MB002 AS CMSMB002,CMSMD.MD002 AS CMSMD002,PURMA.MA002 AS PURMA002,"
              "TE001,TE002,'null' CMSMC002");
    std::string groupBy = "TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,TC031,CMSNO.NO002,CMSMQ.MQ002,"
                          "CMSMB.MB002,CMSMD.MD002,PURMA.MA002,TE001,TE002";
    if (btn05->isChecked()) {
        SetSelect(SelectPart + ",CMSMC.MC002 AS CMSMC002C");
        groupBy += ",CMSMC.MC002";
    }
    SetSelect(SelectPart + ",PURMA.MA003 AS PURMA003,TC014,TC016 " + ",TC021,CMSME.ME002 AS CMSME002 " +
              ",TC008,TC013,TC018,TC019,TC020,MOCTC.CREATOR AS CREATOR,B.MF002 AS MF002C2 " +
              ",TC010,TC011,TC012,TC015,A.MF002 AS MF002C1 " + ",PURMA.MA010 AS PURMA010,PURMA.MA011 AS PURMA011 " +
              kLotOfRow);
    groupBy += ",PURMA.MA003,TC014,TC016,TC021,CMSME.ME002,TC008,TC013,TC018,TC019,TC020,MOCTC.CREATOR,B.MF002,"
               "TC010,TC011,TC012,TC015,A.MF002,PURMA.MA010,PURMA.MA011";
    SetSelect(SelectPart + kHeaderUdfs + kHeaderUdfs5x + " ");
    groupBy += kHeaderUdfColumns;
    SetSelect(SelectPart + ",TE004,TE006,BB.MB002 AS BBMB002,BB.MB003 AS BBMB003,0 TE005C,'NULL' TE008C ,'NULL'  TE010C ");
    groupBy += ",TE004,TE006,BB.MB002,BB.MB003";
    if (btn05->isChecked()) {
        SetSelect(SelectPart + ",TE008");
        groupBy += ",TE008";
    }
    if (btn06->isChecked()) {
        SetSelect(SelectPart + ",TE010");
        groupBy += ",TE010";
    }
    SetSelect(SelectPart + ",0 AS TE005C1,0 AS TE021C1 ");
    // The pick-up person and the item type follow in the common select list.
    SetGroupBy(groupBy + ",TC028,CMSMV.MV002,TEC01");
}

void TfrmQipr07::buildOuterJoinQuery(std::string &where)
{
    SetSelect(kSelectS1);
    GroupByPart.clear();
    SetFrom(kFromS1);
    SetSQLTail("");
    where = kWhereS1;
}

void TfrmQipr07::addOptionConditions(std::string &where, const Variant &values)
{
    const std::string slipType = ElementText(values, kSlipType);
    if (!slipType.empty())
        AddCondition(where, "TC001", slipType);
    SPSQLStr(where, "TC002", elementOf(values, kSlipNumber), kTextValues);
    SPSQLStr(where, "TC003", elementOf(values, kIssueDate), kTextValues);
    SPSQLStr(where, "TC014", elementOf(values, kSlipDate), kTextValues);
    // "全部" is the fourth item: no condition on the approval code.
    if (cboTC009->currentIndex() >= 0 && cboTC009->currentIndex() < 3)
        AddCondition(where, "TC009", ElementText(values, kApproval));
    AddCondition(where, "TC010", ElementText(values, kPrinted));
    addLedgerConditions(where);
}

// The ledger boxes of "高级选项". Only the user code and today's date go
// into the SQL, both quoted; the kinds of a print are the ledger's codes
// for a printer and a PDF file.
void TfrmQipr07::addLedgerConditions(std::string &where) const
{
    const auto printedSlip = [](const std::string &condition) {
        return " EXISTS (SELECT 1 FROM $$ADMPL AS ADMPL WHERE PL002='MOCTC' AND PL003=TC001 AND PL004=TC002"
               " AND PL008 IN ('1','2') AND PL012='Y' AND " +
               condition + ")";
    };
    if (chkPrintedByMe->isChecked())
        AddCondition(where, printedSlip("PL005=" + QuotedSql(UserID)), " ");
    if (chkPrintedToday->isChecked())
        AddCondition(where, printedSlip("PL006=" + QuotedSql(Clock::today().toString("yyyyMMdd").toStdString())),
                     " ");
    if (chkNeverSent->isChecked())
        AddCondition(where, "isnull(TC017,0)", "=0");
}

void TfrmQipr07::addKeyConditions(std::string &where, const Variant &key)
{
    const std::string slipType = ElementText(key, 0);
    if (!slipType.empty())
        AddCondition(where, "TC001", "=" + QuotedSql(slipType));
    const std::string slipNumber = ElementText(key, 1);
    if (!slipNumber.empty())
        AddCondition(where, "TC002", "=" + QuotedSql(slipNumber));
}

// The summed rows of a slip by their grouping columns: without them the
// engines return a slip's items in any order, and the same slip would print
// its lines differently from one run or database to the next.
std::string TfrmQipr07::summaryOrder() const
{
    std::string order = " ORDER BY TC001,TC002,TC003,TE004,TE006,TEC01";
    if (btn05->isChecked())
        order += ",TE008";
    if (btn06->isChecked())
        order += ",TE010";
    return order;
}

void TfrmQipr07::setOrder()
{
    if (chkPrint->isChecked() && SQLType == 0)
        SetOrderBy(summaryOrder());
    else if (chkPrint->isChecked())
        SetOrderBy(" ORDER BY TC001,TC002,TC003");
    else if (chkCMSMC->isChecked())
        SetOrderBy(" ORDER BY TC001,TC002,TC003,TE008,TE003");
    else
        SetOrderBy(" ORDER BY TC001,TC002,TC003,TE003");
}

} // namespace kv
