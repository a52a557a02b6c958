// Running the report of TfrmVRBaseFmt: page generation with its progress
// window, the preview and direct printing.

#include "report/layout/VRBaseFmt.h"

#include "lib/CodeConverter.h"
#include "platform/Dispatch.h"
#include "platform/report/PageStore.h"
#include "platform/report/PdfDocumentWriter.h"
#include "platform/report/Report.h"
#include "report/layout/OutputLedger.h"
#include "report/layout/OutputProgress.h"
#include "report/layout/PageProgressWindow.h"
#include "report/layout/PageTextsJson.h"
#include "report/layout/VRPreviewer.h"

#include <QApplication>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>
#include <optional>

namespace kv {

namespace {

// Disables the other windows of the program while a long run goes on and
// gives them back their state (and the active window its focus) afterwards.
class OtherWindowsDisabled {
public:
    explicit OtherWindowsDisabled(QWidget *except) : m_active(QApplication::activeWindow())
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window != except && window->isWindow() && window->isVisible() && window->isEnabled()) {
                window->setEnabled(false);
                m_disabled << window;
            }
        }
    }
    ~OtherWindowsDisabled()
    {
        for (const QPointer<QWidget> &window : m_disabled) {
            if (window)
                window->setEnabled(true);
        }
        if (m_active)
            m_active->activateWindow();
    }
    OtherWindowsDisabled(const OtherWindowsDisabled &) = delete;
    OtherWindowsDisabled &operator=(const OtherWindowsDisabled &) = delete;

private:
    QPointer<QWidget> m_active;
    QList<QPointer<QWidget>> m_disabled;
};

} // namespace

void TfrmVRBaseFmt::startRun()
{
    // Every run numbers its pages and registers its receivers afresh, so a
    // second run of the same window never points past its own pages.
    PageCount = 0;
    SendTargets.clear();
    m_printCounts.clear();
}

void TfrmVRBaseFmt::showRunError(const std::exception &error)
{
    ShowMessage(error.what(), MessageType::Error, MessageButton::OK);
}

bool TfrmVRBaseFmt::GeneratePages()
{
    startRun();
    auto *progress = new PageProgressWindow(*QuickRep1, this);
    bool generated = false;
    {
        OtherWindowsDisabled disabled(progress);
        ProgressForm = progress;
        progress->show();
        generated = generateInto([progress] { progress->hide(); });
        progress->hide();
    }
    delete progress;
    return generated;
}

bool TfrmVRBaseFmt::generateInto(const std::function<void()> &beforeError)
{
    bool finished = false;
    try {
        finished = QuickRep1->prepare();
    } catch (const std::exception &error) {
        beforeError();
        showRunError(error);
        return false;
    }
    const PageStore *pages = QuickRep1->pages();
    if (!finished || !pages->isFinished() || pages->isCancelled())
        return false;
    // A run asked to leave its page texts behind fails when it cannot: a
    // check reading the file must not take an old one for this run's.
    const QString textsFile = PageTextsJson::requestedFile();
    if (textsFile.isEmpty())
        return true;
    try {
        PageTextsJson::write(*pages, textsFile);
        return true;
    } catch (const PageTextsJsonError &error) {
        beforeError();
        showRunError(error);
        return false;
    }
}

void TfrmVRBaseFmt::preparePreview(PreviewRequest &request)
{
    request.layout = this;
    request.report = QuickRep1;
    request.pages = QuickRep1->pages();
    request.firstPage = 1;
    request.zoom = 100;
    request.emailVisible = SendModes > 0 && (SendModes & 1) != 0;
    request.faxVisible = SendModes > 0 && (SendModes & 2) != 0;
    if (!request.faxVisible)
        return;
    try {
        DispatchPtr fax = createOleObject("QRMFAX.APP");
        fax->call("RefreshFaxServerInfo");
        const int count = fax->call("FaxServerCount").toInt();
        for (int index = 0; index < count; ++index) {
            Variant name;
            Variant server;
            fax->call("GetFaxServerInfo", {Variant(index), Variant::ref(name), Variant::ref(server)});
            std::string caption = varToStr(name);
            if (LanguageMode == 2)
                caption = KvConverter()->GBToBig5(caption);
            request.faxServers << QString::fromStdString(caption + "(" + varToStr(server) + ")");
        }
    } catch (const std::exception &) {
        // Without the fax server neither way of sending is offered.
        request.sendEnabled = false;
        request.emailVisible = request.faxVisible = false;
        request.faxServers.clear();
    }
}

