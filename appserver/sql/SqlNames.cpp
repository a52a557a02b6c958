#include "sql/SqlNames.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <iterator>

namespace slip {

namespace {

// SQLite's keywords: a name equal to one of them must be quoted.
constexpr std::string_view kSqliteKeywords[] = {
    "ABORT", "ACTION", "ADD", "AFTER", "ALL", "ALTER", "ALWAYS", "ANALYZE", "AND", "AS", "ASC",
    "ATTACH", "AUTOINCREMENT", "BEFORE", "BEGIN", "BETWEEN", "BY", "CASCADE", "CASE", "CAST",
    "CHECK", "COLLATE", "COLUMN", "COMMIT", "CONFLICT", "CONSTRAINT", "CREATE", "CROSS",
    "CURRENT", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "DATABASE", "DEFAULT",
    "DEFERRABLE", "DEFERRED", "DELETE", "DESC", "DETACH", "DISTINCT", "DO", "DROP", "EACH",
    "ELSE", "END", "ESCAPE", "EXCEPT", "EXCLUDE", "EXCLUSIVE", "EXISTS", "EXPLAIN", "FAIL",
    "FILTER", "FIRST", "FOLLOWING", "FOR", "FOREIGN", "FROM", "FULL", "GENERATED", "GLOB",
    "GROUP", "GROUPS", "HAVING", "IF", "IGNORE", "IMMEDIATE", "IN", "INDEX", "INDEXED",
    "INITIALLY", "INNER", "INSERT", "INSTEAD", "INTERSECT", "INTO", "IS", "ISNULL", "JOIN",
    "KEY", "LAST", "LEFT", "LIKE", "LIMIT", "MATCH", "MATERIALIZED", "NATURAL", "NO", "NOT",
    "NOTHING", "NOTNULL", "NULL", "NULLS", "OF", "OFFSET", "ON", "OR", "ORDER", "OTHERS",
    "OUTER", "OVER", "PARTITION", "PLAN", "PRAGMA", "PRECEDING", "PRIMARY", "QUERY", "RAISE",
    "RANGE", "RECURSIVE", "REFERENCES", "REGEXP", "REINDEX", "RELEASE", "RENAME", "REPLACE",
    "RESTRICT", "RETURNING", "RIGHT", "ROLLBACK", "ROW", "ROWS", "SAVEPOINT", "SELECT", "SET",
    "TABLE", "TEMP", "TEMPORARY", "THEN", "TIES", "TO", "TRANSACTION", "TRIGGER", "UNBOUNDED",
    "UNION", "UNIQUE", "UPDATE", "USING", "VACUUM", "VALUES", "VIEW", "VIRTUAL", "WHEN",
    "WHERE", "WINDOW", "WITH", "WITHOUT"};

bool isPlainWord(std::string_view name)
{
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

std::string quoted(std::string_view name, char quote)
{
    std::string text(1, quote);
    for (char c : name) {
        text += c;
        if (c == quote)
            text += quote;
    }
    return text + quote;
}

} // namespace

std::string SqlNames::name(std::string_view name) const
{
    if (m_dialect == SqlDialect::PostgreSQL)
        return quoted(lowerAscii(name), '"');
    const std::string upper = kv::upperAscii(name);
    const bool keyword = std::find(std::begin(kSqliteKeywords), std::end(kSqliteKeywords), upper)
        != std::end(kSqliteKeywords);
    // Grave accents rather than double quotes: SQLite reads a double-quoted
    // name that matches no column as a text literal, which would hide a typo.
    return isPlainWord(name) && !keyword ? std::string(name) : quoted(name, '`');
}

std::string SqlNames::database(std::string_view database) const
{
    return quoted(m_dialect == SqlDialect::PostgreSQL ? lowerAscii(database) : std::string(database), '"');
}

std::string SqlNames::lowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool SqlNames::sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && lowerAscii(a) == lowerAscii(b);
}

} // namespace slip
