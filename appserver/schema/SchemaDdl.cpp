#include "schema/SchemaDdl.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <cctype>

namespace slip {
namespace {

bool isIdentifierStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool isIdentifierChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string defaultClause(DbEngine engine, const ColumnDef &column)
{
    if (column.keyPosition > 0)
        return " NOT NULL";
    switch (column.type) {
    case ColumnType::Numeric:
    case ColumnType::Integer:
        return " DEFAULT 0";
    case ColumnType::Blob:
        return engine == DbEngine::SQLite ? " DEFAULT x''" : " DEFAULT ''::bytea";
    case ColumnType::Text:
    case ColumnType::Date:
    case ColumnType::Memo:
        break;
    }
    return " DEFAULT ''";
}

// SQLite neither enforces declared lengths nor refuses text in number
// columns; these checks make it refuse what PostgreSQL refuses, so a value
// that does not fit is an error on both engines instead of being stored.
std::string sqliteCheck(const ColumnDef &column)
{
    switch (column.type) {
    case ColumnType::Text:
    case ColumnType::Date:
        return " CHECK (length(" + column.name + ") <= " + std::to_string(column.length) + ")";
    case ColumnType::Numeric:
        return " CHECK (typeof(" + column.name + ") IN ('real', 'null'))";
    case ColumnType::Integer:
        return " CHECK (typeof(" + column.name + ") IN ('integer', 'null'))";
    case ColumnType::Memo:
    case ColumnType::Blob:
        break;
    }
    return {};
}

std::string primaryKey(const TableDef &table)
{
    std::vector<const ColumnDef *> keys;
    for (const auto &column : table.columns) {
        if (column.keyPosition > 0)
            keys.push_back(&column);
    }
    std::sort(keys.begin(), keys.end(),
              [](const ColumnDef *a, const ColumnDef *b) { return a->keyPosition < b->keyPosition; });
    std::string clause = "PRIMARY KEY (";
    for (std::size_t i = 0; i < keys.size(); ++i)
        clause += (i ? ", " : "") + keys[i]->name;
    return clause + ")";
}

} // namespace

void SchemaDdl::checkCompanyName(std::string_view companyDb)
{
    const auto fail = [companyDb](const char *why) {
        throw SchemaNameError("company database name \"" + std::string(companyDb) + "\" " + why);
    };
    if (companyDb.empty())
        fail("is empty");
    if (companyDb.size() > 63)
        fail("is longer than 63 characters");
    if (!isIdentifierStart(companyDb.front()) || !std::all_of(companyDb.begin(), companyDb.end(), isIdentifierChar))
        fail("may hold only letters, digits and \"_\" and must not start with a digit");
    const std::string lower = lowerAscii(companyDb);
    if (lower == "main" || lower == "temp" || lower == "public" || lower == "information_schema"
        || lower.rfind("pg_", 0) == 0 || lower.rfind("sqlite_", 0) == 0)
        fail("is reserved by the database engine");
}

std::string SchemaDdl::companyNamespace(DbEngine engine, std::string_view companyDb)
{
    checkCompanyName(companyDb);
    const std::string name = engine == DbEngine::PostgreSQL ? lowerAscii(companyDb) : std::string(companyDb);
    return '"' + name + '"';
}

std::string SchemaDdl::qualifiedTable(DbEngine engine, std::string_view companyDb, std::string_view table)
{
    return companyNamespace(engine, companyDb) + "." + std::string(table);
}

const char *SchemaDdl::typeName(ColumnType type)
{
    switch (type) {
    case ColumnType::Text:
        return "text";
    case ColumnType::Date:
        return "date";
    case ColumnType::Memo:
        return "memo";
    case ColumnType::Numeric:
        return "numeric";
    case ColumnType::Integer:
        return "integer";
    case ColumnType::Blob:
        return "blob";
    }
    return "text";
}

std::string SchemaDdl::sqlType(DbEngine engine, const ColumnDef &column)
{
    switch (column.type) {
    case ColumnType::Text:
    case ColumnType::Date:
        return "VARCHAR(" + std::to_string(column.length) + ")";
    case ColumnType::Memo:
        return "TEXT";
    case ColumnType::Numeric:
        // SQLite has no exact decimals; REAL keeps every stored number and
        // every sum of them a floating-point value, so results have one type.
        if (engine == DbEngine::SQLite)
            return "REAL";
        return "NUMERIC(" + std::to_string(column.length) + "," + std::to_string(column.scale) + ")";
    case ColumnType::Integer:
        return "INTEGER";
    case ColumnType::Blob:
        return engine == DbEngine::SQLite ? "BLOB" : "BYTEA";
    }
    return "TEXT";
}

std::string SchemaDdl::lowerAscii(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c); });
    return lower;
}

std::string SchemaDdl::quoteLiteral(std::string_view text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted + "'";
}

std::vector<std::string> SchemaDdl::createTable(DbEngine engine, std::string_view companyDb, const TableDef &table)
{
    const std::string qualified = qualifiedTable(engine, companyDb, table.name);
    std::string create = "CREATE TABLE " + qualified + " (";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDef &column = table.columns[i];
        create += (i ? ",\n  " : "\n  ") + column.name + " " + sqlType(engine, column) + defaultClause(engine, column);
        if (engine == DbEngine::SQLite)
            create += sqliteCheck(column);
    }
    if (table.hasPrimaryKey())
        create += ",\n  " + primaryKey(table);
    create += "\n)";

    std::vector<std::string> statements{create};
    if (engine == DbEngine::PostgreSQL) {
        statements.push_back("COMMENT ON TABLE " + qualified + " IS " + quoteLiteral(table.comment));
        for (const auto &column : table.columns)
            statements.push_back("COMMENT ON COLUMN " + qualified + "." + column.name + " IS "
                                 + quoteLiteral(column.comment));
    }
    return statements;
}

} // namespace slip
