#pragma once
// kv::PdfUnicodeMap: repairs the character maps (ToUnicode CMaps) that Qt's
// PDF engine writes for its font subsets. Qt maps each glyph back to the
// lowest code point the font gives that glyph; CJK fonts give the glyph of
// many ideographs to a radical as well (日 and ⽇, 页 and ⻚), so a viewer
// would copy "⻚次" where the slip says "页次" and a search for the caption
// would fail. Radicals in a map are replaced by the unified ideograph that
// has the same glyph in the installed CJK fonts (or, for Kangxi radicals,
// by their compatibility decomposition).

#include <QByteArray>

namespace kv::pdf_unicode_map {

// The map with radicals turned into ideographs; the same bytes when
// nothing needed it.
QByteArray withIdeographs(const QByteArray &cmap);

// The unified ideograph a radical stands for; 0 for any other code point.
char16_t ideographOf(char16_t radical);

} // namespace kv::pdf_unicode_map
