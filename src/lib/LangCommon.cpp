#include "lib/LangCommon.h"

#include "lib/LibStrs.h"

#include "lib/MarshalIniC.h"
#include "lib/MarshalIniS.h"
#include "platform/TextCodec.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace kv {

std::string LanguageDirectory(TDesignType designType)
{
    if (designType == KvDesign::dtServer)
        return TMarshalIniS().languageDirectory();
    return TMarshalIniC().languageDirectory();
}

bool LoadLanguageFile(const std::string &fileName, pugi::xml_document &doc, std::string &reason)
{
    doc.reset();
    std::error_code error;
    if (fileName.empty() || !std::filesystem::is_regular_file(fileName, error)) {
        reason = "Cannot Find File " + fileName + "!";
        return false;
    }
    std::ifstream in(fileName, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        reason = "Cannot read " + fileName;
        return false;
    }
    const std::optional<std::string> text = decodeSettingsText(bytes);
    if (!text) {
        reason = "The file " + fileName + " is neither UTF-8 nor GB18030 text";
        return false;
    }
    // The declaration may still name the legacy encoding; the text is UTF-8
    // by now, so pugixml is told so and ignores the declaration.
    const pugi::xml_parse_result result =
        doc.load_buffer(text->data(), text->size(), pugi::parse_default, pugi::encoding_utf8);
    if (!result) {
        reason = result.description();
        return false;
    }
    return true;
}

namespace {

// Keys become part of an XPath query; anything but an XML name would change
// the query's meaning (or be invalid), so such keys simply are not found.
bool isXmlName(std::string_view name)
{
    if (name.empty())
        return false;
    const auto first = static_cast<unsigned char>(name.front());
    if (!(std::isalpha(first) || first == '_' || first >= 0x80))
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || u == '_' || u == '-' || u == '.' || u >= 0x80))
            return false;
    }
    return true;
}

} // namespace

std::string GetMessage(TDesignType designType, std::string_view section, std::string_view key,
                       std::string_view defaultText)
{
    try {
        const std::string folder = LanguageDirectory(designType);
        if (folder.empty() || !isXmlName(key))
            return std::string(defaultText);
        pugi::xml_document doc;
        std::string reason;
        if (!LoadLanguageFile(folder + std::string(section) + ".Lng", doc, reason))
            return std::string(defaultText);
        const std::string query = "//" + std::string(key) + "/@Msg";
        const pugi::xpath_node node = doc.select_node(query.c_str());
        if (!node.attribute())
            return std::string(defaultText);
        return node.attribute().value();
    } catch (...) {
        return std::string(defaultText);
    }
}

std::string GetMessage(TDesignType designType, std::string_view section, std::string_view key,
                       std::string_view defaultText, const std::vector<Variant> &args)
{
    return FormatText(GetMessage(designType, section, key, defaultText), args);
}

// ---------------------------------------------------------------------------
// FormatText

namespace {

struct Directive {
    std::optional<int> index;
    bool leftAlign = false;
    int width = -1;
    int precision = -1;
    char type = 0;
};

class Formatter {
public:
    Formatter(std::string_view format, const std::vector<Variant> &args) : m_format(format), m_args(args) {}

    std::string run()
    {
        while (m_pos < m_format.size()) {
            const char c = m_format[m_pos];
            if (c != '%') {
                m_out += c;
                ++m_pos;
                continue;
            }
            const std::size_t start = m_pos++;
            if (m_pos < m_format.size() && m_format[m_pos] == '%') {
                m_out += '%';
                ++m_pos;
                continue;
            }
            const std::size_t argBefore = m_nextArg;
            if (!directive()) {
                // Unusable directive: copy it verbatim and do not consume arguments.
                m_nextArg = argBefore;
                m_out.append(m_format.substr(start, m_pos - start));
            }
        }
        return m_out;
    }

private:
    bool directive()
    {
        m_failed = false;
        Directive d;
        std::optional<int> number = readNumberOrStar();
        if (m_pos < m_format.size() && m_format[m_pos] == ':') {
            if (!number)
                return skipTo();
            d.index = *number;
            m_nextArg = static_cast<std::size_t>(std::max(*number, 0));
            ++m_pos;
            number.reset();
        }
        if (!number && m_pos < m_format.size() && m_format[m_pos] == '-') {
            d.leftAlign = true;
            ++m_pos;
        }
        if (!number)
            number = readNumberOrStar();
        if (number)
            d.width = *number;
        if (m_pos < m_format.size() && m_format[m_pos] == '.') {
            ++m_pos;
            const std::optional<int> precision = readNumberOrStar();
            if (!precision)
                return skipTo();
            d.precision = *precision;
        }
        if (m_pos >= m_format.size())
            return false;
        d.type = static_cast<char>(std::tolower(static_cast<unsigned char>(m_format[m_pos++])));
        if (m_failed)
            return false;
        const std::optional<std::string> body = render(d);
        if (!body)
            return false;
        pad(*body, d);
        return true;
    }

    // Consumes the rest of a malformed directive up to its type letter.
    bool skipTo()
    {
        while (m_pos < m_format.size() && !std::isalpha(static_cast<unsigned char>(m_format[m_pos])))
            ++m_pos;
        if (m_pos < m_format.size())
            ++m_pos;
        return false;
    }

