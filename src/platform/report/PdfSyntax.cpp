#include "platform/report/PdfSyntax.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kv::pdf_syntax {

namespace {

bool isWhite(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDelimiter(char c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}

// Reads the PDF syntax of one text from a position: white space, comments
// and whole values, so that nested dictionaries and strings are skipped as
// one.
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_at >= m_text.size(); }
    std::size_t at() const { return m_at; }
    char peek(std::size_t ahead = 0) const { return m_at + ahead < m_text.size() ? m_text[m_at + ahead] : '\0'; }

    void skipWhite()
    {
        while (!atEnd()) {
            if (isWhite(peek())) {
                ++m_at;
            } else if (peek() == '%') {
                while (!atEnd() && peek() != '\n' && peek() != '\r')
                    ++m_at;
            } else {
                return;
            }
        }
    }

    void expect(std::string_view token)
    {
        skipWhite();
        if (m_text.substr(m_at, token.size()) != token)
            throw SyntaxError("expected " + std::string(token) + " at byte " + std::to_string(m_at));
        m_at += token.size();
    }

    // The text of the next value; a reference "N G R" is one value.
    std::string_view value()
    {
        skipWhite();
        const std::size_t start = m_at;
        skipOne();
        const std::size_t afterFirst = m_at;
        if (isNumberAt(start) && tryReferenceTail())
            return m_text.substr(start, m_at - start);
        m_at = afterFirst;
        return m_text.substr(start, m_at - start);
    }

    std::string_view nameToken()
    {
        skipWhite();
        if (peek() != '/')
            throw SyntaxError("expected a name at byte " + std::to_string(m_at));
        const std::size_t start = m_at++;
        skipRegular();
        return m_text.substr(start, m_at - start);
    }

private:
    bool isNumberAt(std::size_t at) const
    {
        const char c = at < m_text.size() ? m_text[at] : '\0';
        return (c >= '0' && c <= '9');
    }

    // After "N": " G R" follows for a reference.
    bool tryReferenceTail()
    {
        const std::size_t save = m_at;
        skipWhite();
        if (!isNumberAt(m_at)) {
            m_at = save;
            return false;
        }
        skipRegular();
        skipWhite();
        if (peek() == 'R' && (m_at + 1 >= m_text.size() || isWhite(peek(1)) || isDelimiter(peek(1)))) {
            ++m_at;
            return true;
        }
        m_at = save;
        return false;
    }

    void skipRegular()
    {
        while (!atEnd() && !isWhite(peek()) && !isDelimiter(peek()))
            ++m_at;
    }

    void skipOne()
    {
        if (atEnd())
            throw SyntaxError("a value is missing at the end");
        const char c = peek();
        if (c == '/') {
            ++m_at;
            skipRegular();
        } else if (c == '(') {
            skipLiteralString();
        } else if (c == '<' && peek(1) == '<') {
            skipNested("<<", ">>");
        } else if (c == '<') {
            const std::size_t end = m_text.find('>', m_at);
            if (end == std::string_view::npos)
                throw SyntaxError("a hex string does not end");
            m_at = end + 1;
        } else if (c == '[') {
            skipNested("[", "]");
        } else if (isDelimiter(c)) {
            throw SyntaxError(std::string("unexpected ") + c + " at byte " + std::to_string(m_at));
        } else {
            skipRegular();
        }
    }

    void skipLiteralString()
    {
        int depth = 0;
        for (; !atEnd(); ++m_at) {
            const char c = peek();
            if (c == '\\') {
                ++m_at;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')' && --depth == 0) {
                ++m_at;
                return;
            }
        }
        throw SyntaxError("a string does not end");
    }

