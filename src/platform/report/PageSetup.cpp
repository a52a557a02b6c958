#include "platform/report/PageSetup.h"

#include <QMetaEnum>

#include <array>
#include <cmath>

namespace kv {

namespace {

// Upright width and length in tenths of a millimetre, by paper-size number.
// Default and Custom have none: they keep the stored length and width.
constexpr std::array<std::array<double, 2>, 28> kPapers = {{
    {0, 0},          // Default
    {2159, 2794},    // Letter 8.5 x 11 in
    {2159, 2794},    // LetterSmall
    {2794, 4318},    // Tabloid 11 x 17 in
    {4318, 2794},    // Ledger 17 x 11 in
    {2159, 3556},    // Legal 8.5 x 14 in
    {1397, 2159},    // Statement 5.5 x 8.5 in
    {1842, 2667},    // Executive 7.25 x 10.5 in
    {2970, 4200},    // A3
    {2100, 2970},    // A4
    {2100, 2970},    // A4Small
    {1480, 2100},    // A5
    {2570, 3640},    // B4 (JIS)
    {1820, 2570},    // B5 (JIS)
    {2159, 3302},    // Folio 8.5 x 13 in
    {2150, 2750},    // Quarto
    {2540, 3556},    // 10 x 14 in
    {2794, 4318},    // 11 x 17 in
    {2159, 2794},    // Note
    {984, 2254},     // Envelope #9
    {1048, 2413},    // Envelope #10
    {1143, 2635},    // Envelope #11
    {1207, 2794},    // Envelope #12
    {1270, 2921},    // Envelope #14
    {4318, 5588},    // C sheet 17 x 22 in
    {5588, 8636},    // D sheet 22 x 34 in
    {8636, 11176},   // E sheet 34 x 44 in
    {0, 0},          // Custom
}};

bool same(double a, double b)
{
    return std::abs(a - b) < 0.05;
}

} // namespace

PageSetup::PageSetup(QObject *parent) : QObject(parent) {}

void PageSetup::setPaperSize(TQRPaperSize size)
{
    if (size < Default || size > Custom)
        return;
    m_paperSize = size;
    const QSizeF paper = paperDimensions(size);
    if (!paper.isEmpty()) {
        m_width = paper.width();
        m_length = paper.height();
    }
}

void PageSetup::setLength(double length)
{
    m_length = length;
    const QSizeF paper = paperDimensions(m_paperSize);
    if (!paper.isEmpty() && !same(paper.height(), length))
        m_paperSize = Custom;
}

void PageSetup::setWidth(double width)
{
    m_width = width;
    const QSizeF paper = paperDimensions(m_paperSize);
    if (!paper.isEmpty() && !same(paper.width(), width))
        m_paperSize = Custom;
}

QSizeF PageSetup::sheetSize() const
{
    return m_orientation == poLandscape ? QSizeF(m_length, m_width) : QSizeF(m_width, m_length);
}

QString PageSetup::paperName(int paperSize)
{
    const char *key = QMetaEnum::fromType<TQRPaperSize>().valueToKey(paperSize);
    return key ? QString::fromLatin1(key) : QString();
}

QSizeF PageSetup::paperDimensions(TQRPaperSize size)
{
    if (size < Default || size > Custom)
        return {};
    const auto &paper = kPapers[std::size_t(size)];
    return QSizeF(paper[0], paper[1]);
}

} // namespace kv
