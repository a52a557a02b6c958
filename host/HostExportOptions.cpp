#include "HostExportOptions.h"

#include "HostOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace erphost {

QList<QCommandLineOption> ExportOptions::commandLineOptions()
{
    return {QCommandLineOption("export-pdf", "vector PDF of the run after the preview", "FILE"),
            QCommandLineOption("per-slip", "one PDF file per slip")};
}

ExportOptions ExportOptions::read(const QCommandLineParser &parser)
{
    ExportOptions options;
    if (parser.isSet("per-slip") && !parser.isSet("export-pdf"))
        throw HostUsageError("--per-slip goes with --export-pdf FILE");
    if (!parser.isSet("export-pdf"))
        return options;
    const QString value = parser.value("export-pdf");
    if (value.trimmed().isEmpty())
        throw HostUsageError("--export-pdf needs a file name");
    // The module does not know the host's working folder: it gets the
    // absolute path. Whether the folder takes the files is the module's
    // to find out, and a failure there fails the run.
    const QFileInfo file(QDir::current().absoluteFilePath(value));
    if (file.isDir())
        throw HostUsageError("--export-pdf " + value.toStdString() + ": that is a folder, not a file");
    options.pdfFile = file.absoluteFilePath().toStdString();
    options.perSlip = parser.isSet("per-slip");
    return options;
}

void ExportOptions::addEnvironment(std::vector<std::pair<std::string, std::string>> &variables) const
{
    if (pdfFile.empty())
        return;
    variables.emplace_back("QIPR07_EXPORT_PDF", pdfFile);
    if (perSlip)
        variables.emplace_back("QIPR07_EXPORT_PDF_PER_SLIP", "1");
}

const char *ExportOptions::usage()
{
    return "  --export-pdf FILE    after a preview (--execute 5, or 6 with --preview true)\n"
           "                       whose pages are all generated, write the run as vector\n"
           "                       PDF (selectable text, a bookmark per slip) into FILE; a\n"
           "                       file that cannot be written fails the run (status 1)\n"
           "  --per-slip           with --export-pdf: one file per slip instead, named\n"
           "                       BASE-TYPE-NUMBER.pdf in FILE's folder (BASE: FILE's name\n"
           "                       without .pdf)\n";
}

} // namespace erphost
