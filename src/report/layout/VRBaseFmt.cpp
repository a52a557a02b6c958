#include "report/layout/VRBaseFmt.h"

#include "base/SocketConnection.h"
#include "lib/LibVCLs.h"
#include "lib/CodeConverter.h"
#include "lib/LibStrs.h"
#include "lib/MarshalIniC.h"
#include "platform/ClientDataSet.h"
#include "platform/report/Report.h"
#include "platform/report/ReportEvents.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TKvQRDBBarcode.h"
#include "platform/report/TQRLabel.h"

#include <QPlainTextEdit>

namespace kv {

namespace {

// The numerals and unit words of capital amounts, one a line; line 15 is a
// blank that stands for "no unit".
const char *const kCapitalLines[] = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖", "仟",
                                     "佰", "拾", "角", "分", " ", "万", "亿", "元", "整", "负", "人民币合计"};

bool sameName(const std::string &a, const std::string &b)
{
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

} // namespace

TfrmVRBaseFmt::TfrmVRBaseFmt(QWidget *owner) : TKVForm(owner)
{
    setObjectName(QStringLiteral("frmVRBaseFmt"));
    QFont windowFont(QStringLiteral("宋体"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    buildComponents();
    bindReportEvents();
    PrintFileName = qEnvironmentVariable("QIPR07_PRINT_PDF");
}

TfrmVRBaseFmt::~TfrmVRBaseFmt() = default;

void TfrmVRBaseFmt::buildComponents()
{
    QuickRep1 = named(new Report(this), "QuickRep1");
    QuickRep1->setZoom(80);
    PageSetup *page = QuickRep1->page();
    page->setPaperSize(PageSetup::Letter);
    page->setOrientation(PageSetup::poPortrait);
    page->setLength(2794);
    page->setWidth(2159);
    page->setTopMargin(100);
    page->setBottomMargin(100);
    page->setLeftMargin(100);
    page->setRightMargin(100);
    page->setColumns(1);
    page->setColumnSpace(0);
    QuickRep1->setUnits(Report::MM);
    QuickRep1->setPrintIfEmpty(true);
    QuickRep1->setSnapToGrid(true);
    QuickRep1->setPrintPicture(true);
    QuickRep1->setPageStyle(Report::qrNone);
    QuickRep1->setOptions(Report::TQROptions(Report::FirstPageHeader) | Report::LastPageFooter);
    QFont reportFont(QStringLiteral("Arial"));
    reportFont.setPixelSize(13);
    QuickRep1->setFont(reportFont);
    QuickRep1->setFunctions({QStringLiteral("PAGENUMBER"), QStringLiteral("COLUMNNUMBER"),
                             QStringLiteral("REPORTTITLE")});
    QuickRep1->setHint(QStringLiteral("页面"));

    // A component that takes the designer's focus when nothing else should.
    qrLostFocus = named(new TQRLabel(QuickRep1), "qrLostFocus");
    qrLostFocus->setCaption(QStringLiteral("qrLostFocus"));
    qrLostFocus->setEnabled(false);
    qrLostFocus->setLeft(-4904);

    ClientDataSet1 = named(new ClientDataSet(this), "ClientDataSet1");
    ClientDataSet1->setProviderName("pvdMain");
    ClientDataSet2 = named(new ClientDataSet(this), "ClientDataSet2");
    QuickRep1->setDataSet(ClientDataSet1);

    memoChCapital = named(new QPlainTextEdit(this), "memoChCapital");
    memoChCapital->setVisible(false);
    QStringList lines;
    for (const char *line : kCapitalLines)
        lines << QString::fromUtf8(line);
    memoChCapital->setPlainText(lines.join(QLatin1Char('\n')));

    SQLReBuilder = named(new TVRSQLBuilder(this), "SQLReBuilder");
    SQLReBuilder->setOwnerFmtClass(QStringLiteral("TfrmVRBaseFmt"));
    SQLReBuilder->setMaxComponentNum(0);
    buildDesigner();
}

void TfrmVRBaseFmt::bindReportEvents()
{
    QuickRep1->setEventBeforePrint(EventHandler(
        [this](QObject *, EventArgs &args) {
            if (auto *printArgs = dynamic_cast<ReportPrintArgs *>(&args))
                QuickRep1BeforePrint(*printArgs);
        },
        "QuickRep1BeforePrint"));
    QuickRep1->setEventOnStartPage(EventHandler(
        [this](QObject *, EventArgs &args) {
            if (auto *pageArgs = dynamic_cast<PageEventArgs *>(&args))
                QuickRep1StartPage(*pageArgs);
        },
        "QuickRep1StartPage"));
}

// ---------------------------------------------------------------- life

void TfrmVRBaseFmt::FormCreate()
{
    TKVForm::FormCreate();
    if (parentWidget()) {
        const std::string &page = KvConverter()->uiCodePage();
        LanguageMode = page == "936" ? 1 : page == "950" ? 2 : 3;
        ConvertData = KvConverter()->dataConvertMode() != 0;
    }
    ClientDataSet1->Close();
    SendTargets.clear();
    ClientRoot = TMarshalIniC().ClientPath();
    SendModes = 0;
    PictureDPI = 96;
    KeepLeftMargin = KeepTopMargin = true;
    fillNumerals();
    UserComponents.clear();
}

void TfrmVRBaseFmt::fillNumerals()
{
    const QStringList lines = memoChCapital->toPlainText().split(QLatin1Char('\n'));
    for (std::size_t index = 0; index < ChineseNumerals.size(); ++index) {
        QString line = int(index) < lines.size() ? lines.at(int(index)) : QString();
        if (index == 15)
            line = line.trimmed();
        ChineseNumerals[index] = line.toStdString();
    }
}

void TfrmVRBaseFmt::FormDestroy()
{
    SendTargets.clear();
    UserComponents.clear();
    TKVForm::FormDestroy();
}

void TfrmVRBaseFmt::FormClose(TCloseAction &action)
{
    if (SaveAccepted)
        action = caFree;
}

// ---------------------------------------------------------------- owner and server

TfrmBaseGene *TfrmVRBaseFmt::ownerWindow() const
{
    return qobject_cast<TfrmBaseGene *>(parentWidget());
}

DispatchPtr TfrmVRBaseFmt::ProgramServer() const
{
    TfrmBaseGene *owner = ownerWindow();
    if (!owner || !owner->ProgramServer.isObject())
        throw DispatchError("The layout window has no program server");
    return owner->ProgramServer.toObject();
}

Variant TfrmVRBaseFmt::fromDb(const Variant &value) const
{
    return KvConverter()->ConvertDataString(value);
}

Variant TfrmVRBaseFmt::toDb(const Variant &value) const
{
    return KvConverter()->RecoverDataString(value);
}

std::string TfrmVRBaseFmt::displayText(const std::string &text) const
{
    return varToStr(KvConverter()->ConvertUIString(Variant(text)));
}

int TfrmVRBaseFmt::RunFreeSQL(const std::string &sql)
{
    Variant text = toDb(Variant(sql));
    return ProgramServer()->call("RunFreeSQL", {Variant::ref(text)}).toInt();
}

void TfrmVRBaseFmt::UpdatePrintCount(const std::string &table, const std::string &column, const std::string &filter)
{
    Variant request = toDb(PrintCountRequestArray(table, column, filter));
    ProgramServer()->call("UpdatePrintCount", {Variant::ref(request)});
}

std::string TfrmVRBaseFmt::SettingValue(const std::string &name) const
{
    for (const auto &[key, value] : Settings) {
        if (sameName(key, name))
            return value;
    }
    return {};
}

std::string TfrmVRBaseFmt::FmtText(const std::string &key, const std::string &defaultText) const
{
    return LangText(messageSection(), key, defaultText);
}

ModalResult TfrmVRBaseFmt::ShowMessage(const std::string &text, MessageType type, MessageButtons buttons)
{
    auto *owner = qobject_cast<TKVForm *>(parentWidget());
    TCodeConverter *converter = owner ? owner->KvConverter() : KvConverter();
    return converter->KvCodeMessageDlg(text, type, buttons);
}

// ---------------------------------------------------------------- data

void TfrmVRBaseFmt::ConnectData()
{
    DispatchPtr server;
    if (TfrmBaseGene *owner = ownerWindow())
        server = owner->MainMidas->AppServer();
    ClientDataSet1->setRemoteServer(server);
    ClientDataSet2->setRemoteServer(server);
    ClientDataSet1->setProviderName("Provider1");
    ClientDataSet2->setProviderName("Provider2");
    bindTextHandlers();
    if (ConvertData) {
        const EventHandler convert([this](QObject *sender, EventArgs &args) { OnConvertPrint(sender, args); },
                                   "OnConvertPrint");
        for (TQRDBText *text : QuickRep1->findChildren<TQRDBText *>()) {
            if (text->eventOnPrint().isEmpty())
                text->setEventOnPrint(convert);
        }
    }
    // Barcodes print the report's records (the data source dsBarCode).
    for (TKvQRDBBarcode *barcode : QuickRep1->findChildren<TKvQRDBBarcode *>()) {
        if (!barcode->dataSet() && !barcode->dataField().isEmpty())
            barcode->setDataSet(ClientDataSet1);
    }
}

void TfrmVRBaseFmt::bindTextHandlers()
{
    // Fields whose text type asks for a handler get it, unless the layout
    // gave them one of its own.
    for (TKVQRDBText *text : QuickRep1->findChildren<TKVQRDBText *>()) {
        if (text->textType() >= 1 && text->textType() <= 5 && text->eventOnPrint().isEmpty())
            BindOnPrint(text);
    }
}

void TfrmVRBaseFmt::DisableUserComponents()
{
    for (const QString &name : UserComponents) {
        auto *component = QuickRep1->findChild<ReportPrintable *>(name);
        if (!component)
            continue;
        component->setEnabled(false);
        if (auto *barcode = qobject_cast<TKvQRDBBarcode *>(component))
            barcode->setDataSet(nullptr);
    }
}

int TfrmVRBaseFmt::OpenData(const std::string &sql)
{
    (void)sql;
    return 0;
}

// ---------------------------------------------------------------- SQL builder

bool TfrmVRBaseFmt::CheckSQLBuilder(const SqlParts &parts, bool flag)
{
    (void)flag;
    return SQLReBuilder->CheckSQL(parts);
}

bool TfrmVRBaseFmt::SQLBuilderEmpty()
{
    return SQLReBuilder->IsSQLNull();
}

void TfrmVRBaseFmt::ResetSQLBuilder(const SqlParts &parts, bool flag1, bool flag2)
{
    (void)flag1;
    (void)flag2;
    SQLReBuilder->SetBaseSQL(parts);
}

void TfrmVRBaseFmt::InitSQLBuilder(const std::string &program, const std::string &user, const std::string &text,
                                   const std::string &companyDB, const std::string &company)
{
    SQLReBuilder->InitVRInfo(program, user, text, companyDB, company);
    std::string fields;
    ListBoundFields(this, fields);
    SQLReBuilder->SetBoundFields(fields);
}

void TfrmVRBaseFmt::ListBoundFields(QObject *form, std::string &result)
{
    QStringList lines;
    for (TQRDBText *text : form->findChildren<TQRDBText *>())
        lines << text->dataField() + QLatin1Char('=') + text->hint();
    result = lines.join(QLatin1Char('\n')).toStdString();
}

void TfrmVRBaseFmt::ExtendSQL(const std::string &sql, std::string &result)
{
    result = sql;
    if (!SQLReBuilder->isEnabled())
        return;
    const auto swap = [&result](const std::string &from, const std::string &to) {
        if (!from.empty() && from != to)
            result = QString::fromStdString(result)
                         .replace(QString::fromStdString(from), QString::fromStdString(to))
                         .toStdString();
    };
    const auto trimmed = [](const std::string &text) { return QString::fromStdString(text).trimmed().toStdString(); };
    const SqlParts &base = SQLReBuilder->baseSQL();
    swap(trimmed(base.select), SQLReBuilder->GetExtendedSelect());
    swap(SQLReBuilder->GetSQLJoin(), SQLReBuilder->GetExtendedJoin());
    swap(trimmed(SQLReBuilder->GetSQLGroup()), SQLReBuilder->GetExtendedGroup());
    swap(trimmed(SQLReBuilder->GetSQLOrder()), SQLReBuilder->GetExtendedOrder());
}

void TfrmVRBaseFmt::FixSQLByWizard()
{
    // The wizard re-joins the extension fields to a changed base SQL; a
    // layout without extension fields has nothing it could fix. It asks the
    // user, so it runs only in design mode: a print run, perhaps without
    // anyone at the screen, keeps the relations the style stored, and
    // ExtendSQL writes them onto the run's SQL as they are.
    if (!SQLReBuilder->isEnabled() || !SQLReBuilder->HasUsedFields() || !isDesignActive())
        return;
    RunRelationWizard();
}

// ---------------------------------------------------------------- report events

void TfrmVRBaseFmt::QuickRep1BeforePrint(ReportPrintArgs &args)
{
    (void)args;
    SendTargets.clear();
    PageCount = 0;
}

void TfrmVRBaseFmt::QuickRep1StartPage(PageEventArgs &args)
{
    (void)args;
    ++PageCount;
}

} // namespace kv
