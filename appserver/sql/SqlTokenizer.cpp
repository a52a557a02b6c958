#include "sql/SqlTokenizer.h"

#include "sql/SqlError.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <array>

namespace slip {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Bytes of multi-byte UTF-8 characters count as letters: names in other
// scripts then stay one word, and the engine decides whether they exist.
bool isNameStart(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || u >= 0x80;
}

bool isNamePart(char c) { return isNameStart(c) || isDigit(c); }

// Longest first, so that "<>" is not read as "<" and ">".
constexpr std::array<std::string_view, 17> kSymbols = {
    "<>", "!=", "<=", ">=", "=", "<", ">", "+", "-", "*", "/", "%", "(", ")", ",", ".", ";"};

} // namespace

// Called many times per token while parsing, so it compares in place
// instead of building an upper-case copy.
bool SqlToken::isKeyword(std::string_view keyword) const
{
    if (kind != SqlTokenKind::Word || text.size() != keyword.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != keyword[i])
            return false;
    }
    return true;
}

bool SqlToken::isSymbol(std::string_view symbol) const
{
    return kind == SqlTokenKind::Symbol && text == symbol;
}

std::string SqlToken::display() const
{
    switch (kind) {
    case SqlTokenKind::String:
        return (national ? "N'" : "'") + text + "'";
    case SqlTokenKind::Parameter:
        return ":" + text;
    case SqlTokenKind::CompanyTable:
        return "$$" + text;
    case SqlTokenKind::QuotedName:
        return "[" + text + "]";
    default:
        return text;
    }
}

std::vector<SqlToken> SqlTokenizer::tokenize(std::string_view sql)
{
    SqlTokenizer tokenizer(sql);
    tokenizer.run();
    return std::move(tokenizer.m_tokens);
}

void SqlTokenizer::run()
{
    while (skipSpaceAndComments()) {
        const char c = m_sql[m_pos];
        const char next = m_pos + 1 < m_sql.size() ? m_sql[m_pos + 1] : '\0';
        if (c == '\'')
            readString(m_pos, false);
        else if ((c == 'N' || c == 'n') && next == '\'')
            readString(m_pos++, true);
        else if (c == '[')
            readQuotedName(']');
        else if (c == '"')
            readQuotedName('"');
        else if (isDigit(c) || (c == '.' && isDigit(next)))
            readNumber();
        else if (isNameStart(c))
            readWord();
        else if (c == '$' && next == '$')
            readPrefixedName(SqlTokenKind::CompanyTable, 2);
        else if (c == ':')
            readPrefixedName(SqlTokenKind::Parameter, 1);
        else
            readSymbol();
    }
    push(SqlTokenKind::End, {}, m_sql.size());
}

// Returns false at the end of the text.
bool SqlTokenizer::skipSpaceAndComments()
{
    while (m_pos < m_sql.size()) {
        const char c = m_sql[m_pos];
        if (static_cast<unsigned char>(c) <= ' ') {
            ++m_pos;
        } else if (m_sql.substr(m_pos, 2) == "--") {
            const std::size_t end = m_sql.find('\n', m_pos);
            m_pos = end == std::string_view::npos ? m_sql.size() : end + 1;
        } else if (m_sql.substr(m_pos, 2) == "/*") {
            const std::size_t end = m_sql.find("*/", m_pos + 2);
            if (end == std::string_view::npos)
                fail(m_pos, "comment is not closed");
            m_pos = end + 2;
        } else {
            return true;
        }
    }
    return false;
}

// m_pos is on the opening quote; start is where the token began (the N).
void SqlTokenizer::readString(std::size_t start, bool national)
{
    std::string value;
    for (std::size_t i = m_pos + 1; i < m_sql.size(); ++i) {
        if (m_sql[i] != '\'') {
            value += m_sql[i];
        } else if (i + 1 < m_sql.size() && m_sql[i + 1] == '\'') {
            value += '\'';
            ++i;
        } else {
            m_pos = i + 1;
            push(SqlTokenKind::String, std::move(value), start, national);
            return;
        }
    }
    fail(start, "text literal is not closed");
}