bool TfrmVRBaseFmt::ShowPreview()
{
    const std::shared_ptr<VRPreviewer> previewer = VRPreviewer::current();
    if (!previewer) {
        ShowMessage(FmtText("sNoPreview", "没有可用的预览窗口"), MessageType::Error, MessageButton::OK);
        return false;
    }
    const bool whileGenerated = previewer->ShowsPagesWhileGenerated();
    if (!whileGenerated && !GeneratePages())
        return false;
    PreviewRequest request;
    bool generated = !whileGenerated;
    if (whileGenerated) {
        // The preview opens at once and shows each page as it is made; the
        // per-slip page counts come from the layout's pre-pass, so the first
        // pages are numbered right before the last one exists.
        startRun();
        request.generate = [this, &generated] {
            generated = generateInto([] {});
            return generated;
        };
    }
    preparePreview(request);
    QuickRep1->setReportTitle(QString::fromStdString(displayText(QuickRep1->reportTitle().toStdString())));
    previewer->ShowPreview(request);
    return generated;
}

bool TfrmVRBaseFmt::PrintDirect()
{
    QuickRep1->setReportTitle(QString::fromStdString(displayText(QuickRep1->reportTitle().toStdString())));
    // Set once the pages exist: from then on a failure is a failed print of
    // the run's slips, and the ledger says so.
    std::optional<output_ledger::Output> output;
    try {
        std::unique_ptr<QPrinter> printer;
        if (PrintFileName.isEmpty()) {
            // The printer is looked up first: a printer that does not exist
            // fails before any page is generated.
            printer = std::make_unique<QPrinter>(QuickRep1->printerInfo(), QPrinter::HighResolution);
            printer->setDocName(QuickRep1->reportTitle());
        }
        if (!GeneratePages() || QuickRep1->pages()->pageCount() == 0)
            return false;
        output = printer ? output_ledger::Output{output_ledger::kPrinter, printer->printerName().toStdString(), true, {}}
                         : output_ledger::Output{output_ledger::kPdfFile, PrintFileName.toStdString(), true, {}};
        PageStore &pages = *QuickRep1->pages();
        const int count = pages.pageCount();
        const OutputSlips slips(&pages);
        OutputProgressWindow progress(QString::fromStdString(printer ? FmtText("sPrinting", "打印中")
                                                                     : FmtText("sPrintingPdf", "打印成 PDF 档中")),
                                      this);
        OtherWindowsDisabled disabled(&progress);
        progress.begin(count);
        const auto pageDone = [&](int done, int total) {
            return progress.pageDone(done, total, slips.ofPage(std::min(done + 1, total)));
        };
        std::vector<std::pair<int, int>> printed;
        bool stopped = false;
        if (printer) {
            PageStore::PrintJob job;
            job.progress = pageDone;
            if (slipsOnFreshSheets())
                job.slipStarts = slips.sheetStarts();
            PageStore::PrintOutcome outcome = pages.print(*printer, {{1, count}}, job);
            printed = std::move(outcome.printed);
            stopped = outcome.stopped;
        } else {
            PdfDocumentWriter writer(pages);
            writer.setTitle(QuickRep1->reportTitle());
            writer.setProgress(pageDone);
            // A stopped write leaves no file: nothing of it was printed.
            stopped = !writer.write(PrintFileName);
            if (!stopped)
                printed = {{1, count}};
        }
        progress.hide();
        output.reset(); // the output is done; a failure from here on is one of the counts
        // Only slips whose pages came out count as printed.
        CountPrintedRanges(printed, stopped);
        return !stopped;
    } catch (const std::exception &error) {
        if (output) {
            output->success = false;
            output->message = error.what();
            output_ledger::record(*this, *output, 1, QuickRep1->pages()->formCount());
        }
        showRunError(error);
        return false;
    }
}

bool TfrmVRBaseFmt::slipsOnFreshSheets() const
{
    // The condition window keeps the choice with its other print options.
    const QWidget *owner = parentWidget();
    const QObject *box = owner ? owner->findChild<QObject *>(QStringLiteral("chkSlipSheet")) : nullptr;
    return box ? box->property("Checked").toBool() : m_slipsOnFreshSheets;
}

void TfrmVRBaseFmt::setSlipsOnFreshSheets(bool on)
{
    m_slipsOnFreshSheets = on;
    QWidget *owner = parentWidget();
    if (QObject *box = owner ? owner->findChild<QObject *>(QStringLiteral("chkSlipSheet")) : nullptr)
        box->setProperty("Checked", on);
}

} // namespace kv
