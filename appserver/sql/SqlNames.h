#pragma once
// How names are written for each engine.
//
// The ERP writes unquoted names in upper case and treats them without regard
// to case. SQLite does the same, so names go out as written, quoted only when
// they are not plain words or are SQLite keywords. PostgreSQL folds unquoted
// names to lower case; every name is therefore written in lower case inside
// double quotes, so MOCTC, moctc and Moctc are one table and a column that
// happens to be a keyword still works. The schema is created with unquoted
// (lower-case) names to match. Result columns then come back in lower case on
// PostgreSQL; result tables look columns up without regard to case.

#include "sql/SqlDialect.h"

#include <string>
#include <string_view>

namespace slip {

class SqlNames {
public:
    explicit SqlNames(SqlDialect dialect) : m_dialect(dialect) {}

    // A table, column or alias name.
    std::string name(std::string_view name) const;

    // The name under which a company database is reached: the name of the
    // attached file on SQLite, the schema (in lower case) on PostgreSQL.
    std::string database(std::string_view database) const;

    static std::string lowerAscii(std::string_view text);
    static bool sameName(std::string_view a, std::string_view b);

private:
    SqlDialect m_dialect;
};

} // namespace slip
