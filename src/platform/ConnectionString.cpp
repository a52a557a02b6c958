#include "platform/ConnectionString.h"

#include "platform/TextUtil.h"

#include <stdexcept>

namespace kv {

namespace {

bool needsBraces(const std::string &value)
{
    if (value.find_first_of(";{}") != std::string::npos)
        return true;
    return !value.empty() && (value.front() == ' ' || value.back() == ' ');
}

std::string quoted(const std::string &value)
{
    if (!needsBraces(value))
        return value;
    std::string text = "{";
    for (char c : value) {
        text += c;
        if (c == '}')
            text += '}';
    }
    return text + "}";
}

} // namespace

std::string ConnectionString::format(const Pairs &pairs)
{
    std::string text;
    for (const auto &[key, value] : pairs) {
        if (!text.empty())
            text += ';';
        text += key + "=" + quoted(value);
    }
    return text;
}

std::map<std::string, std::string> ConnectionString::parse(std::string_view text)
{
    std::map<std::string, std::string> pairs;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t equals = text.find('=', pos);
        const std::size_t semicolon = text.find(';', pos);
        if (equals == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < equals))
            throw std::invalid_argument("connection string: \"" + std::string(text.substr(pos)) + "\" has no \"=\"");
        const std::string key = upperAscii(trimBlanks(text.substr(pos, equals - pos)));
        pos = equals + 1;
        std::string value;
        if (pos < text.size() && text[pos] == '{') {
            ++pos;
            for (;;) {
                if (pos >= text.size())
                    throw std::invalid_argument("connection string: the value of " + key + " has no closing brace");
                if (text[pos] == '}' && !(pos + 1 < text.size() && text[pos + 1] == '}'))
                    break;
                value += text[pos];
                pos += text[pos] == '}' ? 2 : 1;
            }
            ++pos; // the closing brace
            if (pos < text.size() && text[pos] != ';')
                throw std::invalid_argument("connection string: text after the braced value of " + key);
        } else {
            const std::size_t end = text.find(';', pos);
            value = std::string(text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
            pos = end == std::string_view::npos ? text.size() : end;
        }
        pairs[key] = value;
        if (pos < text.size())
            ++pos; // the ";"
    }
    return pairs;
}

} // namespace kv
