#pragma once
// erp-host's options for a vector PDF export after a preview (kept stable:
// outside checks drive them):
//   --export-pdf FILE   once the preview's pages are all generated, write the
//                       whole run as vector PDF into FILE
//   --per-slip          with --export-pdf: one file per slip instead,
//                       "<base>-<type>-<number>.pdf" in FILE's folder (base:
//                       FILE's name without ".pdf")
// They reach the module as environment variables (QIPR07_EXPORT_PDF,
// QIPR07_EXPORT_PDF_PER_SLIP).

#include <QCommandLineOption>
#include <QList>

#include <string>
#include <utility>
#include <vector>

class QCommandLineParser;

namespace erphost {

struct ExportOptions {
    std::string pdfFile; // absolute, empty when not asked for
    bool perSlip = false;

    static QList<QCommandLineOption> commandLineOptions();
    // Reads them from a parsed command line; HostUsageError when wrong.
    static ExportOptions read(const QCommandLineParser &parser);
    void addEnvironment(std::vector<std::pair<std::string, std::string>> &variables) const;
    static const char *usage();
};

} // namespace erphost
