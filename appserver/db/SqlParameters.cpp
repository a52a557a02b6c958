#include "db/SqlParameters.h"

#include "db/DatabaseError.h"

#include <cctype>

namespace slip {
namespace {

bool isNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool isNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

[[noreturn]] void fail(const char *what, std::size_t pos)
{
    throw DatabaseError(std::string(what) + " at offset " + std::to_string(pos) + " of the SQL text");
}

} // namespace

SqlParameters::SqlParameters(std::string_view sql)
{
    m_sql.reserve(sql.size());
    std::size_t pos = 0;
    while (pos < sql.size()) {
        const char c = sql[pos];
        const char next = pos + 1 < sql.size() ? sql[pos + 1] : '\0';
        if (c == '\'' || c == '"') {
            pos = skipQuoted(sql, pos, c);
        } else if ((c == '-' && next == '-') || (c == '/' && next == '*')) {
            pos = skipComment(sql, pos);
        } else if (c == ':' && next == ':') {
            m_sql += "::";
            pos += 2;
        } else if (c == ':' && isNameStart(next)) {
            std::size_t end = pos + 1;
            while (end < sql.size() && isNameChar(sql[end]))
                ++end;
            m_names.emplace_back(sql.substr(pos + 1, end - pos - 1));
            m_sql += '?';
            pos = end;
        } else if (c == '?') {
            fail("a \"?\" placeholder (use :NAME parameters)", pos);
        } else {
            m_sql += c;
            ++pos;
        }
    }
}

// Copies a quoted text or identifier; a doubled quote stands for itself.
std::size_t SqlParameters::skipQuoted(std::string_view sql, std::size_t pos, char quote)
{
    std::size_t end = pos + 1;
    for (;;) {
        end = sql.find(quote, end);
        if (end == std::string_view::npos)
            fail("an unterminated quote", pos);
        if (end + 1 < sql.size() && sql[end + 1] == quote) {
            end += 2;
            continue;
        }
        break;
    }
    m_sql.append(sql.substr(pos, end + 1 - pos));
    return end + 1;
}

std::size_t SqlParameters::skipComment(std::string_view sql, std::size_t pos)
{
    std::size_t end;
    if (sql[pos] == '-') {
        end = sql.find('\n', pos);
        end = end == std::string_view::npos ? sql.size() : end;
    } else {
        end = sql.find("*/", pos + 2);
        if (end == std::string_view::npos)
            fail("an unterminated comment", pos);
        end += 2;
    }
    m_sql.append(sql.substr(pos, end - pos));
    return end;
}

} // namespace slip
