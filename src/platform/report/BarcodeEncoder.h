#pragma once
// Encoding of the barcode kinds that barcode fields offer, on Zint. A kind
// is a number (the barcode field's BarcodeType); each kind accepts a fixed
// set of characters, which the field checks before encoding so that a
// layout can replace what a kind cannot carry.

#include <QRectF>
#include <QString>

#include <vector>

namespace kv {

// The bars of one symbol: rectangles in a unit square (x across the whole
// symbol, y down its height), and its width in modules.
struct BarcodeSymbol {
    std::vector<QRectF> bars;
    int modules = 0;
    QString error; // why the data could not be encoded; empty when it could
    bool isValid() const { return error.isEmpty(); }
};

class BarcodeEncoder {
public:
    static constexpr int kKindCount = 23;

    // Whether a kind can encode the character (kinds out of range encode nothing).
    static bool acceptsChar(int kind, char32_t character);
    // Encodes data already reduced to characters the kind accepts; a wrong
    // length or check digit comes back as the symbol's error.
    static BarcodeSymbol encode(int kind, const QString &data);
};

} // namespace kv
