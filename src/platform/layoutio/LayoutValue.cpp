#include "platform/layoutio/LayoutValue.h"

#include "platform/TextCodec.h"

#include <cctype>
#include <charconv>

namespace kv {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isWordChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || u >= 0x80;
}

// Reads characters of a string value (quoted parts and #codes) from pos.
// Returns false with error on malformed input; pos stops after the string.
bool readString(std::string_view text, std::size_t &pos, QString &out, std::string &error)
{
    std::string bytes; // UTF-8 of the current quoted part
    bool any = false;
    auto flush = [&]() -> bool {
        if (bytes.empty())
            return true;
        if (!isValidUtf8(bytes)) {
            error = "the string is not valid UTF-8";
            return false;
        }
        out += QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
        bytes.clear();
        return true;
    };
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == '\'') {
            ++pos;
            for (;;) {
                if (pos >= text.size()) {
                    error = "a quoted string is not closed";
                    return false;
                }
                if (text[pos] == '\'') {
                    if (pos + 1 < text.size() && text[pos + 1] == '\'') {
                        bytes += '\'';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                bytes += text[pos++];
            }
            any = true;
        } else if (c == '#') {
            ++pos;
            std::size_t end = pos;
            const bool hex = end < text.size() && text[end] == '$';
            if (hex)
                ++end;
            while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end])))
                ++end;
            const auto code = LayoutValue::toInteger(text.substr(pos, end - pos));
            if (!code || *code < 0 || *code > 0x10FFFF || (*code >= 0xD800 && *code <= 0xDFFF)) {
                error = "bad character code after #";
                return false;
            }
            if (!flush())
                return false;
            const char32_t ch = char32_t(*code);
            out += QString::fromUcs4(&ch, 1);
            pos = end;
            any = true;
        } else {
            break;
        }
    }
    if (!flush())
        return false;
    if (!any) {
        error = "a string was expected";
        return false;
    }
    return true;
}

void skipBlanks(std::string_view text, std::size_t &pos)
{
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
}

// A string that may be written in several pieces joined by "+".
bool readJoinedString(std::string_view text, std::size_t &pos, QString &out, std::string &error)
{
    if (!readString(text, pos, out, error))
        return false;
    for (;;) {
        std::size_t look = pos;
        skipBlanks(text, look);
        if (look >= text.size() || text[look] != '+')
            return true;
        ++look;
        skipBlanks(text, look);
        pos = look;
        if (!readString(text, pos, out, error))
            return false;
    }
}

std::optional<LayoutValue> parseList(std::string_view text, std::string &error)
{
    LayoutValue value;
    value.kind = LayoutValue::List;
    std::size_t pos = 1;
    for (;;) {
        skipBlanks(text, pos);
        if (pos >= text.size()) {
            error = "a list is not closed with )";
            return std::nullopt;
        }
        if (text[pos] == ')') {
            ++pos;
            break;
        }
        if (value.items.size() >= LayoutValue::kMaxListItems) {
            error = "a list has too many items";
            return std::nullopt;
        }
        QString item;
        if (!readJoinedString(text, pos, item, error))
            return std::nullopt;
        value.items << item;
    }
    skipBlanks(text, pos);
    if (pos != text.size()) {
        error = "unexpected text after the list";
        return std::nullopt;
    }
    return value;
}

