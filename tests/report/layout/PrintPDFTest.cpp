// TPrintPDF: the written file is checked byte by byte where the layout is
// fixed (offsets, cross-reference entries, lengths, the creation date) and
// read back by independent tools: qpdf --check, pdfinfo, and pdftoppm
// rendering the page to the picture that was drawn.

#include "platform/Clock.h"
#include "report/layout/PrintPDF.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct ToolResult {
    int exitCode = -1;
    QString output;
};

ToolResult runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

QString writePdf(const QString &path, int width, int height, const QImage *bitmap, const QString &title = {})
{
    kv::TPrintPDF pdf;
    pdf.FileName = path;
    pdf.TITLE = title;
    pdf.PageWidth = width;
    pdf.PageHeight = height;
    pdf.BeginDoc();
    if (bitmap)
        pdf.DrawBitmap(0, 0, *bitmap);
    pdf.EndDoc();
    return path;
}

// Checks the cross-reference table against the objects, startxref and the
// length object of the page content; returns the number of objects.
int checkStructure(const QByteArray &pdf)
{
    const qsizetype xref = pdf.lastIndexOf("\r\nxref\r\n") + 2;
    EXPECT_GT(xref, 2);
    const QByteArray tail = pdf.mid(xref);
    const QList<QByteArray> lines = tail.split('\n');
    const int size = lines[1].trimmed().split(' ')[1].toInt();
    EXPECT_EQ(lines[2], "0000000000 65535 f\r");
    // Every entry is 20 bytes and points at the first line of its object.
    const qsizetype entries = xref + qsizetype(strlen("xref\r\n")) + lines[1].size() + 1;
    for (int k = 1; k < size; ++k) {
        const QByteArray entry = pdf.mid(entries + 20 * k, 20);
        EXPECT_TRUE(entry.endsWith(" 00000 n\r\n")) << entry.constData();
        const qsizetype offset = entry.left(10).toLongLong();
        EXPECT_TRUE(pdf.mid(offset).startsWith(QByteArray::number(k) + " 0 obj\r\n")) << "object " << k;
    }
    EXPECT_TRUE(pdf.mid(entries + 20 * size).startsWith("trailer\r\n<< /Size " + QByteArray::number(size) + "\r\n"));
    const QRegularExpression startxref(QStringLiteral("startxref\r\n(\\d+)\r\n%%EOF\r\n$"));
    const auto match = startxref.match(QString::fromLatin1(pdf));
    EXPECT_TRUE(match.hasMatch());
    EXPECT_EQ(match.captured(1).toLongLong(), xref);

    // Object 3 holds the number of bytes between "stream" and "endstream" of object 2.
    const qsizetype content = pdf.indexOf("2 0 obj\r\n<< /Length 3 0 R\r\n >>\r\nstream\r\n");
    const qsizetype start = pdf.indexOf("stream\r\n", content) + 8;
    const qsizetype end = pdf.indexOf("endstream\r\nendobj\r\n3 0 obj\r\n", start);
    const qsizetype lengthAt = end + qsizetype(strlen("endstream\r\nendobj\r\n3 0 obj\r\n"));
    EXPECT_EQ(pdf.mid(lengthAt, pdf.indexOf("\r\n", lengthAt) - lengthAt).toLongLong(), end - start);
    return size - 1;
}

void expectToolsAccept(const QString &path, const QString &pageSize)
{
    const ToolResult check = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
    EXPECT_EQ(check.exitCode, 0) << check.output.toStdString();
    EXPECT_FALSE(check.output.contains(QStringLiteral("WARNING"))) << check.output.toStdString();
    const ToolResult info = runTool(QStringLiteral("pdfinfo"), {path});
    EXPECT_EQ(info.exitCode, 0) << info.output.toStdString();
    EXPECT_TRUE(info.output.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    EXPECT_TRUE(info.output.contains(QRegularExpression(QStringLiteral("Page size:\\s+") + pageSize)))
        << info.output.toStdString();
}

class PrintPDFTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file(const QString &name) const { return dir.filePath(name); }
};

TEST_F(PrintPDFTest, DocumentWithoutImageKeepsEveryFixedObject)
{
    kv::FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(14, 30, 5)));
    const QString path = writePdf(file(QStringLiteral("empty.pdf")), 612, 792, nullptr);
    const QByteArray pdf = readAll(path);
    ASSERT_TRUE(pdf.startsWith("%PDF-1.4\r\n1 0 obj\r\n<<\r\n/Producer ("));
    EXPECT_TRUE(pdf.contains("\r\n/CreationDate (D:20240305143005)\r\n"));
    EXPECT_EQ(checkStructure(pdf), 22); // page 21, catalog 22
    EXPECT_TRUE(pdf.contains("2 0 obj\r\n<< /Length 3 0 R\r\n >>\r\nstream\r\nendstream\r\nendobj\r\n3 0 obj\r\n0\r\n"));
    EXPECT_TRUE(pdf.contains("/XObject << \r\n>>\r\n/Font << \r\n/F1 5 0 R \r\n"));
    EXPECT_TRUE(pdf.contains("18 0 obj\r\n<< /Type /Font\r\n/Subtype /Type1\r\n/Name /F14\r\n/BaseFont /ZapfDingbats\r\n"));
    EXPECT_TRUE(pdf.contains("21 0 obj\r\n<< /Type /Page\r\n/Parent 19 0 R\r\n/MediaBox [ 0 0 612 792]\r\n"
                             "/Contents 2 0 R\r\n/Resources 20 0 R\r\n"));
    EXPECT_TRUE(pdf.contains("/Root 22 0 R\r\n/Info 1 0 R\r\n"));
    expectToolsAccept(path, QStringLiteral("612 x 792 pts"));
}

