#pragma once
// The ERP reads the declared length of a column from its engine's system
// tables:
//   select col.length from syscolumns col inner join sysobjects obj
//     on obj.id=col.id where obj.name = 'WARRANT' AND col.name ='NT002'
// Neither SQLite nor PostgreSQL has these tables, so that one query form is
// answered from the column catalogue: it becomes a SELECT of the length as a
// constant in a column named like the selected one ("length"), or a SELECT
// with no row when the catalogue knows no length for the column, just as the
// system tables would give no row for an unknown column. Any other statement
// on syscolumns or sysobjects is refused.

#include "sql/SqlSyntax.h"

#include "schema/ColumnCatalog.h"

namespace slip {

class SqlCatalogQuery {
public:
    // Replaces statement by the answering query when it is the length query;
    // returns whether it did. Raises SqlError for another form of statement
    // on the system tables.
    static bool rewrite(SqlStatement &statement, const ColumnCatalog &catalog);

private:
    struct Match {
        std::string table;
        std::string column;
        std::string alias;
    };

    static bool namesSystemTable(const SqlSelect &select);
    static bool match(const SqlSelect &select, Match &found);
    static SqlQuery answer(const Match &found, const ColumnCatalog &catalog);
};

} // namespace slip
