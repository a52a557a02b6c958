// TfrmVRBaseOpt: runs of the report (with the user's conditions, by key,
// picture export by key), the layout window of a run, design mode, printer
// set-up and paper information.
#include "report/options/VRBaseOpt.h"

#include "base/KvBitBtn.h"
#include "base/SocketConnection.h"
#include "lib/CodeConverter.h"
#include "lib/LibStrs.h"
#include "lib/UserDefIni.h"
#include "platform/Prompter.h"
#include "platform/report/PageSetup.h"
#include "platform/report/Report.h"
#include "platform/layoutio/LayoutText.h"
#include "report/layout/VRFormat.h"

#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>
#include <stdexcept>

namespace kv {

namespace {

constexpr const char *kNewStyle = "<New>";
constexpr const char *kStyleVariable = "QIPR07_LAYOUT_STYLE";
constexpr const char *kDumpVariable = "QIPR07_DUMP_LAYOUT";

std::string trimmed(const std::string &text)
{
    return QString::fromStdString(text).trimmed().toStdString();
}

// A line of a hidden name memo; empty when out of range.
QString memoLine(const QPlainTextEdit *memo, int index)
{
    const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
    return index >= 0 && index < lines.size() ? lines[index] : QString();
}

Variant element(const Variant &array, int index)
{
    if (!array.isArray())
        return array;
    const int at = array.array().lowBound() + index;
    return at <= array.array().highBound() ? array[at] : Variant();
}

} // namespace

// --- layout class

void TfrmVRBaseOpt::SetLayoutClass(const kv::LayoutClass &layoutClass)
{
    LayoutClass = layoutClass;
    ReloadStyles();
}

std::string TfrmVRBaseOpt::LayoutClassName() const
{
    return LayoutClass.name;
}

std::string TfrmVRBaseOpt::StyleNameForStorage() const
{
    return varToStr(KvConverter()->RecoverDataString(Variant(cboFormStyleName->currentText().toStdString())));
}

std::string TfrmVRBaseOpt::RunStyleName() const
{
    if (!qEnvironmentVariableIsSet(kStyleVariable))
        return StyleNameForStorage();
    const std::string style = qEnvironmentVariable(kStyleVariable).toStdString();
    return varToStr(KvConverter()->RecoverDataString(Variant(style)));
}

// --- runs

void TfrmVRBaseOpt::btnOkClick()
{
    TfrmBaseGene::btnOkClick();
    RunReport(false);
}

void TfrmVRBaseOpt::btnPreviewClick()
{
    RunReport(true);
}

bool TfrmVRBaseOpt::RunReport(bool preview)
{
    followSendChoice();
    Variant params;
    if (!BuildRunParameters(params))
        return false;
    std::string text = finalQuery(0, element(params, 2));
    if (ApplyPermission)
        text = ApplyDataPermission(text);
    return PrintOrPreview(Variant(text), preview);
}

bool TfrmVRBaseOpt::RunByKey(const Variant &key, bool preview)
{
    const std::string text = finalQuery(1, key);
    selectKeyStyle(key);
    return PrintOrPreview(Variant(text), preview);
}

bool TfrmVRBaseOpt::ExportByKey(const Variant &key, int pictureKind, int resolution, const std::string &prefix,
                                const std::string &extra)
{
    (void)extra;
    const std::string text = finalQuery(1, key);
    selectKeyStyle(key);
    TfrmVRFormat *layout = nullptr;
    if (CreateLayout(Variant(text), layout) != 1)
        return false;
    bool converted = false;
    try {
        layout->PictureDPI = resolution;
        if (layout->GeneratePages()) {
            layout->KeepLeftMargin = false;
            layout->KeepTopMargin = false;
            converted = layout->ConvertPages(prefix, pictureKind);
            // The picture writer fails without saying why; the user (and a
            // host reading the messages) learns at least where it failed.
            if (!converted && !layout->Cancelled)
                reportRunError(OptText("sExportFailed", "页面图片写入失败：") + prefix);
        }
    } catch (const std::exception &error) {
        reportRunError(error.what());
        converted = false;
    }
    freeLayout(layout);
    LastRunOutcome = converted ? RunOutcome::Done : RunOutcome::Failed;
    return converted;
}

void TfrmVRBaseOpt::reportRunError(const std::string &text)
{
    ReportText(text);
    ShowMessageBox(text, MessageType::Error, MessageButton::OK);
}

std::string TfrmVRBaseOpt::finalQuery(int mode, const Variant &valuesOrKey)
{
    Variant sql;
    BuildQuery(mode, valuesOrKey, sql);
    // A report that assembles its SQL from the parts answers it from
    // FinishWhere; one that builds the whole text answers it from BuildQuery.
    const std::string text = FinishWhere();
    return text.empty() ? varToStr(sql) : text;
}

void TfrmVRBaseOpt::selectKeyStyle(const Variant &key)
{
    const TUserDefIni userDef(ClientDir);
    KeyStyleName = userDef.DefaultStyle(QString::fromStdString(ProgramCode).toUpper().toStdString(),
                                        varToStr(element(key, 0)));
    if (KeyStyleName.empty())
        KeyStyleName = kNewStyle;
    if (KeyStyleName == kNewStyle)
        return;
    const QString shown =
        QString::fromStdString(varToStr(KvConverter()->ConvertDataString(Variant(KeyStyleName))));
    const int index = cboFormStyleName->findText(shown);
    if (index >= 0)
        cboFormStyleName->setCurrentIndex(index);
    cboFormStyleName->setEditText(shown);
}

bool TfrmVRBaseOpt::PrintOrPreview(const Variant &sql, bool preview)
{
    TfrmVRFormat *layout = nullptr;
    if (CreateLayout(sql, layout) != 1 || !layout)
        return false;
    // The layout has shown why it could not print or preview; the run
    // has failed all the same.
    bool done = false;
    try {
        if (preview) {
            layout->PrintCountMode = 0;
            done = layout->ShowPreview();
        } else {
            layout->PrintCountMode = 1;
            done = layout->PrintDirect();
        }
    } catch (const std::exception &error) {
        reportRunError(error.what());
        done = false;
    }
    PrinterIndex = layout->QuickRep1->printerIndex();
    freeLayout(layout);
    LastRunOutcome = done ? RunOutcome::Done : RunOutcome::Failed;
    return done;
}

// --- the layout window of a run

void TfrmVRBaseOpt::freeLayout(TfrmVRFormat *&layout)
{
    if (layout)
        layout->Free();
    layout = nullptr;
}

void TfrmVRBaseOpt::copyContext(TfrmVRFormat *layout)
{
    layout->SendModes = SendMode;
    layout->ProgramCode = ProgramCode;
    layout->CompanyID = CompanyID;
    layout->CompanyDB = CompanyDB;
    layout->UserID = UserID;
    layout->DateType = cboDateType->currentIndex() + 1;
    layout->DateFormat = DateSep;
    layout->Settings = SysInfo;
    layout->CompanyInfo = CompanyInfo;
    const auto hostObject = [this](const char *name) {
        try {
            return HostApp.isObject() ? HostApp.toObject()->get(name) : Variant();
        } catch (const std::exception &) {
            return Variant();
        }
    };
    layout->Validator = hostObject("Com_Validator");
    layout->Counter = hostObject("Com_Counter");
    const QString company = CompanyInfo.size() > 1 ? CompanyInfo[1] : QString();
    const std::string program = ProgramName.empty() ? ProgramCode : ProgramName;
    layout->QuickRep1->setReportTitle(company + QStringLiteral(" - ") + QString::fromStdString(program));
    layout->QuickRep1->setPrinterIndex(PrinterIndex);
}

int TfrmVRBaseOpt::openLayoutData(TfrmVRFormat *layout, const std::string &sql, bool &reported)
{
    reported = false;
    if (!UseSQLBuilder) {
        if (!SQLBuilderEnabled)
            layout->DisableUserComponents();
        return layout->OpenData(sql);
    }
    if (!layout->SQLReBuilder->isEnabled())
        return layout->OpenData(sql);
    std::string extended;
    try {
        const TfrmVRBaseFmt::SqlParts parts{SelectPart, FromPart, OrderByPart, GroupByPart, WherePart, SQLTail};
        if (layout->CheckSQLBuilder(parts, true)) {
            layout->ResetSQLBuilder(parts, true, true);
            layout->FixSQLByWizard();
        }
        layout->ExtendSQL(sql, extended);
    } catch (const std::exception &) {
        const std::string question = OptText(
            "sExtendAsk", "此格式在做扩展栏位时，出现错误，你可以重新设计此扩展栏位，是否以不做扩展栏位方式运行？");
        if (ShowMessageBox(question, MessageType::Confirmation, MessageButton::Yes | MessageButton::No) !=
            mrYes)
            return -1;
        return layout->OpenData(sql);
    }
    // A builder without extension fields answers the SQL unchanged: that is
    // a plain run, whose failure is the server's, not the extension's.
    if (trimmed(extended).empty() || extended == sql)
        return layout->OpenData(sql);
    const int result = layout->OpenData(extended);
    reported = result == -1;
    if (reported)
        ShowMessageBox(OptText("sExtendError", "此格式在做扩展栏位时，出现错误，你可以重新设计此扩展栏位!"),
                       MessageType::Error, MessageButton::OK);
    return result;
}

int TfrmVRBaseOpt::CreateLayout(const Variant &sql, TfrmVRFormat *&layout)
{
    layout = nullptr;
    int result = -1;
    bool reported = false;
    try {
        if (!LayoutClass)
            throw std::runtime_error("The report has no layout class.");
        layout = newLayoutWindow();
        const std::string style = RunStyleName();
        WriteToAlertFile("VRBASE", "LayoutName=" + style, "D");
        QApplication::processEvents();
        layout->ApplyLayoutName(style);
        dumpLayout(layout);
        copyContext(layout);
        layout->ConnectData();
        result = openLayoutData(layout, varToStr(sql), reported);
        if (result == 1) {
            PassToLayout(layout);
            return 1;
        }
    } catch (const std::exception &error) {
        LastRunOutcome = RunOutcome::Failed;
        reportRunError(error.what());
        freeLayout(layout);
        return -1;
    }
    LastRunOutcome = result == 0 ? RunOutcome::NoData : RunOutcome::Failed;
    if (result == 0) {
        ShowCodedMessage("W", "000006", 0, {});
    } else if (!reported) {
        ShowCodedMessage("E", "000025", 0,
                         {Variant(MainMidas->address().toStdString()), Variant(MainMidas->host().toStdString())});
    }
    freeLayout(layout);
    return result == 0 ? 0 : -1;
}

// --- the layout window's part in format styles

TfrmVRFormat *TfrmVRBaseOpt::newLayoutWindow()
{
    if (!LayoutClass)
        throw std::runtime_error("The report has no layout class.");
    TfrmVRFormat *layout = LayoutClass.create(this);
    TfrmVRBaseFmt::StyleContext &context = layout->StyleOwner;
    context.className = LayoutClassName();
    context.optionStateControls = OptionStateControls;
    // The settings always end in a separator; a lone one names no directory.
    context.layoutDirectory = trimmed(RTBuilderDataPath) == "/" ? std::string() : RTBuilderDataPath;
    context.sqlParts = [this] {
        return TfrmVRBaseFmt::SqlParts{SelectPart, FromPart, OrderByPart, GroupByPart, WherePart, SQLTail};
    };
    QPointer<QComboBox> styles = cboFormStyleName;
    context.styleAdded = [styles](const std::string &name) {
        if (!styles)
            return;
        const QString shown = QString::fromStdString(name);
        if (styles->findText(shown) < 0)
            styles->addItem(shown);
        styles->setCurrentIndex(styles->findText(shown));
    };
    return layout;
}

void TfrmVRBaseOpt::dumpLayout(TfrmVRFormat *layout)
{
    const QString file = qEnvironmentVariable(kDumpVariable);
    if (file.isEmpty())
        return;
    QSaveFile out(file);
    const std::string text = LayoutText::Write(*layout);
    if (!out.open(QIODevice::WriteOnly) || out.write(text.data(), qint64(text.size())) != qint64(text.size()) ||
        !out.commit()) {
        const std::string reason = "The layout text was not written to " + file.toStdString() + ": " +
                                   out.errorString().toStdString();
        WriteToAlertFile("VRBASE", reason, "D");
        ReportText(reason);
    }
}

namespace {

// The answers of a store without a user: an existing style is replaced,
// and what the save would have shown is kept as the reason of a refusal.
class StorePrompter : public Prompter {
public:
    ModalResult messageBox(const std::string &text, const std::string &, MessageType type, MessageButtons buttons,
                           MessageButton) override
    {
        if (type != MessageType::Confirmation && !buttons.testFlag(MessageButton::Yes))
            shown += (shown.empty() ? "" : "; ") + trimmed(text);
        return buttons.testFlag(MessageButton::Yes) ? mrYes : mrOk;
    }
    bool inputQuery(const std::string &, const std::string &, std::string &) override { return false; }
    std::optional<std::string> chooseOpenFile(const std::string &, const std::string &, const std::string &) override
    {
        return std::nullopt;
    }
    std::optional<std::string> chooseSaveFile(const std::string &, const std::string &, const std::string &) override
    {
        return std::nullopt;
    }
    bool choosePrinter(QPrinter &) override { return false; }
    int showWindowModal(QDialog &) override { return mrCancel; }

