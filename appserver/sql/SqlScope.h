#pragma once
// The tables a SELECT (or UPDATE, DELETE) can see, with the names they are
// reached by, so that a column written as TE005, MOCTE.TE005 or A.MF002 can be
// traced to its table and the catalogue asked whether it holds text. A scope
// inside a sub-query sees the tables of the statements around it as well.

#include "sql/SqlValueKind.h"

#include "schema/ColumnCatalog.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace slip {

class SqlScope {
public:
    using Columns = std::vector<std::pair<std::string, SqlValueKind>>;

    SqlScope(const ColumnCatalog &catalog, const SqlScope *outer)
        : m_catalog(catalog), m_outer(outer)
    {
    }

    // A catalogue table reached as alias (its own name when there is none).
    void addTable(std::string alias, std::string table);
    // A sub-query in FROM and the columns it yields.
    void addDerived(std::string alias, Columns columns);

    // Unknown when no table in reach has the column, or when the tables that
    // have it disagree.
    SqlValueKind columnKind(std::string_view qualifier, std::string_view column) const;

private:
    struct Source {
        std::string alias;
        std::string table; // empty for a sub-query
        Columns columns;   // a sub-query's columns
    };

    std::optional<SqlValueKind> kindIn(const Source &source, std::string_view column) const;
    const Source *findSource(std::string_view qualifier) const;

    const ColumnCatalog &m_catalog;
    const SqlScope *m_outer;
    std::vector<Source> m_sources;
};

} // namespace slip
