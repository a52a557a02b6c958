#pragma once
// Look-ups on the company schema: which tables and columns exist, their
// types and declared lengths. Names are matched without regard to case.

#include "platform/ResultTable.h"
#include "schema/ColumnCatalog.h"
#include "schema/TableDef.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace slip {

class SchemaInfo : public ColumnCatalog {
public:
    explicit SchemaInfo(const std::vector<TableDef> &tables);
    // The indexes point into this object's own table list.
    SchemaInfo(const SchemaInfo &) = delete;
    SchemaInfo &operator=(const SchemaInfo &) = delete;

    // The schema of every company database (CompanySchema::tables()).
    static const SchemaInfo &company();

    bool hasTable(std::string_view table) const override;
    bool hasColumn(std::string_view table, std::string_view column) const override;
    bool isTextColumn(std::string_view table, std::string_view column) const override;
    std::optional<int> declaredLength(std::string_view table, std::string_view column) const override;

    // nullptr when unknown.
    const TableDef *table(std::string_view table) const;
    const ColumnDef *column(std::string_view table, std::string_view column) const;

    const std::vector<TableDef> &tables() const { return m_tables; }

    // How values of a column type travel in result tables.
    static kv::FieldType fieldType(ColumnType type);
    static bool isText(ColumnType type);

private:
    static std::string key(std::string_view table, std::string_view column);

    std::vector<TableDef> m_tables;
    std::unordered_map<std::string, std::size_t> m_tableIndex;
    std::unordered_map<std::string, const ColumnDef *> m_columnIndex;
};

} // namespace slip
