#include "qipr07/Qipr07.h"

#include "base/KvBitBtn.h"
#include "base/KvLabel.h"
#include "lib/LibVCLs.h"
#include "base/KvPageControl.h"
#include "base/KvPanel.h"
#include "base/KvTabSheet.h"
#include "controls/BtChkBox.h"
#include "controls/F2Button.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"
#include "qipr07/Qipr07Fmt.h"
#include "qipr07/Qipr07Fmt_1.h"
#include "platform/Prompter.h"
#include "report/layout/PrintLedgerWindow.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTabBar>

namespace kv {

namespace {

TKvLabel *label(QWidget *parent, const char *name, const QString &caption, int left, int top)
{
    auto *result = named(new TKvLabel(parent), name);
    result->setCaption(caption);
    result->move(left, top);
    result->adjustSize();
    return result;
}

TBitCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption, QRect bounds)
{
    auto *result = named(new TBitCheckBox(parent), name);
    result->setCaption(caption);
    result->setGeometry(bounds);
    return result;
}

QComboBox *dropDownList(QWidget *parent, const char *name, const QStringList &items, QRect bounds)
{
    auto *result = named(new QComboBox(parent), name);
    result->setEditable(false);
    result->addItems(items);
    result->setGeometry(bounds);
    return result;
}

// Hints of the two editors and their lookup buttons of a date panel; the
// style check box keeps its usual hint.
QStringList dateHints()
{
    return {QStringLiteral("用户自定输入方式"), QStringLiteral("[F2]日期快手"), QStringLiteral("日期快手"),
            QStringLiteral("[F2]日期快手"), QStringLiteral("日期快手")};
}

TSelectPanel *datePanel(QWidget *parent, const char *name, const QString &caption, QRect bounds)
{
    auto *panel = named(new TSelectPanel(parent), name);
    panel->setTitle(caption);
    panel->setStyle(TSelectPanel::sp_Range);
    panel->setValueType(TSelectPanel::vt_Date);
    panel->setBeginWords({QStringLiteral("起"), QStringLiteral("起")});
    panel->setFinalWords({QStringLiteral("止"), QStringLiteral("止")});
    panel->setChildHints(dateHints());
    panel->setGeometry(bounds);
    return panel;
}

} // namespace

TfrmQipr07::TfrmQipr07(QWidget *parent) : TfrmVROpt(parent)
{
    // Characters 4 to 6 of the name must match the program code (QIPR07).
    setObjectName(QStringLiteral("frmQipr07"));
    setCaption(QStringLiteral("frmQipr07"));
    buildBasicPage();
    buildAdvancedPage();
    buildLedgerButton();
    // This report sends to suppliers or to a typed number only.
    cboSendWay->clear();
    cboSendWay->addItems({QStringLiteral("FAX To 供应商"), QStringLiteral("Email To 供应商"),
                          QStringLiteral("FAX To 自定义对象"), QStringLiteral("Email To 自定义对象")});
    wireReportHandlers();
}

TfrmQipr07::~TfrmQipr07() = default;

void TfrmQipr07::buildBasicPage()
{
    lblTC001 = label(tsOption1, "lblTC001", QStringLiteral("选择领料单别"), 8, 12);
    edtTC001 = named(new TKovMaskEdit(tsOption1), "edtTC001");
    edtTC001->setMaxLength(4);
    edtTC001->setGeometry(96, 8, 60, 21);
    edtTC001->setPublishedHint(QStringLiteral("[F2]单据性质信息"));
    btnTC001 = named(new TF2Button(tsOption1), "btnTC001");
    btnTC001->setPublishedHint(QStringLiteral("单据性质信息"));
    btnTC001->setGlyphIndex(8);
    btnTC001->setFlat(true);
    btnTC001->setF2Control(edtTC001);
    txtTC001 = label(tsOption1, "txtTC001", QString(), 190, 12);
    txtTC001->setMinimumWidth(200);

    splTC002 = named(new TSelectPanel(tsOption1), "splTC002");
    splTC002->setTitle(QStringLiteral("选择领料单号"));
    splTC002->setStyle(TSelectPanel::sp_UserChoice);
    splTC002->setValueType(TSelectPanel::vt_String);
    splTC002->setBeginWords({QStringLiteral("起"), QStringLiteral("起")});
    splTC002->setFinalWords({QStringLiteral("止"), QStringLiteral("止")});
    splTC002->setChildHints({QStringLiteral("用户自定输入方式"), QStringLiteral("[F2]领料单号查询"),
                             QStringLiteral("领料单号查询"), QStringLiteral("[F2]领料单号查询"),
                             QStringLiteral("领料单号查询"), QStringLiteral("[F2]领料单号查询"),
                             QStringLiteral("领料单号查询"), QStringLiteral("多选-删除一笔信息"),
                             QStringLiteral("多选-删除己选信息")});
    splTC002->setGeometry(8, 36, 430, 110);

    splTC003 = datePanel(tsOption1, "splTC003", QStringLiteral("选择领料日期"), QRect(8, 150, 430, 48));
    splTC014 = datePanel(tsOption1, "splTC014", QStringLiteral("选择单据日期"), QRect(8, 202, 430, 48));
}

