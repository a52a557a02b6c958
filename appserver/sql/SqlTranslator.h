#pragma once
// Translates the SQL the ERP's programs write (SQL Server flavoured) into
// SQL for the engine the application server runs on.
//
// What is translated:
// - $$TABLE, DB..TABLE and plain TABLE all name a table of the company
//   database: "<DB>".TABLE on SQLite, where the company file is attached
//   under the company database name, and "<db>"."table" on PostgreSQL, where
//   each company database is a schema named in lower case. Naming another
//   database than the company's is refused. Name case: see SqlNames.
// - ISNULL -> coalesce, LEN, SUBSTRING, LEFT, RIGHT, CHARINDEX, GETDATE and
//   the other functions of SqlFunctions; CAST and CONVERT (with the date
//   styles 23, 108, 111, 112, 120); LIKE with the ERP's case-insensitive,
//   escape-free matching.
// - "+" between texts -> "||". Whether an operand is text is known from
//   literals, function results and the column catalogue (ColumnCatalog::
//   isTextColumn, resolved through table aliases).
// - SELECT TOP n -> LIMIT n; a TOP inside a UNION branch keeps to that branch
//   and the final ORDER BY applies to the whole union.
// - A column written without its table in a join's ON condition is written
//   with the table (alias) that has it among the tables joined so far, which
//   is where the ERP's engine looks; SQLite would look in every table of the
//   FROM clause and could find it twice. Found in two of them, the column is
//   ambiguous and refused, as the ERP's engine refuses it; found in none, it
//   is left as written. The same text goes to both engines.
// - :NAME parameters are kept as named parameters for QtSql; parameters()
//   lists the names (without the colon) in order of first appearance.
// - The syscolumns/sysobjects column-length query is answered from
//   ColumnCatalog::declaredLength (see SqlCatalogQuery).
// Anything else raises SqlError naming the position and token; a statement is
// never passed on half-translated. One statement per call.

#include "sql/SqlDialect.h"
#include "sql/SqlError.h"

#include "schema/ColumnCatalog.h"

#include <string>
#include <string_view>
#include <vector>

namespace slip {

struct TranslatedSql {
    std::string text;
    std::vector<std::string> parameters;
};

class SqlTranslator {
public:
    // The catalogue must outlive the translator.
    SqlTranslator(SqlDialect dialect, const ColumnCatalog &catalog)
        : m_dialect(dialect), m_catalog(catalog)
    {
    }

    SqlDialect dialect() const { return m_dialect; }

    // companyDb: the company database the statement runs for; must not be empty.
    // Keeps no state between calls: workers may share one translator.
    TranslatedSql translate(std::string_view erpSql, const std::string &companyDb) const;

private:
    SqlDialect m_dialect;
    const ColumnCatalog &m_catalog;
};

} // namespace slip
