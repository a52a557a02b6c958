#pragma once
// Named parameters (":NAME") of an SQL text. The engines are handed
// positional placeholders instead, so both bind the same way and a name may
// occur more than once; texts in quotes, quoted identifiers, comments and
// PostgreSQL's "::" casts are left alone.

#include <string>
#include <string_view>
#include <vector>

namespace slip {

class SqlParameters {
public:
    // Scans the text; throws DatabaseError for a "?" placeholder (only named
    // parameters are accepted) or an unterminated quote or comment.
    explicit SqlParameters(std::string_view sql);

    // The text with every ":NAME" replaced by "?".
    const std::string &positionalSql() const { return m_sql; }
    // The names in the order of the placeholders, without the colon, as written.
    const std::vector<std::string> &names() const { return m_names; }

private:
    std::size_t skipQuoted(std::string_view sql, std::size_t pos, char quote);
    std::size_t skipComment(std::string_view sql, std::size_t pos);

    std::string m_sql;
    std::vector<std::string> m_names;
};

} // namespace slip