void TfrmQipr07::buildAdvancedPage()
{
    tsOption3 = named(new TKvTabSheet(pgOption), "tsOption3");
    tsOption3->setCaption(QStringLiteral("高级选项"));
    pgOption->AddPage(tsOption3);
    // The advanced page follows the basic one.
    pgOption->tabBar()->moveTab(pgOption->indexOf(tsOption3), pgOption->indexOf(tsOption1) + 1);

    lblTC009 = label(tsOption3, "lblTC009", QStringLiteral("选择审核状态"), 8, 12);
    cboTC009 = dropDownList(tsOption3, "cboTC009",
                            {QStringLiteral("已审核"), QStringLiteral("未审核"), QStringLiteral("作废"),
                             QStringLiteral("全部")},
                            QRect(100, 8, 110, 21));
    lblTC010 = label(tsOption3, "lblTC010", QStringLiteral("选择打印状态"), 8, 40);
    cboTC010 = dropDownList(tsOption3, "cboTC010",
                            {QStringLiteral("已打印"), QStringLiteral("未打印"), QStringLiteral("全部")},
                            QRect(100, 36, 110, 21));
    chkCMSMC = checkBox(tsOption3, "chkCMSMC", QStringLiteral("按仓库分页"), QRect(8, 66, 130, 20));
    chkPrint = checkBox(tsOption3, "chkPrint", QStringLiteral("汇总打印"), QRect(8, 92, 130, 20));

    grpGrpsum = named(new QGroupBox(tsOption3), "grpGrpsum");
    grpGrpsum->setTitle(QStringLiteral("选择汇总依据"));
    grpGrpsum->setGeometry(8, 118, 430, 76);
    btn01 = checkBox(grpGrpsum, "btn01", QStringLiteral("领料单别"), QRect(10, 22, 110, 20));
    btn02 = checkBox(grpGrpsum, "btn02", QStringLiteral("领料单号"), QRect(140, 22, 110, 20));
    btn03 = checkBox(grpGrpsum, "btn03", QStringLiteral("材料品号"), QRect(270, 22, 110, 20));
    btn04 = checkBox(grpGrpsum, "btn04", QStringLiteral("单位"), QRect(10, 48, 110, 20));
    btn05 = checkBox(grpGrpsum, "btn05", QStringLiteral("仓库"), QRect(140, 48, 110, 20));
    btn06 = checkBox(grpGrpsum, "btn06", QStringLiteral("批号"), QRect(270, 48, 110, 20));

    grpLedger = named(new QGroupBox(tsOption3), "grpLedger");
    grpLedger->setTitle(QStringLiteral("列印记录"));
    grpLedger->setGeometry(8, 200, 430, 50);
    chkPrintedByMe = checkBox(grpLedger, "chkPrintedByMe", QStringLiteral("我打印过的"), QRect(10, 22, 120, 20));
    chkPrintedToday = checkBox(grpLedger, "chkPrintedToday", QStringLiteral("今天打印过的"), QRect(140, 22, 120, 20));
    chkNeverSent = checkBox(grpLedger, "chkNeverSent", QStringLiteral("从未发送的"), QRect(270, 22, 120, 20));
    // A print option: the layout window asks for it when it prints on both
    // sides; being on this page, it is kept with the condition sets.
    chkSlipSheet = checkBox(tsOption3, "chkSlipSheet", QStringLiteral("每张单据从新的一张纸开始"), QRect(8, 258, 250, 20));
}

void TfrmQipr07::buildLedgerButton()
{
    auto *bar = static_cast<QHBoxLayout *>(Panel1->layout());
    btnLedger = named(new TKvBitBtn(Panel1), "btnLedger");
    btnLedger->setText(QStringLiteral("列印记录"));
    btnLedger->setPublishedHint(QStringLiteral("列印记录"));
    bar->insertWidget(bar->indexOf(btnCancel), btnLedger);
    btnLedger->setEventOnClick(action("btnLedgerClick", [this] { btnLedgerClick(); }));
}

void TfrmQipr07::btnLedgerClick()
{
    DispatchPtr server;
    if (!ProgramServer.isEmptyOrNull())
        server = ProgramServer.toObject();
    TfrmPrintLedger ledger(this, server, this);
    ledger.edtSlipType->setText(edtTC001->text().trimmed());
    ledger.btnQueryClick();
    Prompter::current()->showWindowModal(ledger);
}

