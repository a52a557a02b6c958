#include "schema/SchemaDoc.h"

#include "schema/SchemaDdl.h"

namespace slip {
namespace {

std::string typeText(const ColumnDef &column)
{
    switch (column.type) {
    case ColumnType::Text:
        return "text(" + std::to_string(column.length) + ")";
    case ColumnType::Date:
        return "date text(8)";
    case ColumnType::Numeric:
        return "numeric(" + std::to_string(column.length) + "," + std::to_string(column.scale) + ")";
    case ColumnType::Memo:
    case ColumnType::Integer:
    case ColumnType::Blob:
        break;
    }
    return SchemaDdl::typeName(column.type);
}

std::string defaultText(const ColumnDef &column)
{
    if (column.keyPosition > 0)
        return "key " + std::to_string(column.keyPosition);
    switch (column.type) {
    case ColumnType::Numeric:
    case ColumnType::Integer:
        return "0";
    case ColumnType::Text:
    case ColumnType::Date:
    case ColumnType::Memo:
    case ColumnType::Blob:
        break;
    }
    return "''";
}

// Pipes inside a comment would end the table cell.
std::string cell(const std::string &text)
{
    std::string escaped;
    for (char c : text) {
        if (c == '|')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace

std::string SchemaDoc::markdown(const std::vector<TableDef> &tables)
{
    std::string out =
        "# Company database schema\n\n"
        "Generated from `appserver/schema/CompanySchema.cpp` by `qipr07-schema-doc` "
        "(a test fails when this page is out of date).\n\n"
        "Every company database has these tables: on SQLite in the file attached under the company database "
        "name (`\"DEMO\".MOCTC`), on PostgreSQL in the schema of that name in lower case (`\"demo\".moctc`). "
        "Codes and texts are text columns of the declared length, dates are 8-character `YYYYMMDD` texts, "
        "quantities are numeric. Every column outside the primary key has a default (`''` or `0`), so a row "
        "can be inserted naming only its key. SQLite enforces the declared lengths and the number columns "
        "with CHECK constraints, as PostgreSQL does by type. Column comments are `COMMENT ON COLUMN` on "
        "PostgreSQL and rows of `SLIP_COLUMNS` on both engines.\n\n";
    out += "| Table | Holds |\n|---|---|\n";
    for (const auto &table : tables)
        out += "| [" + table.name + "](#" + SchemaDdl::lowerAscii(table.name) + ") | " + cell(table.comment) + " |\n";
    for (const auto &table : tables) {
        out += "\n## " + table.name + "\n\n" + cell(table.comment) + "\n\n";
        out += "| Column | Type | Default | Meaning |\n|---|---|---|---|\n";
        for (const auto &column : table.columns)
            out += "| " + column.name + " | " + typeText(column) + " | " + defaultText(column) + " | "
                   + cell(column.comment) + " |\n";
    }
    return out;
}

} // namespace slip
