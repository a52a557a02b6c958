#pragma once
// A vector PDF export asked for on erp-host's command line (--export-pdf
// FILE [--per-slip]): once a preview's pages are all generated, the whole
// run goes into FILE, or with --per-slip into one file per slip
// ("<base>-<type>-<number>.pdf" in FILE's folder, base being FILE's name
// without ".pdf"). The host hands the request over in environment
// variables:
//   QIPR07_EXPORT_PDF           the file (absolute)
//   QIPR07_EXPORT_PDF_PER_SLIP  1: one file per slip

#include <QString>

#include <optional>

namespace kv {

struct PreviewRequest;

struct ExportRequest {
    static constexpr const char *kFileVariable = "QIPR07_EXPORT_PDF";
    static constexpr const char *kPerSlipVariable = "QIPR07_EXPORT_PDF_PER_SLIP";

    QString file;
    bool perSlip = false;

    // The request of this run; none when no export was asked for.
    static std::optional<ExportRequest> fromEnvironment();
    // Exports the preview's pages; the files written. Throws ReportError
    // (its text names the file) when the run has no pages or a file cannot
    // be written: the run has then failed.
    QStringList run(const PreviewRequest &preview) const;
};

} // namespace kv