void TfrmQipr07::wireReportHandlers()
{
    chkPrint->setEventOnClick(action("chkPrintClick", [this] { chkPrintClick(); }));
}

void TfrmQipr07::FormCreate()
{
    TfrmVROpt::FormCreate();
    // Each release stamped the window in turn; the controller reports the last.
    for (const char *stamp : kVersionStamps)
        VersionStamp = stamp;
}

void TfrmQipr07::DefineProgram()
{
    TfrmVROpt::DefineProgram();
    SetOptionStateControls("chkPrint: TBitCheckBox");
    SetLayoutClass(LayoutClass::of<TfrmQipr07Fmt>("TfrmQipr07Fmt"));
    MainTable = "MOCTC";

    cboTC009->setCurrentIndex(0);
    cboTC010->setCurrentIndex(1);
    chkCMSMC->setChecked(false);
    chkSlipSheet->setChecked(false);

    SetOptionCount(6);
    PageEndControls.append(QPointer<QWidget>(splTC014));
    PageEndControls.append(QPointer<QWidget>(chkPrint));
    splTC002->edBegin()->setMaxLength(11);
    splTC002->edFinal()->setMaxLength(11);
    AddDateField("splTC003");
    AddDateField("splTC014");
    for (TSelectPanel *panel : {splTC003, splTC014}) {
        // The panels order their bounds by the window's date display.
        if (DateKind >= 1 && DateKind <= 5)
            panel->setDateType(static_cast<TSelectPanel::TDateType>(DateKind));
        panel->setDateSign(QString::fromStdString(DateSep));
        CheckDateInput(panel, true);
    }
    SetRequiredInputs("edtTC001");

    SendWayTable = "FAX,TC006,PURMA010;EMAIL,TC006,PURMA011;FAX,,;EMAIL,,;";
    SendStatusField = "TC017";

    chkPrint->setChecked(false);
    grpGrpsum->setEnabled(false);
    for (TBitCheckBox *box : {btn01, btn02, btn03, btn04}) {
        box->setEnabled(false);
        box->setChecked(false);
    }
    btn05->setEnabled(false);
    btn06->setEnabled(false);
}

void TfrmQipr07::chkPrintClick()
{
    ApplySummaryState();
}

void TfrmQipr07::ApplySummaryState()
{
    const bool summary = chkPrint->isChecked();
    grpGrpsum->setEnabled(summary);
    // Summary slips are not split by warehouse (btn05 groups by it instead).
    if (summary)
        chkCMSMC->setChecked(false);
    chkCMSMC->setEnabled(!summary);
    for (TBitCheckBox *box : {btn01, btn02, btn03, btn04}) {
        box->setEnabled(false);
        box->setChecked(summary);
    }
    for (TBitCheckBox *box : {btn05, btn06}) {
        box->setEnabled(summary);
        if (!summary)
            box->setChecked(false);
    }
    applyLayoutClass();
}

// Switching the class refills the style list from the server; the same
// class again leaves the list (and the user's choice in it) alone.
void TfrmQipr07::applyLayoutClass()
{
    const bool summary = chkPrint->isChecked();
    const char *name = summary ? "TfrmQipr07Fmt_1" : "TfrmQipr07Fmt";
    if (LayoutClass && LayoutClassName() == name)
        return;
    if (summary)
        SetLayoutClass(LayoutClass::of<TfrmQipr07Fmt_1>(name));
    else
        SetLayoutClass(LayoutClass::of<TfrmQipr07Fmt>(name));
}

// --- the slip type

std::string TfrmQipr07::slipTypeText() const
{
    return edtTC001->text().trimmed().toStdString();
}

void TfrmQipr07::edtTC001Enter()
{
    LastSlipType = slipTypeText();
}

// The text on entry may never have been checked (a condition package put it
// there, or a run by key loaded the settings of another slip type): the
// slip type is read again unless its settings are the ones in force.
void TfrmQipr07::edtTC001Exit()
{
    InputInvalid = false;
    const std::string text = slipTypeText();
    if (text.empty()) {
        txtTC001->clear();
        return;
    }
    if ((text == LastSlipType && text == m_checkedSlipType) || CheckSlipType())
        return;
    InputInvalid = true;
    returnToSlipType();
    LastSlipType.clear();
}

// The error box had the focus: without the window active again the clerk's
// corrected slip type would never leave the edit (no focus change, no
// check), so the window is activated before the edit takes the focus.
void TfrmQipr07::returnToSlipType()
{
    if (!edtTC001->isVisible() || !edtTC001->isEnabled())
        return;
    m_inSlipTypeExit = true;
    activateWindow();
    edtTC001->setFocus(Qt::OtherFocusReason);
    m_inSlipTypeExit = false;
}