    std::string shown;
};

} // namespace

QString TfrmVRBaseOpt::StoreLayoutText(const QString &name, const QString &file)
{
    const QString style = name.trimmed();
    if (style.isEmpty() || style.compare(QLatin1String(kNewStyle), Qt::CaseInsensitive) == 0)
        return QStringLiteral("\"%1\" is no name to store a format style under").arg(name);
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 cannot be read: %2").arg(file, source.errorString());
    const std::string text = source.readAll().toStdString();
    auto prompter = std::make_shared<StorePrompter>();
    TfrmVRFormat *layout = nullptr;
    QString reason;
    try {
        const ScopedPrompter answering(prompter);
        layout = newLayoutWindow();
        std::vector<std::string> problems;
        const bool read = layout->ApplyLayoutText(text, problems);
        if (!read || !problems.empty()) {
            QStringList listed;
            for (const std::string &problem : problems)
                listed << QString::fromStdString(problem);
            reason = QStringLiteral("%1 is no usable layout of %2%3")
                         .arg(file, QString::fromStdString(LayoutClassName()),
                              listed.isEmpty() ? QString() : QStringLiteral(": ") + listed.join(QStringLiteral("; ")));
        } else {
            layout->ReadMaxNameLength();
            const std::string stored = varToStr(KvConverter()->RecoverDataString(Variant(style.toStdString())));
            if (QString::fromStdString(stored).size() > layout->MaxNameLength) {
                reason = QStringLiteral("format style names may have at most %1 characters").arg(layout->MaxNameLength);
            } else {
                layout->SaveAccepted = true;
                layout->SaveLayout(layout->LayoutClassName(), stored);
                if (!layout->SaveAccepted) {
                    reason = QString::fromStdString(prompter->shown);
                    try {
                        const std::string server = varToStr(ProgramServer.toObject()->call("LastError"));
                        if (!server.empty())
                            reason += QStringLiteral(" (") + QString::fromStdString(server) + QLatin1Char(')');
                    } catch (const std::exception &) {
                    }
                    if (reason.isEmpty())
                        reason = QStringLiteral("the server refused the format style");
                }
            }
        }
    } catch (const std::exception &error) {
        reason = QString::fromStdString(error.what());
    }
    freeLayout(layout);
    if (reason.isEmpty())
        ReloadStyles();
    return reason;
}

// --- design mode

void TfrmVRBaseOpt::btnDesignClick()
{
    if (DesignLayout)
        return;
    TfrmVRFormat *layout = newLayoutWindow();
    DesignLayout = layout;
    try {
        layout->ApplyLayoutName(StyleNameForStorage());
        if (UseSQLBuilder) {
            SetGroupBy("");
            SetOrderBy("");
            Variant params;
            if (BuildRunParameters(params)) {
                Variant sql;
                BuildQuery(0, element(params, 2), sql);
            }
            const TfrmVRBaseFmt::SqlParts parts{SelectPart, FromPart, OrderByPart, GroupByPart, WherePart, SQLTail};
            if (layout->SQLBuilderEmpty())
                layout->ResetSQLBuilder(parts, true, false);
            layout->InitSQLBuilder(ProgramCode, UserID, MainTable, CompanyDB, CompanyID);
        }
        layout->SQLReBuilder->setEnabled(UseSQLBuilder);
        layout->OnDesignEnded = [this] { CloseLayoutWindow(); };
        layout->show();
        setEnabled(false);
        // A window stays usable when its owner is disabled only if it is
        // enabled on its own.
        layout->setEnabled(true);
        layout->StartDesign(true);
    } catch (...) {
        setEnabled(true);
        DesignLayout = nullptr;
        freeLayout(layout);
        throw;
    }
}

void TfrmVRBaseOpt::CloseLayoutWindow()
{
    if (!DesignLayout)
        return;
    setEnabled(true);
    QPointer<TfrmVRFormat> layout = DesignLayout;
    DesignLayout = nullptr;
    layout->close();
    // A window the designer's save did not free on closing goes as well:
    // each design session has a window of its own.
    if (layout)
        layout->Release();
    ReloadStyles();
    raise();
    activateWindow();
}

// --- printer set-up and paper information

bool TfrmVRBaseOpt::ExecPrinterDialog(int &index)
{
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    const QPrinterInfo chosen = index >= 0 && index < printers.size() ? printers[index]
                                                                      : QPrinterInfo::defaultPrinter();
    QPrinter printer(chosen);
    if (!Prompter::current()->choosePrinter(printer))
        return false;
    // A printer the system does not list (or a file) prints as the default.
    index = -1;
    for (int i = 0; i < printers.size(); ++i)
        if (printers[i].printerName() == printer.printerName())
            index = i;
    return true;
}

void TfrmVRBaseOpt::btnPrintSetupClick()
{
    int index = PrinterIndex;
    if (ExecPrinterDialog(index))
        PrinterIndex = index;
}

void TfrmVRBaseOpt::btnPaperSizeClick()
{
    if (HostApp.isObject()) {
        try {
            HostApp.toObject()->call("SetFormCreateStyle", {Variant(cboFormStyleName->currentText().toStdString())});
        } catch (const std::exception &) {
            // The host only remembers the style; paper information does not need it.
        }
    }
    if (!LayoutClass)
        throw std::runtime_error("The report has no layout class.");
    TfrmVRFormat *layout = newLayoutWindow();
    try {
        QApplication::processEvents();
        layout->ApplyLayoutName(StyleNameForStorage());
        const Report *report = layout->QuickRep1;
        const PageSetup *page = report->page();
        const QString paper = memoLine(moPaperSize, static_cast<int>(page->paperSize()));
        const QString unit = memoLine(moUnits, static_cast<int>(report->units()));
        const QString length = QString::number(report->toUnits(page->length(), Qt::Vertical));
        const QString width = QString::number(report->toUnits(page->width(), Qt::Horizontal));
        ShowCodedMessage("I", "000012", 0,
                         {Variant(paper.toStdString()), Variant(length.toStdString()), Variant(width.toStdString()),
                          Variant(unit.toStdString())});
    } catch (...) {
        freeLayout(layout);
        throw;
    }
    freeLayout(layout);
}

} // namespace kv
