#pragma once
// The tables a SELECT (or UPDATE, DELETE) can see, with the names they are
// reached by, so that a column written as TE005, MOCTE.TE005 or A.MF002 can be
// traced to its table and the catalogue asked whether it holds text. A scope
// inside a sub-query sees the tables of the statements around it as well.
//
// A join's ON condition has a narrower scope of its own: the ERP's engine
// resolves a column there only against the tables joined so far, while
// SQLite looks through the whole FROM clause and may find the column a
// second time in a table joined later. See joinCondition() and joinedHolders().

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

    // The scope of the ON condition of a join: the sources added as number
    // first up to and including number last (counted from 0 in the order
    // they were added), with the same scopes around them.
    SqlScope joinCondition(std::size_t first, std::size_t last) const;

    // For a column written without a table: the names of the tables of the
    // nearest join condition that have it, so that it can be written with
    // the one that does. Empty when the column is found first in a scope
    // that is not a join condition (a sub-query's own tables, the statement
    // around it), when nothing in reach has it, and when a sub-query between
    // here and the condition reaches a table by that same name. More than
    // one name: the column is ambiguous.
    std::vector<std::string> joinedHolders(std::string_view column) const;

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
    bool m_joinCondition = false;
};

} // namespace slip