bool TfrmQipr07::followSlipType()
{
    const std::string text = slipTypeText();
    if (text.empty()) {
        txtTC001->clear();
        return true;
    }
    return text == m_checkedSlipType || CheckSlipType();
}

bool TfrmQipr07::CheckSlipType()
{
    const std::string slipType = slipTypeText();
    m_checkedSlipType.clear();
    Variant record;
    Variant settings;
    if (!CheckCode("CMSMQ", "22", false, record, varArrayOf({slipType, kIssueNature, kReturnNature, kIssueNature}))) {
        ShowCodedMessage("E", "100007", 0, {});
        edtTC001->clear();
        txtTC001->clear();
        SlipTypeSetting.clear();
        LoadSlipTypeSettings(std::string(), false, settings);
        return false;
    }
    SlipTypeSetting = ElementText(record, 1);
    LoadSlipTypeSettings(slipType, false, settings);
    if (settings.isEmptyOrNull()) {
        // No print settings: the lookup dropped the previous type's lines.
        edtTC001->clear();
        txtTC001->clear();
        SlipTypeSetting.clear();
        return true;
    }
    txtTC001->setCaption(settings.isArray() ? QString::fromStdString(ElementText(settings, 0)) : QString());
    m_checkedSlipType = slipType;
    return true;
}

void TfrmQipr07::FieldExit(QWidget *control)
{
    TfrmVROpt::FieldExit(control);
    if (control == edtTC001 && !m_inSlipTypeExit)
        edtTC001Exit();
}

// The form already filters every event of the application (key preview),
// so the edit's focus events pass here without a filter of its own.
bool TfrmQipr07::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edtTC001 && event->type() == QEvent::FocusIn && !m_inSlipTypeExit)
        edtTC001Enter();
    return TfrmVROpt::eventFilter(watched, event);
}

void TfrmQipr07::BeforeRestoreValue(QWidget *control, const std::string &value)
{
    TfrmVROpt::BeforeRestoreValue(control, value);
    if (control && control->objectName() == QLatin1String("edtTC001"))
        edtTC001Enter();
}

void TfrmQipr07::AfterRestoreValue(QWidget *control, const std::string &value)
{
    TfrmVROpt::AfterRestoreValue(control, value);
    if (!control)
        return;
    if (control->objectName() == QLatin1String("edtTC001"))
        edtTC001Exit();
    else if (control == chkPrint)
        chkPrintClick();
}

bool TfrmQipr07::RestoreConditionSet(const std::string &specs, const std::string &values)
{
    const bool restored = TfrmVROpt::RestoreConditionSet(specs, values);
    // A set may name chkCMSMC or the grouping boxes after chkPrint.
    ApplySummaryState();
    return restored;
}

bool TfrmQipr07::ApplyConditionsByName(const Variant &content)
{
    if (!TfrmVROpt::ApplyConditionsByName(content))
        return false;
    ApplySummaryState();
    return followSlipType();
}

// --- runs

bool TfrmQipr07::refuseUnknownSQLType()
{
    if (HasQueryForSQLType())
        return false;
    // Without a query for this dialect nothing can be printed: say so as
    // "no data" rather than send an incomplete statement.
    ReportText("QIPR07: no report query for SQL dialect " + std::to_string(SQLType));
    ShowCodedMessage("W", "000006", 0, {});
    LastRunOutcome = RunOutcome::NoData;
    return true;
}

bool TfrmQipr07::RunReport(bool preview)
{
    if (refuseUnknownSQLType() || !followSlipType())
        return false;
    ApplySummaryState();
    return TfrmVROpt::RunReport(preview);
}

// A key that names neither a slip type nor a slip number would select every
// slip of the company (and a print would count them all): it finds nothing.
bool TfrmQipr07::refuseEmptyKey(const Variant &key)
{
    if (!ElementText(key, 0).empty() || !ElementText(key, 1).empty())
        return false;
    ReportText("QIPR07: the key names no slip type and no slip number");
    ShowCodedMessage("W", "000006", 0, {});
    LastRunOutcome = RunOutcome::NoData;
    return true;
}

bool TfrmQipr07::RunByKey(const Variant &key, bool preview)
{
    if (refuseUnknownSQLType() || refuseEmptyKey(key))
        return false;
    SlipTypeSetting = ElementText(key, 2);
    ApplySummaryState();
    forgetCheckedSlipType();
    return TfrmVROpt::RunByKey(key, preview);
}

bool TfrmQipr07::ExportByKey(const Variant &key, int pictureKind, int resolution, const std::string &prefix,
                             const std::string &extra)
{
    if (refuseUnknownSQLType() || refuseEmptyKey(key))
        return false;
    ApplySummaryState();
    forgetCheckedSlipType();
    return TfrmVROpt::ExportByKey(key, pictureKind, resolution, prefix, extra);
}

} // namespace kv
