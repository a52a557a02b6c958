// TfrmQipr07Fmt_1: construction of the summary slip (report settings, the
// summary's line and footer fields) and the rules it adds while the report
// runs: the line query of the summed quantities, the quantity and its
// footer totals, and the warehouse and lot fields that print only when the
// summary is by warehouse or by lot.

#include "qipr07/Qipr07Fmt_1.h"

#include "base/KVForm.h"
#include "lib/CodeConverter.h"
#include "lib/LibStrs.h"
#include "platform/ClientDataSet.h"
#include "platform/Dispatch.h"
#include "platform/report/Report.h"
#include "platform/report/ReportEvents.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRLabel.h"

namespace kv {

namespace {

TextPrintArgs *textArgs(EventArgs &args)
{
    return dynamic_cast<TextPrintArgs *>(&args);
}

// The report columns the line query sums by (those present are its parameters).
constexpr const char *kLineTotalsColumns[] = {"TE004", "TE006", "TE001", "TE002", "TEC01", "TE008", "TE010"};

} // namespace

TfrmQipr07Fmt_1::TfrmQipr07Fmt_1(QWidget *owner) : TfrmQipr07Fmt(owner, HeaderOnly{})
{
    setObjectName(QStringLiteral("frmQipr07Fmt_1"));
    applyReportSettings(184, 48, 289, 119);
    buildHeader();
    // The summary prints the first header user field at the top left.
    txtUDF01M = QRGroup->findChild<TKVQRDBText *>(QStringLiteral("txtUDF01M"));
    txtUDF01M->setEnabled(true);
    txtUDF01M->setLeft(4);
    txtUDF01M->setTop(6);
    txtUDF01M->setWidth(160);
    buildSummaryLines();
    buildSummaryFooter();

    ADO01 = new TKvADOConnection(this);
    ADO01->setObjectName(QStringLiteral("ADO01"));
    dsdqry = new TKvADOQuery(this);
    dsdqry->setObjectName(QStringLiteral("dsdqry"));
    dsdqry->Connection = ADO01;
    loadPagePicture(QStringLiteral(":/qipr07/pictures/summary.svg"));
}

TfrmQipr07Fmt_1::~TfrmQipr07Fmt_1() = default;

void TfrmQipr07Fmt_1::buildSummaryLines()
{
    TQRBand *band = QRDetailBand;
    // Two rows of 24 to a line.
    constexpr int row0 = 5, row1 = 28;
    using Handler = void (TfrmQipr07Fmt_1::*)(QObject *, EventArgs &);
    const auto bind = [this](ReportText *text, Handler handler, const char *name) {
        text->setEventOnPrint(
            EventHandler([this, handler](QObject *sender, EventArgs &args) { (this->*handler)(sender, args); },
                         name));
    };
    txtTE004 = addField(band, "txtTE004", "TE004", "材料品号", 4, row0, 132);
    txtTE017 = addField(band, "txtTE017", "BBMB002", "材料品名", 144, row0, 232);
    txtTE018 = addField(band, "txtTE018", "BBMB003", "材料规格", 144, row1, 232);
    txtTE006 = addField(band, "txtTE006", "TE006", "单位", 384, row0, 44);
    txtTE005 = addField(band, "txtTE005", "TE005C", "领退料数量", 434, row0, 92, true);
    bind(txtTE005, &TfrmQipr07Fmt_1::txtTE005Print, "txtTE005Print");
    txtTE008 = addField(band, "txtTE008", "TE008C", "仓库", 534, row0, 92);
    bind(txtTE008, &TfrmQipr07Fmt_1::txtTE008Print, "txtTE008Print");
    txtCMSMC002 = addField(band, "txtCMSMC002", "CMSMC002", "仓库名称", 534, row1, 92);
    bind(txtCMSMC002, &TfrmQipr07Fmt_1::txtCMSMC002Print, "txtCMSMC002Print");
    txtTE010 = addField(band, "txtTE010", "TE010C", "批号", 634, row0, 102);
    bind(txtTE010, &TfrmQipr07Fmt_1::txtTE010Print, "txtTE010Print");
    txtTE023 = addField(band, "txtTE023", "TE023", "批号说明", 634, row1, 102);
    bind(txtTE023, &TfrmQipr07Fmt_1::txtTE023Print, "txtTE023Print");

    lblTA027 = new TQRLabel(band);
    lblTA027->setObjectName(QStringLiteral("lblTA027"));
    lblTA027->setCaption(QStringLiteral("判定说明"));
    lblTA027->setHint(QStringLiteral("判定说明"));
    lblTA027->setFont(txtTE004->font());
    lblTA027->setLeft(-5000);
    lblTA027->setTop(row1);
    lblTA027->setWidth(120);
    lblTA027->setHeight(16);
    lblTA027->setEnabled(false);
    txtTEC01 = addHiddenField(band, "txtTEC01", "TEC01", "类型");
    setCodes(txtTEC01, {"1=工程品号", "2=正式品号"});
}

void TfrmQipr07Fmt_1::buildSummaryFooter()
{
    lblNoData->setLeft(144);
    lblNoData->setTop(6);

    TQRBand *band = GroupFooterChildBand;
    txtTE005C1 = addField(band, "txtTE005C1", "TE005C1", "总领料数量", 434, 5, 92, true);
    txtTE005C1->setEventOnPrint(EventHandler(
        [this](QObject *sender, EventArgs &args) { txtTE005C1Print(sender, args); }, "txtTE005C1Print"));
    // Notes on the left, sign-offs on the right of the footer.
    int top = 34;
    for (TQRLabel *label : {lblNote1, lblNote2, lblNote3}) {
        label->setLeft(8);
        label->setTop(top);
        label->setWidth(356);
        top += 22;
    }
    top = 34;
    // Each sign-off line as wide as the others (see the detailed slip).
    for (TQRLabel *label : {lblSignIn1, lblSignIn2, lblSignIn3}) {
        label->setLeft(378);
        label->setTop(top);
        label->setWidth(356);
        top += 22;
    }
    lblNextPage->setLeft(660);
    lblNextPage->setTop(100);

    const EventHandler packTotal([this](QObject *sender, EventArgs &args) { txtTE021C1Print(sender, args); },
                                 "txtTE021C1Print");
    txtTE021C1 = addHiddenField(band, "txtTE021C1", "TE021C1", "总领料包装数量", true);
    txtTB004C1 = addHiddenField(band, "txtTB004C1", "TB004C1", "总需领料量", true);
    txtTB005C1 = addHiddenField(band, "txtTB005C1", "TB005C1", "总未领料量", true);
    txtTB019C1 = addHiddenField(band, "txtTB019C1", "TB019C1", "总需领料包装量", true);
    txtTB020C1 = addHiddenField(band, "txtTB020C1", "TB020C1", "总未领料包装量", true);
    for (TKVQRDBText *field : {txtTE021C1, txtTB004C1, txtTB005C1, txtTB019C1, txtTB020C1})
        field->setEventOnPrint(packTotal);
    addHiddenField(band, "txtMF002C1F", "MF002C1", "用户名称");
    addHiddenField(band, "txtTC015F", "TC015", "审核者 ");
    addHiddenField(band, "txtMF002C2F", "MF002C2", "用户名称  ");
    addHiddenField(band, "txtCREATORF", "CREATOR", "录入者");
}

void TfrmQipr07Fmt_1::BeforeDesign()
{
    SQLReBuilder->setEnabled(false);
}

// ---------------------------------------------------------------- line query

std::string TfrmQipr07Fmt_1::LineTotalsSql() const
{
    std::string sql = "  SELECT  isnull(SUM(TE005),0) TE005          ,ISNULL(SUM(TE021),0) TE021  FROM  " + CompanyDB +
                      ".." + "MOCTE" +
                      " WHERE 1=1  and  TE004=:TE004  AND TE006=:TE006  AND  TE001=:TE001  AND  TE002=:TE002 AND "
                      "TEC01=:TEC01 ";
    if (hasColumn("TE008"))
        sql += " AND TE008=:TE008 ";
    if (hasColumn("TE010"))
        sql += " AND TE010=:TE010";
    return sql;
}

bool TfrmQipr07Fmt_1::connectLineQuery()
{
    if (ADO01->Connected())
        return true;
    try {
        Variant request = varArrayOf({std::string()});
        const DispatchPtr server = ProgramServer();
        const Variant reply = server->call("ResultConnectString", {request});
        ADO01->setConnectionString(varToStr(reply));
        ADO01->setProgramServer(server);
        ADO01->Open();
        return true;
    } catch (const std::exception &error) {
        WriteToAlertFile("QIPR07", std::string("ResultConnectString: ") + error.what(), "D");
        ShowMessage(FmtText("sNewCounter", "请用最新的counter再来运行该程序"), MessageType::Error, MessageButton::OK);
        return false;
    }
}

bool TfrmQipr07Fmt_1::QueryLineTotals()
{
    if (!connectLineQuery())
        return false;
    dsdqry->Close();
    dsdqry->setSQL(LineTotalsSql());
    for (const char *column : kLineTotalsColumns) {
        if (hasColumn(column))
            dsdqry->setParam(column, toDb(Variant(columnText(column).toStdString())).toText());
    }
    dsdqry->Open();
    return true;
}

// ---------------------------------------------------------------- report events

void TfrmQipr07Fmt_1::QuickRep1BeforePrint(ReportPrintArgs &args)
{
    TfrmQipr07Fmt::QuickRep1BeforePrint(args);
    IssueQtyTotal = IssuePackTotal = 0;
    m_lineQueryFailed = false;
    dsdqry->Close();
}

void TfrmQipr07Fmt_1::QRDetailBandBeforePrint(BandPrintArgs &args)
{
    if (skipHeaderOnlyRecord(args))
        return;
    if (m_lineQueryFailed || !QueryLineTotals()) {
        // Without the quantities the slips would print wrong: the run ends
        // here without output, the user has been told why.
        m_lineQueryFailed = true;
        args.printBand = false;
        QuickRep1->cancel();
        return;
    }
    LookUpInspectionRemark();
    TfrmVRFormat::QRDetailBandBeforePrint(args);
    if (!args.printBand)
        return; // counted when it prints on the next page
    // Each report row is one sum of its own: the slip's total is the sum of
    // the quantities printed.
    startTotalsOfNewSlip();
    IssueQtyTotal += dsdqry->FloatOf("TE005");
    IssuePackTotal += dsdqry->FloatOf("TE021");
}

void TfrmQipr07Fmt_1::resetRunningTotals()
{
    TfrmQipr07Fmt::resetRunningTotals();
    IssueQtyTotal = IssuePackTotal = 0;
}

// ---------------------------------------------------------------- print handlers

void TfrmQipr07Fmt_1::txtHyphenPrint(QObject *sender, EventArgs &args)
{
    // The summary has no work order to join with a hyphen.
    (void)sender;
    (void)args;
}

void TfrmQipr07Fmt_1::txtTE005Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    TextPrintArgs *print = textArgs(args);
    if (!print)
        return;
    try {
        print->value = FloatText(dsdqry->FloatOf("TE005"));
    } catch (const std::exception &) {
        print->value.clear();
    }
}

