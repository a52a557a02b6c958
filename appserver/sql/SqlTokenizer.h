#pragma once
// Splits ERP-dialect SQL text into tokens in one linear pass. It knows the
// dialect's lexical forms: '...' strings with doubled quotes and the N'...'
// prefix, [bracketed] and "quoted" names, $$TABLE company tables, :NAME
// parameters, -- and /* */ comments. Anything else is an SqlError naming the
// position, so that no character of a statement is ever silently dropped.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace slip {

enum class SqlTokenKind {
    Word,         // bare name or keyword, as written
    QuotedName,   // [name] or "name": always a name, never a keyword
    String,       // text literal; text holds the value with quotes undone
    Number,       // numeric literal as written
    Parameter,    // :NAME; text holds NAME
    CompanyTable, // $$NAME; text holds NAME
    Symbol,       // operator or punctuation
    End,
};

struct SqlToken {
    SqlTokenKind kind = SqlTokenKind::End;
    std::string text;
    std::size_t position = 0; // byte offset of the first character
    bool national = false;    // N'...' literal

    // True for a bare word equal to keyword (given in upper case), case ignored.
    bool isKeyword(std::string_view keyword) const;
    bool isSymbol(std::string_view symbol) const;
    // The token as it would be quoted back in an error message.
    std::string display() const;
};

class SqlTokenizer {
public:
    // The result always ends with one End token.
    static std::vector<SqlToken> tokenize(std::string_view sql);

private:
    explicit SqlTokenizer(std::string_view sql) : m_sql(sql) {}

    void run();
    bool skipSpaceAndComments();
    void readString(std::size_t start, bool national);
    void readQuotedName(char close);
    void readNumber();
    void readWord();
    void readPrefixedName(SqlTokenKind kind, std::size_t prefixLength);
    void readSymbol();
    void push(SqlTokenKind kind, std::string text, std::size_t position, bool national = false);
    [[noreturn]] void fail(std::size_t position, const std::string &what) const;

    std::string_view m_sql;
    std::size_t m_pos = 0;
    std::vector<SqlToken> m_tokens;
};

} // namespace slip
