// The preview's vector PDF export ("PDF文字档"): the run, the slip shown or
// the slips chosen in the index, through the same PDF writer as printing
// into a PDF file, with the output progress window and its cancel.

#include "report/layout/VRPreview.h"

#include "lib/LangCommon.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "report/layout/OutputLedger.h"
#include "report/layout/OutputProgress.h"
#include "report/layout/PreviewPane.h"
#include "report/layout/PreviewSidePanel.h"
#include "report/layout/TextPdfExport.h"
#include "report/layout/VRBaseFmt.h"

namespace kv {

std::vector<PreviewSlipIndex::Slip> TfrmVRPreview::textPdfSlips(TextPdfScope scope) const
{
    const std::vector<PreviewSlipIndex::Slip> &all = SidePanel->index()->slips();
    switch (scope) {
    case TextPdfScope::Run:
    case TextPdfScope::RunPerSlip:
        return all;
    case TextPdfScope::ChosenSlips: {
        std::vector<PreviewSlipIndex::Slip> chosen;
        for (int row : SidePanel->chosenSlips())
            chosen.push_back(all[std::size_t(row)]);
        return chosen;
    }
    case TextPdfScope::SlipShown:
        break;
    }
    const int page = currentPage();
    const int slip = SidePanel->index()->slipOfPage(page);
    if (slip >= 0)
        return {all[std::size_t(slip)]};
    // A page no slip told (the index is empty): the page itself.
    const auto [firstForm, lastForm] = output_ledger::formsOfPages(*QRPreview->pages(), page, page);
    return {PreviewSlipIndex::Slip{{}, {}, {}, {}, firstForm, lastForm, page, page}};
}

QStringList TfrmVRPreview::ExportTextPdf(TextPdfScope scope)
{
    PageStore *pages = QRPreview->pages();
    if (!m_layout || !pages || currentPage() < 1)
        return {};
    const std::vector<PreviewSlipIndex::Slip> slips = textPdfSlips(scope);
    if (slips.empty() && scope == TextPdfScope::ChosenSlips)
        return {};
    const QString folder = readyExportFolder();
    if (folder.isEmpty())
        return {};
    const QString baseName = exportBaseName(folder);
    const bool perSlip = scope != TextPdfScope::Run;

    TextPdfExport exporter(*pages, slips);
    exporter.setTitle(m_report ? m_report->reportTitle() : caption());
    exporter.setAuthor(QString::fromStdString(m_layout->UserID));
    exporter.setLedger(m_layout);
    QStringList files;
    {
        OutputProgressWindow progress(ownText("sTextPDFWriting", "转出成 PDF文字档中"), this);
        progress.begin(exporter.pageTotal(perSlip));
        exporter.setProgress(
            [&progress](int done, int total, const QString &slip) { return progress.pageDone(done, total, slip); });
        try {
            files = exporter.write(baseName, perSlip);
        } catch (const std::exception &error) {
            progress.hide();
            showError(error);
            return {};
        }
    }
    if (!files.isEmpty())
        askToOpen(files.size() == 1 ? files.front() : baseName + QStringLiteral("-*.pdf"), files);
    return files;
}

} // namespace kv
