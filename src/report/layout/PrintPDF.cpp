#include "report/layout/PrintPDF.h"

#include "platform/Clock.h"
#include "report/layout/PageBitmaps.h"

#include <QFile>
#include <QSaveFile>

#include <array>
#include <cstring>

namespace kv {

namespace {

constexpr const char *kEol = "\r\n";
constexpr const char *kSignature = "QIPR07 PDF writer";
constexpr int kFontCount = 14;
constexpr int kFirstFontObject = 5;
constexpr int kPagesObject = kFirstFontObject + kFontCount; // 19
constexpr int kContentObject = 2;
constexpr int kLengthObject = 3;
constexpr int kOutlinesObject = 4;

const std::array<const char *, kFontCount> kFontNames = {
    "Helvetica",   "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique", "Courier",
    "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique", "Times-Roman", "Times-Bold",
    "Times-Italic", "Times-BoldItalic", "Symbol", "ZapfDingbats"};

QByteArray line(const QByteArray &text)
{
    return text + kEol;
}

QByteArray num(qint64 value)
{
    return QByteArray::number(value);
}

// A literal string body: parentheses and backslashes escaped so that a title
// such as "a (b" cannot end the string early. Non-ASCII text is written as
// UTF-16BE with its byte-order mark, the form PDF readers take for Unicode.
QByteArray literal(const QString &text)
{
    QByteArray bytes;
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 128;
    if (ascii) {
        bytes = text.toLatin1();
    } else {
        bytes.append(char(0xFE)).append(char(0xFF));
        for (QChar c : text)
            bytes.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    QByteArray escaped;
    for (char c : bytes) {
        if (c == '(' || c == ')' || c == '\\')
            escaped.append('\\');
        escaped.append(c);
    }
    return escaped;
}

} // namespace

TPrintPDF::TPrintPDF(QObject *owner)
    : QObject(owner), Author(kSignature), Creator(kSignature), Producer(kSignature), Font(new TPDFFont)
{
}

TPrintPDF::~TPrintPDF()
{
    delete Font;
}

void TPrintPDF::BeginDoc()
{
    m_pageNumber = 1;
    m_objectCount = 0;
    m_images.clear();
    m_content.clear();
    m_offsets.clear();
    m_output.clear();
    m_outputSize = 0;
    put(line("%PDF-1.4"));
    m_offsets.push_back(m_outputSize);
    appendObject(infoObject());
}

void TPrintPDF::DrawBitmap(int x, int y, const QImage &bitmap)
{
    // One page unit a pixel: the layout sizes the page by its picture, so
    // the picture covers the page exactly, edges included.
    const int w = bitmap.width();
    const int h = bitmap.height();
    const int n = int(m_images.size()) + 1;

    m_content += line("q");
    m_content += line(num(w) + " 0 0 " + num(h) + " " + num(x) + " " + num(PageHeight - y - h) + " cm");
    m_content += line("/Im" + num(n) + " Do");
    m_content += line("Q");

    QByteArray image = line("<< /Type /XObject") + line("/Subtype /Image") + line("/Width " + num(w)) +
                       line("/Height " + num(h)) + line("/ColorSpace /DeviceRGB") + line("/BitsPerComponent 8") +
                       line("/Length " + num(3LL * w * h)) + line("/Name /Im" + num(n)) + line(">>") + line("stream");
    // The rows go straight into the stream, without a picture in between.
    const qsizetype header = image.size();
    image.resize(header + 3LL * w * h);
    auto *rows = reinterpret_cast<uchar *>(image.data() + header);
    if (bitmap.format() == QImage::Format_RGB16) {
        for (int row = 0; row < h; ++row)
            rgb16ToRgb888(reinterpret_cast<const quint16 *>(bitmap.constScanLine(row)), w, rows + 3LL * w * row);
    } else {
        const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB888);
        for (int row = 0; row < h; ++row)
            std::memcpy(rows + 3LL * w * row, rgb.constScanLine(row), 3 * std::size_t(w));
    }
    m_images.push_back(std::move(image));
}

void TPrintPDF::EndDoc()
{
    appendObject(contentObject());
    appendObject(beginObject() + line(num(m_content.size())) + line("endobj"));
    appendObject(beginObject() + line("<< /Type /Outlines") + line("/Count 0") + line(">>") + line("endobj"));
    for (int k = 0; k < kFontCount; ++k)
        appendObject(fontObject(k));
    const int resources = kPagesObject + 1;
    const int page = resources + int(m_images.size()) + 1;
    appendObject(pagesObject(page));
    appendObject(resourcesObject(resources));
    // An image object is kept in three pieces: its megabytes of rows are
    // written from where DrawBitmap put them, never copied again.
    for (const QByteArray &image : m_images) {
        put(beginObject());
        put(image);
        appendObject(QByteArray(kEol) + line("endstream") + line("endobj"));
    }
    appendObject(pageObject(kPagesObject, resources));
    appendObject(catalogObject(kPagesObject));
    put(xrefAndTrailer());
    save();
    m_images.clear();
    m_output.clear();
}

void TPrintPDF::appendObject(const QByteArray &object)
{
    put(object);
    ++m_objectCount;
    m_offsets.push_back(m_outputSize);
}

void TPrintPDF::put(const QByteArray &piece)
{
    m_output.push_back(piece);
    m_outputSize += piece.size();
}

QByteArray TPrintPDF::beginObject() const
{
    return line(num(m_objectCount + 1) + " 0 obj");
}

QByteArray TPrintPDF::infoObject() const
{
    const QByteArray created = Clock::now().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    return beginObject() + line("<<") + line("/Producer (" + literal(Producer) + ")") +
           line("/Author (" + literal(Author) + ")") + line("/CreationDate (D:" + created + ")") +
           line("/Creator (" + literal(Creator) + ")") + line("/Keywords (" + literal(Keywords) + ")") +
           line("/Subject (" + literal(Subject) + ")") + line("/Title (" + literal(TITLE) + ")") +
           line("/ModDate ()") + line(">>") + line("endobj");
}

QByteArray TPrintPDF::contentObject() const
{
    return beginObject() + line("<< /Length " + num(kLengthObject) + " 0 R") + line(" >>") + line("stream") +
           m_content + line("endstream") + line("endobj");
}

QByteArray TPrintPDF::fontObject(int index) const
{
    return beginObject() + line("<< /Type /Font") + line("/Subtype /Type1") + line("/Name /F" + num(index + 1)) +
           line(QByteArray("/BaseFont /") + kFontNames[std::size_t(index)]) + line("/Encoding /WinAnsiEncoding") +
           line(">>") + line("endobj");
}

QByteArray TPrintPDF::pagesObject(int pageObject) const
{
    QByteArray object = beginObject() + line("<< /Type /Pages") + line("/Kids [");
    for (int p = 0; p < m_pageNumber; ++p)
        object += line(num(pageObject + p) + " 0 R");
    return object + line("]") + line("/Count " + num(m_pageNumber)) + line(">>") + line("endobj");
}

QByteArray TPrintPDF::resourcesObject(int resources) const
{
    QByteArray object = beginObject() + line("<< /ProcSet [ /PDF /Text /ImageC]") + line("/XObject << ");
    for (int i = 1; i <= int(m_images.size()); ++i)
        object += line("/Im" + num(i) + " " + num(resources + i) + " 0 R");
    object += line(">>") + line("/Font << ");
    for (int k = 0; k < kFontCount; ++k)
        object += line("/F" + num(k + 1) + " " + num(kFirstFontObject + k) + " 0 R ");
    return object + line(">>") + line(">>") + line("endobj");
}

QByteArray TPrintPDF::pageObject(int pages, int resources) const
{
    return beginObject() + line("<< /Type /Page") + line("/Parent " + num(pages) + " 0 R") +
           line("/MediaBox [ 0 0 " + num(PageWidth) + " " + num(PageHeight) + "]") +
           line("/Contents " + num(kContentObject) + " 0 R") + line("/Resources " + num(resources) + " 0 R") +
           line(">>") + line("endobj");
}

QByteArray TPrintPDF::catalogObject(int pages) const
{
    return beginObject() + line("<< /Type /Catalog") + line("/Pages " + num(pages) + " 0 R") +
           line("/Outlines " + num(kOutlinesObject) + " 0 R") + line(">>") + line("endobj");
}

QByteArray TPrintPDF::xrefAndTrailer() const
{
    const int last = m_objectCount;
    QByteArray text = line("xref") + line("0 " + num(last + 1)) + line("0000000000 65535 f");
    for (int k = 0; k < last; ++k)
        text += line(num(m_offsets[std::size_t(k)]).rightJustified(10, '0') + " 00000 n");
    text += line("trailer") + line("<< /Size " + num(last + 1)) + line("/Root " + num(last) + " 0 R") +
            line("/Info 1 0 R") + line(">>") + line("startxref") + line(num(m_offsets.back())) + line("%%EOF");
    return text;
}

void TPrintPDF::save() const
{
    QSaveFile file(FileName);
    bool written = !FileName.isEmpty() && file.open(QIODevice::WriteOnly);
    for (std::size_t k = 0; written && k < m_output.size(); ++k)
        written = file.write(m_output[k]) == m_output[k].size();
    if (!written || !file.commit())
        throw PdfFileError("Cannot create file \"" + FileName.toStdString() + "\". " + file.errorString().toStdString());
}

} // namespace kv
