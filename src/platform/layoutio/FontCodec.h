#pragma once
// kv::FontCodec: the font of a component as the sub-properties Font.Charset,
// Font.Height (negative pixel height), Font.Name and Font.Style, and the
// reading of them (plus Font.Size in points and Font.Color, which is checked
// and ignored). The character set is not a QFont attribute: it is kept in
// the component's dynamic property "FontCharset", GB2312_CHARSET when unset.

#include "platform/layoutio/LayoutValue.h"
#include "platform/layoutio/PropertyCodec.h"

#include <string>
#include <vector>

class QFont;
class QObject;

namespace kv {

class FontCodec {
public:
    static constexpr const char *kCharsetProperty = "FontCharset";
    static constexpr const char *kDefaultCharset = "GB2312_CHARSET";

    static std::vector<PropertyText> read(const QObject &object, const QFont &font);
    // Applies Font.<part> = value to font (the charset to object); false,
    // with the reason in error, for an unknown part or a bad value.
    static bool write(QObject &object, QFont &font, const std::string &part, const LayoutValue &value,
                      std::string &error);
};

} // namespace kv