std::string TfrmQipr07Fmt_1::textIfColumn(const char *present, const char *column) const
{
    return hasColumn(present) ? columnText(column).toStdString() : std::string();
}

void TfrmQipr07Fmt_1::convertForDisplay(EventArgs &args) const
{
    TextPrintArgs *print = textArgs(args);
    if (!print)
        return;
    // The condition window converts data for display as it does its own.
    const auto *owner = qobject_cast<const TKVForm *>(parentWidget());
    const TCodeConverter *converter = owner ? owner->KvConverter() : KvConverter();
    if (converter)
        print->value = varToStr(converter->ConvertDataString(Variant(print->value)));
}

void TfrmQipr07Fmt_1::txtTE008Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    if (TextPrintArgs *print = textArgs(args))
        print->value = textIfColumn("TE008", "TE008");
}

void TfrmQipr07Fmt_1::txtCMSMC002Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    if (TextPrintArgs *print = textArgs(args)) {
        print->value = textIfColumn("TE008", "CMSMC002C");
        convertForDisplay(args);
    }
}

void TfrmQipr07Fmt_1::txtTE010Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    if (TextPrintArgs *print = textArgs(args)) {
        print->value = textIfColumn("TE010", "TE010");
        convertForDisplay(args);
    }
}

void TfrmQipr07Fmt_1::txtTE023Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    if (TextPrintArgs *print = textArgs(args))
        print->value = textIfColumn("TE010", "TE023");
}

void TfrmQipr07Fmt_1::txtTE005C1Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    printRunningTotal(txtTE005C1, IssueQtyTotal, args);
}

void TfrmQipr07Fmt_1::txtTE021C1Print(QObject *sender, EventArgs &args)
{
    // Whichever of the five packing-total fields prints first shows the
    // total and starts it again.
    auto *field = qobject_cast<TKVQRDBText *>(sender);
    printRunningTotal(field ? field : txtTE021C1, IssuePackTotal, args);
}

} // namespace kv
