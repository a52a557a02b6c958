// The outline and the information dictionary of a written PDF file, read
// back with qpdf's JSON, pdfinfo and libqpdf: one bookmark per entry at its
// page of the written range (entries outside it left out), the title,
// author, subject and keywords as PDF text strings (UTF-16BE with a
// byte-order mark where they are not ASCII).
#include "platform/ClientDataSet.h"
#include "platform/report/PageStore.h"
#include "platform/report/PdfDocumentWriter.h"
#include "platform/report/Report.h"
#include "platform/report/TQRDBText.h"
#include "support/CodePages.h"
#include "support/PdfReadBack.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

// qpdf 11 without its PointerHolder compatibility layer.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>

#include <gtest/gtest.h>

using namespace kv;

namespace {



// The raw bytes of an entry of the information dictionary.
std::string infoBytes(const QString &file, const char *key)
{
    QPDF pdf;
    pdf.processFile(QFile::encodeName(file).constData());
    QPDFObjectHandle info = pdf.getTrailer().getKey("/Info");
    return info.isDictionary() && info.getKey(key).isString() ? info.getKey(key).getStringValue() : std::string();
}

TEST(PdfOutlineTest, BookmarksPointAtTheirPagesOfTheWrittenRangeAndTheInfoCarriesTheMetadata)
{
    kvtest::CodePages codes(6);
    ASSERT_TRUE(codes.report->prepare());
    ASSERT_EQ(codes.report->pages()->pageCount(), 6);
    QTemporaryDir dir;
    const QString file = dir.filePath("codes.pdf");

    PdfDocumentWriter writer(*codes.report->pages());
    writer.setTitle(QStringLiteral("厂内领料单"));
    writer.setMetadata(QStringLiteral("DS"), QStringLiteral("5401-0001 … 5401-0003"),
                       QStringLiteral("5401-0001, 5401-0002, 5401-0003"));
    // Pages 2 to 5 are written: page 1 of the file is the run's page 2.
    writer.setBookmarks({{QStringLiteral("5401-0001 2024/03/01 生产一部"), 1},
                         {QStringLiteral("5401-0002"), 3},
                         {QStringLiteral("beyond the range"), 5},
                         {QStringLiteral("before the range"), 0},
                         {QStringLiteral("5401-0003 二部"), 4}});
    ASSERT_TRUE(writer.write(file, 2, 5));
    EXPECT_EQ(kvtest::checkedToolOutput("qpdf", {"--show-npages", file}).trimmed(), QStringLiteral("4"));
    const std::vector<std::pair<QString, int>> expected{
        {QStringLiteral("5401-0001 2024/03/01 生产一部"), 1}, {QStringLiteral("5401-0002"), 3},
        {QStringLiteral("5401-0003 二部"), 4}};
    EXPECT_EQ(kvtest::pdfOutline(file), expected);
    // The bookmarks lead to the pages they name: the run's page 2 is first.
    EXPECT_EQ(kvtest::checkedToolOutput("pdftotext", {"-f", "3", "-l", "3", file, "-"}).trimmed(), QStringLiteral("CODE-4"));

    const QString info = kvtest::checkedToolOutput("pdfinfo", {file});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+厂内领料单\\n")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Author:\\s+DS\\n")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Creator:\\s+QIPR07\\n")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Subject:\\s+5401-0001 … 5401-0003\\n"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Keywords:\\s+5401-0001, 5401-0002, 5401-0003\\n"))))
        << info.toStdString();
    // Not ASCII (Latin letters too): UTF-16BE with its mark. ASCII stays as it is.
    const std::string title = infoBytes(file, "/Title");
    ASSERT_GE(title.size(), 2u);
    EXPECT_EQ(title.substr(0, 2), std::string("\xFE\xFF"));
    QString decoded;
    for (std::size_t at = 2; at + 1 < title.size(); at += 2)
        decoded += QChar(char16_t((uchar(title[at]) << 8) | uchar(title[at + 1])));
    EXPECT_EQ(decoded, QStringLiteral("厂内领料单"));
    EXPECT_EQ(infoBytes(file, "/Author"), "DS");
    // "…" has a PDFDocEncoding code, but a non-ASCII text is UTF-16 all the same.
    EXPECT_EQ(infoBytes(file, "/Subject").substr(0, 2), std::string("\xFE\xFF"));
}

TEST(PdfOutlineTest, WithoutBookmarksTheDocumentHasNoOutline)
{
    kvtest::CodePages codes(2);
    ASSERT_TRUE(codes.report->prepare());
    QTemporaryDir dir;
    const QString file = dir.filePath("plain.pdf");
    PdfDocumentWriter writer(*codes.report->pages());
    writer.setBookmarks({{QStringLiteral("nowhere"), 9}});
    ASSERT_TRUE(writer.write(file));
    EXPECT_TRUE(kvtest::pdfOutline(file).empty());
    QPDF pdf;
    pdf.processFile(QFile::encodeName(file).constData());
    EXPECT_FALSE(pdf.getRoot().hasKey("/Outlines"));
    EXPECT_FALSE(pdf.getRoot().hasKey("/PageMode"));
    EXPECT_EQ(infoBytes(file, "/Author"), "");
}

} // namespace
