#pragma once
// SQL that creates the company schema on each engine, and the naming of a
// company database on it.
//
// Naming: table and column names are written unquoted, so PostgreSQL folds
// them to lower case and `MOCTC`, `moctc` and `Moctc` all name one table, as
// they do on SQLite. The company database name becomes the namespace:
// SQLite attaches the company file under the name as given, PostgreSQL keeps
// the company in a schema named by the name in lower case. Both are quoted
// in SQL: `"DEMO".MOCTC` on SQLite, `"demo".MOCTC` on PostgreSQL.

#include "schema/DbEngine.h"
#include "schema/TableDef.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace slip {

// A company database name that cannot be used as an attach name or schema.
class SchemaNameError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

class SchemaDdl {
public:
    // Letters, digits and "_", not starting with a digit, at most 63
    // characters, and none of the names the engines reserve (main, temp,
    // public, pg_...). Throws SchemaNameError otherwise.
    static void checkCompanyName(std::string_view companyDb);

    // The quoted namespace of a company database: "DEMO" / "demo".
    static std::string companyNamespace(DbEngine engine, std::string_view companyDb);
    // Namespace + "." + table name.
    static std::string qualifiedTable(DbEngine engine, std::string_view companyDb, std::string_view table);

    // CREATE TABLE (and on PostgreSQL the COMMENT ON statements) for one table.
    static std::vector<std::string> createTable(DbEngine engine, std::string_view companyDb, const TableDef &table);

    // The declared SQL type of a column on an engine.
    static std::string sqlType(DbEngine engine, const ColumnDef &column);
    // Name of a column type in the catalogue ("text", "numeric", ...).
    static const char *typeName(ColumnType type);

    static std::string lowerAscii(std::string_view text);
    // Doubles single quotes and wraps the text in them.
    static std::string quoteLiteral(std::string_view text);
};

} // namespace slip
