#include "schema/SchemaInfo.h"

#include "platform/TextUtil.h"
#include "schema/CompanySchema.h"

namespace slip {

SchemaInfo::SchemaInfo(const std::vector<TableDef> &tables)
    : m_tables(tables)
{
    for (std::size_t i = 0; i < m_tables.size(); ++i) {
        m_tableIndex.emplace(kv::upperAscii(m_tables[i].name), i);
        for (const auto &column : m_tables[i].columns)
            m_columnIndex.emplace(key(m_tables[i].name, column.name), &column);
    }
}

const SchemaInfo &SchemaInfo::company()
{
    static const SchemaInfo info(CompanySchema::tables());
    return info;
}

std::string SchemaInfo::key(std::string_view table, std::string_view column)
{
    std::string joined = kv::upperAscii(table);
    joined += '.';
    joined += kv::upperAscii(column);
    return joined;
}

const TableDef *SchemaInfo::table(std::string_view table) const
{
    const auto found = m_tableIndex.find(kv::upperAscii(table));
    return found == m_tableIndex.end() ? nullptr : &m_tables[found->second];
}

const ColumnDef *SchemaInfo::column(std::string_view table, std::string_view column) const
{
    const auto found = m_columnIndex.find(key(table, column));
    return found == m_columnIndex.end() ? nullptr : found->second;
}

bool SchemaInfo::hasTable(std::string_view table) const
{
    return this->table(table) != nullptr;
}

bool SchemaInfo::hasColumn(std::string_view table, std::string_view column) const
{
    return this->column(table, column) != nullptr;
}

bool SchemaInfo::isTextColumn(std::string_view table, std::string_view column) const
{
    const ColumnDef *def = this->column(table, column);
    return def && isText(def->type);
}

std::optional<int> SchemaInfo::declaredLength(std::string_view table, std::string_view column) const
{
    const ColumnDef *def = this->column(table, column);
    if (!def || def->length <= 0 || (def->type != ColumnType::Text && def->type != ColumnType::Date))
        return std::nullopt;
    return def->length;
}

bool SchemaInfo::isText(ColumnType type)
{
    return type == ColumnType::Text || type == ColumnType::Date || type == ColumnType::Memo;
}

kv::FieldType SchemaInfo::fieldType(ColumnType type)
{
    switch (type) {
    case ColumnType::Numeric:
        return kv::FieldType::Float;
    case ColumnType::Integer:
        return kv::FieldType::Integer;
    case ColumnType::Blob:
        return kv::FieldType::Blob;
    case ColumnType::Text:
    case ColumnType::Date:
    case ColumnType::Memo:
        break;
    }
    return kv::FieldType::Text;
}

} // namespace slip
