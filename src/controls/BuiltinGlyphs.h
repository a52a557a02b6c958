#pragma once
// The images the controls fall back on when the glyph library cannot be
// loaded: the glyph numbers this module uses and the three check-box images.
// They are drawn in code, plainer than the library's, so that a missing
// library costs looks but never a working button.

#include <QImage>
#include <QString>

namespace kv {

class BuiltinGlyphs {
public:
    // The highest glyph number drawn here.
    static int maxId();
    // Glyph number as an image; a null image for a number not drawn here.
    static QImage glyph(int number);
    // "CHECKED", "UNCHECKED" or "GRAYED" (19 x 14); a null image otherwise.
    static QImage named(const QString &name);
};

} // namespace kv