    std::optional<int> readNumberOrStar()
    {
        if (m_pos < m_format.size() && m_format[m_pos] == '*') {
            ++m_pos;
            const Variant *arg = nextArg();
            if (!arg || !isInteger(*arg)) {
                m_failed = true;
                return 0;
            }
            return static_cast<int>(std::clamp<std::int64_t>(arg->toInt64(), -1, 4096));
        }
        int value = 0;
        bool any = false;
        while (m_pos < m_format.size() && std::isdigit(static_cast<unsigned char>(m_format[m_pos]))) {
            value = std::min(value * 10 + (m_format[m_pos] - '0'), 4096);
            any = true;
            ++m_pos;
        }
        return any ? std::optional<int>(value) : std::nullopt;
    }

    const Variant *nextArg()
    {
        if (m_nextArg >= m_args.size())
            return nullptr;
        return &m_args[m_nextArg++].deref();
    }

    static bool isInteger(const Variant &v)
    {
        const VarType t = v.type();
        return t == VarType::Int32 || t == VarType::Int64;
    }

    std::optional<std::string> render(const Directive &d)
    {
        const Variant *arg = nextArg();
        if (!arg)
            return std::nullopt;
        try {
            switch (d.type) {
            case 'd':
            case 'u':
            case 'x':
                return isInteger(*arg) ? std::optional(integer(arg->toInt64(), d)) : std::nullopt;
            case 'f':
            case 'n':
            case 'e':
            case 'g':
                return arg->isNumeric() ? std::optional(real(arg->toDouble(), d)) : std::nullopt;
            case 's':
                return text(varToStr(*arg), d.precision);
            default:
                return std::nullopt;
            }
        } catch (const VariantError &) {
            return std::nullopt;
        }
    }

    static std::string integer(std::int64_t value, const Directive &d)
    {
        char buffer[64];
        const int digits = std::clamp(d.precision, 0, 40);
        if (d.type == 'x')
            std::snprintf(buffer, sizeof buffer, "%.*llX", digits, static_cast<unsigned long long>(value));
        else if (d.type == 'u')
            std::snprintf(buffer, sizeof buffer, "%.*llu", digits, static_cast<unsigned long long>(value));
        else
            std::snprintf(buffer, sizeof buffer, "%.*lld", digits, static_cast<long long>(value));
        return buffer;
    }

    static std::string real(double value, const Directive &d)
    {
        if (!std::isfinite(value))
            return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
        std::vector<char> buffer(512);
        switch (d.type) {
        case 'e': {
            const int digits = std::clamp(d.precision < 0 ? 15 : d.precision, 1, 18);
            std::snprintf(buffer.data(), buffer.size(), "%.*E", digits - 1, value);
            return widenExponent(buffer.data());
        }
        case 'g':
            std::snprintf(buffer.data(), buffer.size(), "%.*G", std::clamp(d.precision < 0 ? 15 : d.precision, 1, 18),
                          value);
            return buffer.data();
        default: {
            const int decimals = std::clamp(d.precision < 0 ? 2 : d.precision, 0, 18);
            const std::string fixed = RoundedDecimalText(value, decimals);
            return d.type == 'n' ? groupThousands(fixed) : fixed;
        }
        }
    }

    // "1.5E+03" -> "1.5E+003": the exponent is written with three digits.
    static std::string widenExponent(std::string text)
    {
        const std::size_t e = text.find('E');
        if (e == std::string::npos || e + 2 > text.size())
            return text;
        std::string digits = text.substr(e + 2);
        while (digits.size() < 3)
            digits.insert(digits.begin(), '0');
        return text.substr(0, e + 2) + digits;
    }

    static std::string groupThousands(const std::string &text)
    {
        const std::size_t signEnd = (!text.empty() && text[0] == '-') ? 1 : 0;
        const std::size_t point = std::min(text.find('.'), text.size());
        std::string out = text.substr(0, signEnd);
        const std::string whole = text.substr(signEnd, point - signEnd);
        for (std::size_t i = 0; i < whole.size(); ++i) {
            if (i > 0 && (whole.size() - i) % 3 == 0)
                out += ',';
            out += whole[i];
        }
        return out + text.substr(point);
    }

    // A precision limits a text to that many characters (not bytes).
    static std::string text(const std::string &value, int precision)
    {
        if (precision < 0)
            return value;
        std::size_t i = 0;
        for (int count = 0; i < value.size() && count < precision; ++count) {
            ++i;
            while (i < value.size() && (static_cast<unsigned char>(value[i]) & 0xC0) == 0x80)
                ++i;
        }
        return value.substr(0, i);
    }

    static std::size_t characterCount(const std::string &value)
    {
        std::size_t count = 0;
        for (const char c : value)
            if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
                ++count;
        return count;
    }

    void pad(const std::string &body, const Directive &d)
    {
        const std::size_t length = characterCount(body);
        const std::size_t fill =
            d.width > 0 && static_cast<std::size_t>(d.width) > length ? static_cast<std::size_t>(d.width) - length : 0;
        if (!d.leftAlign)
            m_out.append(fill, ' ');
        m_out += body;
        if (d.leftAlign)
            m_out.append(fill, ' ');
    }

    std::string_view m_format;
    const std::vector<Variant> &m_args;
    std::size_t m_pos = 0;
    std::size_t m_nextArg = 0;
    bool m_failed = false;
    std::string m_out;
};

} // namespace

std::string FormatText(std::string_view format, const std::vector<Variant> &args)
{
    return Formatter(format, args).run();
}

} // namespace kv
