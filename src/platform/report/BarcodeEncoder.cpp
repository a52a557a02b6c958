#include "platform/report/BarcodeEncoder.h"

#include <zint.h>

#include <array>
#include <memory>

namespace kv {

namespace {

enum class Chars { Digits, Code39, Codabar, Ascii, AsciiUpper, AsciiPrintable };

struct Kind {
    int symbology;
    Chars chars;
};

// By kind number: 2 of 5 interleaved, industrial and matrix; Code 39 and its
// full-ASCII form; Code 128 A, B and C; Code 93 and its full-ASCII form;
// MSI; PostNet; Codabar; EAN-8; EAN-13; UPC-A; UPC-E (two kinds); UPC two-
// and five-digit supplements; EAN-128 A, B and C. EAN-128 is drawn as Code
// 128: the layouts carry plain data, not GS1 application identifiers.
constexpr std::array<Kind, BarcodeEncoder::kKindCount> kKinds = {{
    {BARCODE_C25INTER, Chars::Digits},
    {BARCODE_C25IND, Chars::Digits},
    {BARCODE_C25STANDARD, Chars::Digits},
    {BARCODE_CODE39, Chars::Code39},
    {BARCODE_EXCODE39, Chars::Ascii},
    {BARCODE_CODE128, Chars::AsciiUpper},
    {BARCODE_CODE128B, Chars::AsciiPrintable},
    {BARCODE_CODE128, Chars::Digits},
    {BARCODE_CODE93, Chars::Code39},
    {BARCODE_CODE93, Chars::Ascii},
    {BARCODE_MSI_PLESSEY, Chars::Digits},
    {BARCODE_POSTNET, Chars::Digits},
    {BARCODE_CODABAR, Chars::Codabar},
    {BARCODE_EANX, Chars::Digits},
    {BARCODE_EANX, Chars::Digits},
    {BARCODE_UPCA, Chars::Digits},
    {BARCODE_UPCE, Chars::Digits},
    {BARCODE_UPCE, Chars::Digits},
    {BARCODE_EANX, Chars::Digits},
    {BARCODE_EANX, Chars::Digits},
    {BARCODE_CODE128, Chars::AsciiUpper},
    {BARCODE_CODE128, Chars::AsciiPrintable},
    {BARCODE_CODE128, Chars::Digits},
}};

constexpr int kCodabarKind = 12;

// Digit counts of the article numbers (with or without their check digit);
// Zint would pad a short number with zeros or read it as an add-on, which
// prints a different symbol than the layout asked for.
struct Lengths {
    int kind;
    int shortest;
    int longest;
};
constexpr std::array<Lengths, 7> kLengths = {{
    {13, 7, 8}, {14, 12, 13}, {15, 11, 12}, {16, 6, 8}, {17, 6, 8}, {18, 2, 2}, {19, 5, 5},
}};

QString lengthError(int kind, qsizetype length)
{
    for (const Lengths &rule : kLengths) {
        if (rule.kind == kind && (length < rule.shortest || length > rule.longest))
            return rule.shortest == rule.longest
                       ? QStringLiteral("%1 digits needed, %2 given").arg(rule.shortest).arg(length)
                       : QStringLiteral("%1 to %2 digits needed, %3 given").arg(rule.shortest).arg(rule.longest).arg(length);
    }
    return {};
}

bool inSet(char32_t c, Chars chars)
{
    switch (chars) {
    case Chars::Digits:
        return c >= U'0' && c <= U'9';
    case Chars::Code39:
        return (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || c == U' ' || c == U'-' || c == U'.' ||
               c == U'$' || c == U'/' || c == U'+' || c == U'%';
    case Chars::Codabar:
        return (c >= U'0' && c <= U'9') || c == U'-' || c == U'$' || c == U':' || c == U'/' || c == U'.' ||
               c == U'+';
    case Chars::Ascii:
        return c < 128;
    case Chars::AsciiUpper:
        return c < 96;
    case Chars::AsciiPrintable:
        return c >= 32 && c < 128;
    }
    return false;
}

struct SymbolDeleter {
    void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
};

} // namespace

bool BarcodeEncoder::acceptsChar(int kind, char32_t character)
{
    return kind >= 0 && kind < kKindCount && inSet(character, kKinds[std::size_t(kind)].chars);
}

BarcodeSymbol BarcodeEncoder::encode(int kind, const QString &data)
{
    BarcodeSymbol result;
    if (kind < 0 || kind >= kKindCount) {
        result.error = QStringLiteral("unknown barcode kind %1").arg(kind);
        return result;
    }
    if (data.isEmpty()) {
        result.error = QStringLiteral("no data");
        return result;
    }
    result.error = lengthError(kind, data.size());
    if (!result.isValid())
        return result;
    // Codabar needs start and stop characters; the data never carries them.
    const QByteArray bytes = (kind == kCodabarKind ? "A" + data.toUtf8() + "A" : data.toUtf8());
    std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    symbol->symbology = kKinds[std::size_t(kind)].symbology;
    symbol->show_hrt = 0;
    symbol->output_options |= BARCODE_NO_QUIET_ZONES;
    const int status = ZBarcode_Encode_and_Buffer_Vector(
        symbol.get(), reinterpret_cast<const unsigned char *>(bytes.constData()), int(bytes.size()), 0);
    if (status >= ZINT_ERROR || !symbol->vector || symbol->vector->width <= 0 || symbol->vector->height <= 0) {
        result.error = QString::fromUtf8(symbol->errtxt);
        if (result.error.isEmpty())
            result.error = QStringLiteral("cannot encode");
        return result;
    }
    const double width = symbol->vector->width;
    const double height = symbol->vector->height;
    for (const zint_vector_rect *rect = symbol->vector->rectangles; rect; rect = rect->next)
        result.bars.emplace_back(rect->x / width, rect->y / height, rect->width / width, rect->height / height);
    result.modules = symbol->width;
    return result;
}

} // namespace kv