void SqlTokenizer::readQuotedName(char close)
{
    const std::size_t start = m_pos;
    std::string name;
    for (std::size_t i = m_pos + 1; i < m_sql.size(); ++i) {
        if (m_sql[i] != close) {
            name += m_sql[i];
        } else if (i + 1 < m_sql.size() && m_sql[i + 1] == close) {
            name += close;
            ++i;
        } else {
            if (name.empty())
                fail(start, "empty quoted name");
            m_pos = i + 1;
            push(SqlTokenKind::QuotedName, std::move(name), start);
            return;
        }
    }
    fail(start, "quoted name is not closed");
}

void SqlTokenizer::readNumber()
{
    const std::size_t start = m_pos;
    while (m_pos < m_sql.size() && isDigit(m_sql[m_pos]))
        ++m_pos;
    if (m_pos < m_sql.size() && m_sql[m_pos] == '.') {
        ++m_pos;
        while (m_pos < m_sql.size() && isDigit(m_sql[m_pos]))
            ++m_pos;
    }
    if (m_pos < m_sql.size() && (m_sql[m_pos] == 'e' || m_sql[m_pos] == 'E')) {
        std::size_t i = m_pos + 1;
        if (i < m_sql.size() && (m_sql[i] == '+' || m_sql[i] == '-'))
            ++i;
        if (i >= m_sql.size() || !isDigit(m_sql[i]))
            fail(start, "malformed number");
        while (i < m_sql.size() && isDigit(m_sql[i]))
            ++i;
        m_pos = i;
    }
    // "12AB" would otherwise read as a number followed by an alias.
    if (m_pos < m_sql.size() && isNameStart(m_sql[m_pos]))
        fail(start, "malformed number");
    push(SqlTokenKind::Number, std::string(m_sql.substr(start, m_pos - start)), start);
}

void SqlTokenizer::readWord()
{
    const std::size_t start = m_pos;
    while (m_pos < m_sql.size() && isNamePart(m_sql[m_pos]))
        ++m_pos;
    push(SqlTokenKind::Word, std::string(m_sql.substr(start, m_pos - start)), start);
}

// $$NAME and :NAME: the prefix must be followed directly by a name.
void SqlTokenizer::readPrefixedName(SqlTokenKind kind, std::size_t prefixLength)
{
    const std::size_t start = m_pos;
    m_pos += prefixLength;
    if (m_pos >= m_sql.size() || !isNameStart(m_sql[m_pos]))
        fail(start, kind == SqlTokenKind::Parameter ? "parameter without a name"
                                                    : "company table without a name");
    const std::size_t nameStart = m_pos;
    while (m_pos < m_sql.size() && isNamePart(m_sql[m_pos]))
        ++m_pos;
    const std::string name(m_sql.substr(nameStart, m_pos - nameStart));
    // The database layer binds parameters named in ASCII only; a name it
    // cannot see would reach the engine as a stray colon.
    if (kind == SqlTokenKind::Parameter &&
        std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        fail(start, "a parameter name may hold only ASCII letters, digits and _");
    push(kind, name, start);
}

void SqlTokenizer::readSymbol()
{
    for (std::string_view symbol : kSymbols) {
        if (m_sql.substr(m_pos, symbol.size()) == symbol) {
            push(SqlTokenKind::Symbol, std::string(symbol), m_pos);
            m_pos += symbol.size();
            return;
        }
    }
    fail(m_pos, "unexpected character");
}

void SqlTokenizer::push(SqlTokenKind kind, std::string text, std::size_t position, bool national)
{
    SqlToken token;
    token.kind = kind;
    token.text = std::move(text);
    token.position = position;
    token.national = national;
    m_tokens.push_back(std::move(token));
}

void SqlTokenizer::fail(std::size_t position, const std::string &what) const
{
    // A short excerpt, cut where a character begins, not inside one.
    std::size_t end = std::min(m_sql.size(), position + 12);
    while (end < m_sql.size() && (static_cast<unsigned char>(m_sql[end]) & 0xC0) == 0x80)
        ++end;
    throw SqlError(position, std::string(m_sql.substr(position, end - position)), what);
}

} // namespace slip