std::optional<LayoutValue> parseSet(std::string_view text, std::string &error)
{
    LayoutValue value;
    value.kind = LayoutValue::Set;
    if (text.back() != ']') {
        error = "a set is not closed with ]";
        return std::nullopt;
    }
    std::string_view inner = text.substr(1, text.size() - 2);
    std::size_t pos = 0;
    while (pos <= inner.size()) {
        const std::size_t comma = std::min(inner.find(',', pos), inner.size());
        std::string_view part = inner.substr(pos, comma - pos);
        while (!part.empty() && isBlank(part.front()))
            part.remove_prefix(1);
        while (!part.empty() && isBlank(part.back()))
            part.remove_suffix(1);
        if (part.empty()) {
            if (comma < inner.size() || !value.names.empty()) {
                error = "an empty entry in a set";
                return std::nullopt;
            }
        } else if (!LayoutValue::isIdentifier(part)) {
            error = "a set entry is not a name";
            return std::nullopt;
        } else if (value.names.size() >= std::size_t(LayoutValue::kMaxListItems)) {
            error = "a set has too many entries";
            return std::nullopt;
        } else {
            value.names.emplace_back(part);
        }
        pos = comma + 1;
    }
    return value;
}

std::optional<LayoutValue> parseAtom(std::string_view text, std::string &error)
{
    for (char c : text) {
        if (!isWordChar(c) && c != '.' && c != '-' && c != '+' && c != '$') {
            error = "unexpected characters in the value";
            return std::nullopt;
        }
    }
    if (!isValidUtf8(text)) {
        error = "the value is not valid UTF-8";
        return std::nullopt;
    }
    LayoutValue value;
    value.atom = std::string(text);
    return value;
}

bool isControl(char32_t c) { return c < 0x20 || c == 0x7F; }

} // namespace

std::optional<LayoutValue> LayoutValue::parse(std::string_view text, std::string &error)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty()) {
        error = "the value is missing";
        return std::nullopt;
    }
    switch (text.front()) {
    case '(':
        return parseList(text, error);
    case '[':
        return parseSet(text, error);
    case '\'':
    case '#': {
        LayoutValue value;
        value.kind = String;
        std::size_t pos = 0;
        if (!readJoinedString(text, pos, value.text, error))
            return std::nullopt;
        skipBlanks(text, pos);
        if (pos != text.size()) {
            error = "unexpected text after the string";
            return std::nullopt;
        }
        return value;
    }
    default:
        return parseAtom(text, error);
    }
}

std::string LayoutValue::quote(const QString &text)
{
    std::string out;
    bool open = false;
    const QList<uint> codes = text.toUcs4();
    for (uint code : codes) {
        const auto ch = char32_t(code);
        if (isControl(ch)) {
            if (open) {
                out += '\'';
                open = false;
            }
            out += '#' + std::to_string(code);
            continue;
        }
        if (!open) {
            out += '\'';
            open = true;
        }
        if (ch == U'\'') {
            out += "''";
        } else {
            out += QString::fromUcs4(&ch, 1).toStdString();
        }
    }
    if (open)
        out += '\'';
    if (out.empty())
        out = "''";
    return out;
}

std::string LayoutValue::quoteList(const QStringList &items)
{
    std::string out = "(";
    for (const QString &item : items)
        out += ' ' + quote(item);
    out += " )";
    return out;
}

std::string LayoutValue::setText(const std::vector<std::string> &names)
{
    std::string out = "[";
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += names[i];
    }
    out += ']';
    return out;
}

std::optional<long long> LayoutValue::toInteger(std::string_view atom)
{
    bool negative = false;
    if (!atom.empty() && (atom.front() == '-' || atom.front() == '+')) {
        negative = atom.front() == '-';
        atom.remove_prefix(1);
    }
    int base = 10;
    if (!atom.empty() && atom.front() == '$') {
        base = 16;
        atom.remove_prefix(1);
    }
    if (atom.empty())
        return std::nullopt;
    long long value = 0;
    const auto [end, ec] = std::from_chars(atom.data(), atom.data() + atom.size(), value, base);
    if (ec != std::errc() || end != atom.data() + atom.size())
        return std::nullopt;
    return negative ? -value : value;
}

bool LayoutValue::isIdentifier(std::string_view text)
{
    if (text.empty() || std::isdigit(static_cast<unsigned char>(text.front())))
        return false;
    for (char c : text) {
        if (!isWordChar(c))
            return false;
    }
    return isValidUtf8(text);
}

} // namespace kv