TEST_F(PrintPDFTest, SmallBitmapIsStoredAsRawRgbRows)
{
    QImage bitmap(3, 2, QImage::Format_RGB32);
    const QRgb colours[6] = {0xff0000, 0x00ff00, 0x0000ff, 0x102030, 0xffffff, 0x000000};
    for (int i = 0; i < 6; ++i)
        bitmap.setPixel(i % 3, i / 3, colours[i]);
    const QString path = writePdf(file(QStringLiteral("small.pdf")), 30, 20, &bitmap);
    const QByteArray pdf = readAll(path);
    EXPECT_EQ(checkStructure(pdf), 23);
    EXPECT_TRUE(pdf.contains("21 0 obj\r\n<< /Type /XObject\r\n/Subtype /Image\r\n/Width 3\r\n/Height 2\r\n"
                             "/ColorSpace /DeviceRGB\r\n/BitsPerComponent 8\r\n/Length 18\r\n/Name /Im1\r\n>>\r\n"
                             "stream\r\n"));
    const QByteArray raw("\xff\0\0\0\xff\0\0\0\xff\x10\x20\x30\xff\xff\xff\0\0\0", 18);
    EXPECT_TRUE(pdf.contains("stream\r\n" + raw + "\r\nendstream\r\nendobj\r\n22 0 obj\r\n"));
    EXPECT_TRUE(pdf.contains("/XObject << \r\n/Im1 21 0 R\r\n>>\r\n"));
    expectToolsAccept(path, QStringLiteral("30 x 20 pts"));
}

TEST_F(PrintPDFTest, PageRendersToThePictureDrawn)
{
    // One page unit a pixel: the picture covers its page.
    QImage bitmap(768, 1020, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    const QRgb colours[4] = {0xd02020, 0x20a040, 0x2040c0, 0x202020};
    for (int y = 0; y < 1020; ++y)
        for (int x = 0; x < 768; ++x)
            if ((x / 128 + y / 170) % 2 == 0)
                bitmap.setPixel(x, y, colours[(x / 128 + y / 170) % 4]);
    const QString path = writePdf(file(QStringLiteral("page.pdf")), 768, 1020, &bitmap);
    EXPECT_TRUE(readAll(path).contains("\r\nq\r\n768 0 0 1020 0 0 cm\r\n/Im1 Do\r\nQ\r\n"));
    expectToolsAccept(path, QStringLiteral("768 x 1020 pts"));

    const ToolResult render = runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"),
                                                                  QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                                                  path, file(QStringLiteral("page"))});
    ASSERT_EQ(render.exitCode, 0) << render.output.toStdString();
    const QImage rendered(file(QStringLiteral("page.png")));
    ASSERT_EQ(rendered.size(), QSize(768, 1020));
    int differing = 0;
    for (int y = 5; y < 1020; y += 17)
        for (int x = 3; x < 768; x += 13) {
            if (x % 128 < 2 || x % 128 > 125 || y % 170 < 2 || y % 170 > 167)
                continue; // block edges may blur by a pixel
            const QColor a = bitmap.pixelColor(x, y), b = rendered.pixelColor(x, y);
            if (qAbs(a.red() - b.red()) > 8 || qAbs(a.green() - b.green()) > 8 || qAbs(a.blue() - b.blue()) > 8)
                ++differing;
        }
    EXPECT_EQ(differing, 0);
}

TEST_F(PrintPDFTest, LetterPageAt96DpiFillsTheMediaBoxExactly)
{
    // The layout window's call: page size equals the picture's pixel size.
    const QImage bitmap(816, 1056, QImage::Format_RGB16);
    const QByteArray pdf = readAll(writePdf(file(QStringLiteral("letter.pdf")), 816, 1056, &bitmap));
    EXPECT_TRUE(pdf.contains("\r\nq\r\n816 0 0 1056 0 0 cm\r\n/Im1 Do\r\nQ\r\n"));
    EXPECT_TRUE(pdf.contains("/Length " + QByteArray::number(3 * 816 * 1056) + "\r\n"));
}

TEST_F(PrintPDFTest, WriterIsReusableAndTitleCannotBreakTheFile)
{
    kv::TPrintPDF pdf;
    const QImage bitmap(4, 4, QImage::Format_RGB32);
    pdf.TITLE = QStringLiteral("Slip (A) \\ 领料单");
    for (const char *name : {"one.pdf", "two.pdf"}) {
        pdf.FileName = file(QString::fromLatin1(name));
        pdf.BeginDoc();
        pdf.DrawBitmap(0, 0, bitmap);
        pdf.EndDoc();
        EXPECT_EQ(pdf.pageNumber(), 1);
        EXPECT_EQ(checkStructure(readAll(pdf.FileName)), 23) << name;
        expectToolsAccept(pdf.FileName, QStringLiteral("612 x 792 pts"));
    }
    EXPECT_TRUE(runTool(QStringLiteral("pdfinfo"), {pdf.FileName}).output.contains(QStringLiteral("Slip (A) \\ 领料单")));

    pdf.FileName = file(QStringLiteral("missing/dir/x.pdf"));
    pdf.BeginDoc();
    EXPECT_THROW(pdf.EndDoc(), kv::PdfFileError);
}

} // namespace
