#include "report/layout/ExportRequest.h"

#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "report/layout/PreviewSlipIndex.h"
#include "report/layout/TextPdfExport.h"
#include "report/layout/VRBaseFmt.h"
#include "report/layout/VRPreviewer.h"

#include <cstdio>

namespace kv {

std::optional<ExportRequest> ExportRequest::fromEnvironment()
{
    const QString file = qEnvironmentVariable(kFileVariable).trimmed();
    if (file.isEmpty())
        return std::nullopt;
    const QByteArray perSlip = qgetenv(kPerSlipVariable);
    return ExportRequest{file, !perSlip.isEmpty() && perSlip != "0"};
}

QStringList ExportRequest::run(const PreviewRequest &preview) const
{
    PageStore *pages = preview.pages;
    if (!pages || pages->pageCount() == 0 || !pages->isFinished())
        throw ReportError("export-pdf: the run has no finished pages to write into " + file.toStdString());
    PreviewSlipIndex index;
    index.setPages(pages);
    TextPdfExport exporter(*pages, index.slips());
    if (preview.report)
        exporter.setTitle(preview.report->reportTitle());
    if (preview.layout) {
        exporter.setAuthor(QString::fromStdString(preview.layout->UserID));
        exporter.setLedger(preview.layout);
    }
    try {
        const QStringList files = exporter.write(file, perSlip);
        // Told as the host tells the other files a run wrote.
        for (const QString &written : files)
            std::fprintf(stdout, "export-pdf: written %s\n", written.toLocal8Bit().constData());
        std::fflush(stdout);
        return files;
    } catch (const ReportError &error) {
        throw ReportError(std::string("export-pdf: ") + error.what());
    }
}

} // namespace kv
