// TextPdfExport on a real run of pages, read back with qpdf: per-slip file
// names made safe and unique within the export (a slip met twice, names
// that become the same), each file with its slip's pages and bookmark; the
// files take their names only when every one is complete, so a cancelled or
// failed export leaves none and an older file of a name stays as it was.
#include "platform/ClientDataSet.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/report/TQRDBText.h"
#include "report/layout/TextPdfExport.h"
#include "support/CodePages.h"
#include "support/PdfReadBack.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv;
using Slip = TextPdfExport::Slip;

namespace {

Slip slip(const char *type, const char *number, int firstPage, int lastPage)
{
    return Slip{QString::fromUtf8(type), QString::fromUtf8(number), QStringLiteral("2024/03/01"),
                QStringLiteral("生产一部"), firstPage, lastPage, firstPage, lastPage};
}

QString tool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}


QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray contents(const QString &file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

class TextPdfExportTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(run.report->prepare()); }

    kvtest::CodePages run{5};
    // The same slip met again further on, and two that name alike once safe.
    std::vector<Slip> slips{slip("5401", "0001", 1, 2), slip("5401", "0002", 3, 3), slip("5401", "0001", 4, 4),
                            slip("54/01", "../x", 5, 5), slip("54_01", "_._x", 5, 5)};
    QTemporaryDir dir;
    QString base = dir.filePath("run");
};

TEST_F(TextPdfExportTest, SlipFileNamesAreSafeAndUniqueWithinTheExport)
{
    EXPECT_EQ(TextPdfExport::slipFileNames(base + ".pdf", slips),
              (QStringList{base + "-5401-0001.pdf", base + "-5401-0002.pdf", base + "-5401-0001-2.pdf",
                           base + "-54_01-_._x.pdf", base + "-54_01-_._x-2.pdf"}));
    // A slip nothing told is numbered by its place.
    EXPECT_EQ(TextPdfExport::slipFileNames(base, {Slip{}, Slip{}}), (QStringList{base + "-1.pdf", base + "-2.pdf"}));
    EXPECT_EQ(TextPdfExport::safeNamePart(QStringLiteral(" 领料\\单:*?\"<>|\n ")), QStringLiteral("领料_单_______"));
    EXPECT_EQ(TextPdfExport::bookmarkTitle(slips[0]), QStringLiteral("5401-0001 2024/03/01 生产一部"));
}

TEST_F(TextPdfExportTest, EachSlipGoesIntoItsOwnFileWithItsPagesAndBookmark)
{
    // An older file of one name is replaced once the export is complete.
    QFile older(base + "-5401-0002.pdf");
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older");
    older.close();
    TextPdfExport exporter(run.pages(), slips);
    std::vector<int> seen;
    exporter.setProgress([&seen](int done, int total, const QString &) {
        seen.push_back(done * 100 + total);
        return true;
    });
    const QStringList files = exporter.write(base, true);
    ASSERT_EQ(files, TextPdfExport::slipFileNames(base, slips));
    EXPECT_EQ(entries(dir.path()).size(), 5);
    EXPECT_EQ(seen, (std::vector<int>{106, 206, 306, 406, 506, 606}));
    const int pages[] = {2, 1, 1, 1, 1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(kvtest::pdfPageCount(files[i]), pages[i]) << files[i].toStdString();
        EXPECT_EQ(kvtest::pdfOutline(files[i]), (std::vector<std::pair<QString, int>>{
                                         {TextPdfExport::bookmarkTitle(slips[std::size_t(i)]), 1}}));
    }
    EXPECT_EQ(tool("pdftotext", {files[2], "-"}).trimmed(), QStringLiteral("CODE-4"));

    // All in one file: a bookmark per slip at its page, two on a shared page.
    const QStringList one = exporter.write(base, false);
    ASSERT_EQ(one, QStringList{base + ".pdf"});
    EXPECT_EQ(kvtest::pdfOutline(one[0]).size(), 5u);
    EXPECT_EQ(kvtest::pdfOutline(one[0])[3].second, 5);
    EXPECT_EQ(kvtest::pdfOutline(one[0])[4].second, 5);
}

TEST_F(TextPdfExportTest, ACancelledOrFailedExportLeavesNoFileAndOlderOnesAsTheyWere)
{
    QFile older(base + "-5401-0001.pdf");
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older");
    older.close();
    TextPdfExport exporter(run.pages(), slips);
    // Stopped in the third file, after two were complete.
    exporter.setProgress([](int done, int, const QString &) { return done < 4; });
    EXPECT_TRUE(exporter.write(base, true).isEmpty());
    EXPECT_EQ(entries(dir.path()), QStringList{"run-5401-0001.pdf"});
    EXPECT_EQ(contents(base + "-5401-0001.pdf"), "older");

    // A folder that is not there: the error names the file.
    exporter.setProgress({});
    const QString missing = dir.filePath("missing/run");
    try {
        exporter.write(missing, false);
        ADD_FAILURE() << "no error";
    } catch (const ReportError &error) {
        EXPECT_NE(std::string(error.what()).find("Cannot write the PDF file " + missing.toStdString() + ".pdf"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(entries(dir.path()), QStringList{"run-5401-0001.pdf"});
}

} // namespace