    void skipNested(std::string_view open, std::string_view close)
    {
        m_at += open.size();
        for (;;) {
            skipWhite();
            if (atEnd())
                throw SyntaxError("missing " + std::string(close));
            if (m_text.substr(m_at, close.size()) == close) {
                m_at += close.size();
                return;
            }
            skipOne();
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isWhite(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isWhite(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

Dictionary Dictionary::parse(std::string_view text)
{
    Cursor cursor(text);
    cursor.expect("<<");
    Dictionary dictionary;
    for (;;) {
        cursor.skipWhite();
        if (cursor.peek() == '>' && cursor.peek(1) == '>')
            break;
        const std::string_view key = cursor.nameToken();
        const std::string_view value = cursor.value();
        dictionary.m_entries.emplace_back(std::string(key), std::string(value));
    }
    cursor.expect(">>");
    cursor.skipWhite();
    if (!cursor.atEnd())
        throw SyntaxError("text after a dictionary at byte " + std::to_string(cursor.at()));
    return dictionary;
}

std::string Dictionary::value(std::string_view key) const
{
    for (const auto &[name, value] : m_entries)
        if (name == key)
            return value;
    return {};
}

bool Dictionary::has(std::string_view key) const
{
    for (const auto &entry : m_entries)
        if (entry.first == key)
            return true;
    return false;
}

void Dictionary::set(std::string_view key, std::string value)
{
    for (auto &entry : m_entries)
        if (entry.first == key) {
            entry.second = std::move(value);
            return;
        }
    m_entries.emplace_back(std::string(key), std::move(value));
}

void Dictionary::remove(std::string_view key)
{
    std::erase_if(m_entries, [&](const auto &entry) { return entry.first == key; });
}

std::string Dictionary::text() const
{
    std::string text = "<<";
    for (const auto &[name, value] : m_entries) {
        text += '\n';
        text += name;
        text += ' ';
        text += value;
    }
    text += "\n>>";
    return text;
}

std::size_t valueEnd(std::string_view text)
{
    Cursor cursor(text);
    cursor.value();
    return cursor.at();
}

int reference(std::string_view text)
{
    text = trimmed(text);
    if (text.size() < 5 || text.back() != 'R')
        return 0;
    int object = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), object);
    if (error != std::errc() || object <= 0 || end == text.data() + text.size() || !isWhite(*end))
        return 0;
    return object;
}

std::string referenceText(int object)
{
    return std::to_string(object) + " 0 R";
}

std::vector<int> references(std::string_view arrayText)
{
    arrayText = trimmed(arrayText);
    if (arrayText.size() < 2 || arrayText.front() != '[' || arrayText.back() != ']')
        throw SyntaxError("expected an array of references");
    Cursor cursor(arrayText.substr(1, arrayText.size() - 2));
    std::vector<int> objects;
    for (cursor.skipWhite(); !cursor.atEnd(); cursor.skipWhite()) {
        const int object = reference(cursor.value());
        if (object == 0)
            throw SyntaxError("an array holds something other than references");
        objects.push_back(object);
    }
    return objects;
}

std::vector<double> numbers(std::string_view arrayText)
{
    arrayText = trimmed(arrayText);
    if (arrayText.size() < 2 || arrayText.front() != '[' || arrayText.back() != ']')
        throw SyntaxError("expected an array of numbers");
    Cursor cursor(arrayText.substr(1, arrayText.size() - 2));
    std::vector<double> values;
    for (cursor.skipWhite(); !cursor.atEnd(); cursor.skipWhite()) {
        const std::string token(cursor.value());
        char *end = nullptr;
        const double value = std::strtod(token.c_str(), &end);
        if (token.empty() || *end != '\0' || !std::isfinite(value))
            throw SyntaxError("an array holds something other than numbers: " + token);
        values.push_back(value);
    }
    return values;
}

std::string name(std::string_view text)
{
    text = trimmed(text);
    if (text.empty() || text.front() != '/')
        return {};
    return std::string(text.substr(1));
}

std::string numberText(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.4f", value);
    std::string written = text;
    while (!written.empty() && written.back() == '0')
        written.pop_back();
    if (!written.empty() && written.back() == '.')
        written.pop_back();
    return written == "-0" ? "0" : written;
}

std::string textString(const QString &text)
{
    bool plain = true;
    for (const QChar c : text)
        plain = plain && c.unicode() >= 0x20 && c.unicode() < 0x7f;
    if (plain) {
        std::string literal = "(";
        for (const QChar c : text) {
            const char ascii = char(c.unicode());
            if (ascii == '(' || ascii == ')' || ascii == '\\')
                literal += '\\';
            literal += ascii;
        }
        return literal + ")";
    }
    static const char digits[] = "0123456789ABCDEF";
    std::string hex = "<FEFF";
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        for (int shift = 12; shift >= 0; shift -= 4)
            hex += digits[(unit >> shift) & 0xf];
    }
    return hex + ">";
}

} // namespace kv::pdf_syntax
