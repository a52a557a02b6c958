#include "report/layout/VRSQLBuilder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

#include <stdexcept>

namespace kv {

namespace {

std::string trimmed(const std::string &text)
{
    return QString::fromStdString(text).trimmed().toStdString();
}

// A part that holds nothing but its keyword (" Group By ") lists no columns.
bool onlyKeyword(const std::string &part, const char *keyword)
{
    const QString text = QString::fromStdString(part).trimmed();
    return text.isEmpty() || text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

} // namespace

TVRSQLBuilder::TVRSQLBuilder(QObject *parent) : QObject(parent) {}

bool TVRSQLBuilder::IsSQLNull() const
{
    return !m_baseSet;
}

bool TVRSQLBuilder::CheckSQL(const SqlParts &parts) const
{
    return !m_baseSet || !(m_base == parts);
}

void TVRSQLBuilder::SetBaseSQL(const SqlParts &parts)
{
    m_base = parts;
    m_baseSet = true;
}

void TVRSQLBuilder::InitVRInfo(const std::string &program, const std::string &user, const std::string &mainTable,
                               const std::string &companyDB, const std::string &company)
{
    m_vrInfo = {program, user, mainTable, companyDB, company};
}

int TVRSQLBuilder::AddTable(const std::string &name, const std::string &joinCondition)
{
    m_tables.push_back({name, joinCondition});
    return int(m_tables.size()) - 1;
}

int TVRSQLBuilder::AddField(int table, const std::string &name, const std::string &hint, int kind)
{
    if (table < 0 || table >= int(m_tables.size()))
        throw std::out_of_range("The SQL builder has no related table " + std::to_string(table));
    m_fields.push_back({table, name, hint, kind, false, {}});
    return int(m_fields.size()) - 1;
}

void TVRSQLBuilder::ClearTables()
{
    m_tables.clear();
    m_fields.clear();
}

void TVRSQLBuilder::SetFieldUsed(int field, const std::string &component)
{
    Field &entry = m_fields.at(std::size_t(field));
    entry.used = !component.empty();
    entry.component = component;
}

int TVRSQLBuilder::FieldOfComponent(const std::string &component) const
{
    for (std::size_t index = 0; index < m_fields.size(); ++index) {
        if (m_fields[index].used && m_fields[index].component == component)
            return int(index);
    }
    return -1;
}

bool TVRSQLBuilder::HasUsedFields() const
{
    return !usedFields().empty();
}

QStringList TVRSQLBuilder::relations() const
{
    const auto line = [](const QJsonArray &values) {
        return QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact));
    };
    const auto text = [](const std::string &value) { return QString::fromStdString(value); };
    QStringList lines;
    for (const Table &table : m_tables)
        lines << line({QStringLiteral("T"), text(table.name), text(table.joinCondition)});
    for (const Field &field : m_fields)
        lines << line({QStringLiteral("F"), field.table, text(field.name), text(field.hint), field.kind,
                       text(field.used ? field.component : std::string())});
    return lines;
}

void TVRSQLBuilder::setRelations(const QStringList &lines)
{
    std::vector<Table> tables;
    std::vector<Field> fields;
    for (int index = 0; index < lines.size(); ++index) {
        const QJsonArray values = QJsonDocument::fromJson(lines.at(index).toUtf8()).array();
        const QString kind = values.at(0).toString();
        const auto text = [&values](int at) { return values.at(at).toString().toStdString(); };
        if (kind == QLatin1String("T") && values.size() == 3 && values.at(1).isString() && values.at(2).isString()) {
            tables.push_back({text(1), text(2)});
        } else if (kind == QLatin1String("F") && values.size() == 6 && values.at(1).isDouble() &&
                   values.at(1).toInt(-1) >= 0 && values.at(1).toInt(-1) < int(tables.size()) &&
                   values.at(2).isString() && values.at(3).isString() && values.at(4).isDouble() &&
                   values.at(5).isString()) {
            const std::string component = text(5);
            fields.push_back({values.at(1).toInt(), text(2), text(3), values.at(4).toInt(), !component.empty(), component});
        } else {
            m_relationsError = QStringLiteral("line %1 of the relations is no table or field of a listed table: %2")
                                   .arg(index + 1)
                                   .arg(lines.at(index).left(80));
            return;
        }
    }
    m_tables = std::move(tables);
    m_fields = std::move(fields);
    m_relationsError.clear();
}

std::string TVRSQLBuilder::TableAlias(int table)
{
    return "RT" + std::to_string(table + 1);
}

std::string TVRSQLBuilder::GetAsField(int field) const
{
    const Field &entry = m_fields.at(std::size_t(field));
    return TableAlias(entry.table) + entry.name;
}

std::vector<const TVRSQLBuilder::Field *> TVRSQLBuilder::usedFields() const
{
    std::vector<const Field *> used;
    for (const Field &field : m_fields) {
        if (field.used)
            used.push_back(&field);
    }
    return used;
}

std::string TVRSQLBuilder::GetExtendedSelect() const
{
    std::string select = trimmed(m_base.select);
    for (std::size_t index = 0; index < m_fields.size(); ++index) {
        const Field &field = m_fields[index];
        if (field.used)
            select += ", " + TableAlias(field.table) + "." + field.name + " AS " + GetAsField(int(index));
    }
    return select;
}

std::string TVRSQLBuilder::GetSQLJoin() const
{
    const std::string tail = trimmed(m_base.tail);
    return tail.empty() ? trimmed(m_base.from) : tail;
}

std::string TVRSQLBuilder::GetExtendedJoin() const
{
    std::string join = GetSQLJoin();
    std::vector<bool> joined(m_tables.size(), false);
    for (const Field *field : usedFields()) {
        if (joined[std::size_t(field->table)])
            continue;
        joined[std::size_t(field->table)] = true;
        const Table &table = m_tables[std::size_t(field->table)];
        join += " LEFT JOIN " + table.name + " " + TableAlias(field->table) + " ON " + table.joinCondition;
    }
    return join;
}

std::string TVRSQLBuilder::GetExtendedGroup() const
{
    std::string group = trimmed(m_base.groupBy);
    // Grouped reports must group by the extension columns too; others stay
    // without a group clause.
    if (onlyKeyword(m_base.groupBy, "Group By"))
        return group;
    for (const Field *field : usedFields())
        group += ", " + TableAlias(field->table) + "." + field->name;
    return group;
}

std::string TVRSQLBuilder::GetExtendedOrder() const
{
    return trimmed(m_base.orderBy);
}

} // namespace kv
