#include "platform/layoutio/FontCodec.h"

#include <QFont>
#include <QObject>
#include <QVariant>

#include <array>
#include <cmath>

namespace kv {

namespace {

struct Charset {
    std::string_view name;
    int value;
};

constexpr std::array<Charset, 19> kCharsets = {{
    {"ANSI_CHARSET", 0},        {"DEFAULT_CHARSET", 1},     {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},        {"SHIFTJIS_CHARSET", 128},  {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},     {"GB2312_CHARSET", 134},    {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},     {"TURKISH_CHARSET", 162},   {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},    {"ARABIC_CHARSET", 178},    {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204},   {"THAI_CHARSET", 222},      {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255},
}};

// The charset as written: a known name, or a number 0..255 as text.
std::optional<std::string> charsetText(const LayoutValue &value)
{
    if (value.kind != LayoutValue::Atom)
        return std::nullopt;
    for (const Charset &charset : kCharsets) {
        if (charset.name == value.atom)
            return std::string(charset.name);
    }
    const auto number = LayoutValue::toInteger(value.atom);
    if (!number || *number < 0 || *number > 255)
        return std::nullopt;
    for (const Charset &charset : kCharsets) {
        if (charset.value == *number)
            return std::string(charset.name);
    }
    return std::to_string(*number);
}

std::string storedCharset(const QObject &object)
{
    const QVariant stored = object.property(FontCodec::kCharsetProperty);
    if (stored.isValid()) {
        LayoutValue value;
        value.atom = stored.toString().toStdString();
        if (auto text = charsetText(value))
            return *text;
    }
    return FontCodec::kDefaultCharset;
}

int pixelHeight(const QFont &font)
{
    if (font.pixelSize() > 0)
        return font.pixelSize();
    // A font given in points: its pixel height on the 96 dpi design screen.
    return int(std::lround(font.pointSizeF() * 96.0 / 72.0));
}

constexpr int kMaxFontPixels = 1000;

bool writeStyle(QFont &font, const LayoutValue &value, std::string &error)
{
    if (value.kind != LayoutValue::Set) {
        error = "a set of font styles was expected";
        return false;
    }
    bool bold = false, italic = false, underline = false, strikeOut = false;
    for (const std::string &name : value.names) {
        if (name == "fsBold")
            bold = true;
        else if (name == "fsItalic")
            italic = true;
        else if (name == "fsUnderline")
            underline = true;
        else if (name == "fsStrikeOut")
            strikeOut = true;
        else {
            error = "unknown font style " + name;
            return false;
        }
    }
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    return true;
}

std::optional<long long> integerOf(const LayoutValue &value)
{
    return value.kind == LayoutValue::Atom ? LayoutValue::toInteger(value.atom) : std::nullopt;
}

} // namespace

std::vector<PropertyText> FontCodec::read(const QObject &object, const QFont &font)
{
    std::vector<std::string> styles;
    if (font.bold())
        styles.emplace_back("fsBold");
    if (font.italic())
        styles.emplace_back("fsItalic");
    if (font.underline())
        styles.emplace_back("fsUnderline");
    if (font.strikeOut())
        styles.emplace_back("fsStrikeOut");
    return {
        {"Font.Charset", storedCharset(object)},
        {"Font.Height", std::to_string(-pixelHeight(font))},
        {"Font.Name", LayoutValue::quote(font.family())},
        {"Font.Style", LayoutValue::setText(styles)},
    };
}

bool FontCodec::write(QObject &object, QFont &font, const std::string &part, const LayoutValue &value,
                      std::string &error)
{
    if (part == "Charset") {
        const auto text = charsetText(value);
        if (!text) {
            error = "unknown character set";
            return false;
        }
        object.setProperty(kCharsetProperty, QString::fromStdString(*text));
        return true;
    }
    if (part == "Height" || part == "Size") {
        const auto number = integerOf(value);
        if (!number || *number == 0 || std::llabs(*number) > kMaxFontPixels) {
            error = "a font height from 1 to 1000 was expected";
            return false;
        }
        if (part == "Height")
            font.setPixelSize(int(std::llabs(*number)));
        else if (*number > 0)
            font.setPointSize(int(*number));
        else {
            error = "a positive font size was expected";
            return false;
        }
        return true;
    }
    if (part == "Name") {
        if (value.kind != LayoutValue::String || value.text.trimmed().isEmpty() || value.text.size() > 128) {
            error = "a font name was expected";
            return false;
        }
        font.setFamily(value.text);
        return true;
    }
    if (part == "Style")
        return writeStyle(font, value, error);
    if (part == "Color") {
        if (!PropertyCodec::toColor(value)) {
            error = "a colour was expected";
            return false;
        }
        return true;
    }
    error = "unknown property Font." + part;
    return false;
}

} // namespace kv
