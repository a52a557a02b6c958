#include "db/ResultReader.h"

#include "db/DatabaseError.h"
#include "platform/TextUtil.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>

#include <cmath>

namespace slip {
namespace {

kv::FieldType typeOfValue(const QVariant &value)
{
    return ResultReader::fieldTypeOf(value.metaType());
}

std::string textOf(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QByteArray:
        return value.toByteArray().toStdString();
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyyMMdd")).toStdString();
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODate).toStdString();
    default:
        return value.toString().toStdString();
    }
}

// A whole number held by the value, if it holds one exactly.
std::optional<std::int64_t> integerOf(const QVariant &value)
{
    bool ok = false;
    if (typeOfValue(value) == kv::FieldType::Integer || value.metaType().id() == QMetaType::Bool) {
        const qlonglong number = value.toLongLong(&ok);
        return ok ? std::optional<std::int64_t>(number) : std::nullopt;
    }
    if (typeOfValue(value) == kv::FieldType::Float) {
        const double number = value.toDouble();
        if (std::trunc(number) == number && std::fabs(number) < 9.0e18)
            return std::int64_t(number);
        return std::nullopt;
    }
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    return ok ? std::optional<std::int64_t>(number) : std::nullopt;
}

std::optional<double> numberOf(const QVariant &value)
{
    bool ok = false;
    const double number = typeOfValue(value) == kv::FieldType::Text ? value.toString().trimmed().toDouble(&ok)
                                                                    : value.toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

} // namespace

kv::FieldType ResultReader::fieldTypeOf(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Bool:
        return kv::FieldType::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return kv::FieldType::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return kv::FieldType::Float;
    case QMetaType::QByteArray:
        return kv::FieldType::Blob;
    default:
        return kv::FieldType::Text;
    }
}

ResultReader::ResultReader(RowSource &rows, const std::vector<std::optional<kv::FieldType>> &declared,
                           const std::vector<std::optional<kv::FieldType>> &widened)
    : m_rows(rows)
{
    m_columns = m_rows.columnCount();
    for (std::size_t i = 0; i < std::size_t(m_columns); ++i) {
        // Column names as the ERP writes them: PostgreSQL folds unquoted
        // names to lower case, SQLite keeps them as written.
        m_names.push_back(kv::upperAscii(m_rows.columnName(int(i))));
        const std::optional<kv::FieldType> engine = i < declared.size() ? declared[i] : std::nullopt;
        m_declared.push_back(engine.has_value());
        m_types.push_back(engine ? engine : i < widened.size() ? widened[i] : std::nullopt);
    }
    m_widened = m_types;
}

std::optional<kv::ResultTable> ResultReader::read()
{
    std::vector<std::vector<QVariant>> heldBack;
    bool decided = decideFromRow({});
    while (m_rows.next()) {
        if (decided) {
            if (!m_builder)
                startTable();
            if (!writeCurrentRow())
                return std::nullopt;
            continue;
        }
        std::vector<QVariant> row;
        row.reserve(std::size_t(m_columns));
        for (int i = 0; i < m_columns; ++i)
            row.push_back(m_rows.value(i));
        decided = decideFromRow(row);
        heldBack.push_back(std::move(row));
        if (!decided)
            continue;
        startTable();
        for (const auto &held : heldBack) {
            if (!writeRow(held))
                return std::nullopt;
        }
        heldBack.clear();
    }
    if (!m_builder) {
        startTable();
        for (const auto &held : heldBack) {
            if (!writeRow(held))
                return std::nullopt;
        }
    }
    return m_builder->finish();
}

// Types undecided columns from the row's non-null values; true when every
// column has a type.
bool ResultReader::decideFromRow(const std::vector<QVariant> &row)
{
    bool all = true;
    for (int i = 0; i < m_columns; ++i) {
        auto &type = m_types[std::size_t(i)];
        if (!type && std::size_t(i) < row.size() && !row[std::size_t(i)].isNull())
            type = typeOfValue(row[std::size_t(i)]);
        all = all && type.has_value();
    }
    return all;
}

void ResultReader::startTable()
{
    m_builder.emplace();
    for (int i = 0; i < m_columns; ++i) {
        // A computed column that held only nulls has nothing to go by.
        auto &type = m_types[std::size_t(i)];
        if (!type)
            type = kv::FieldType::Text;
        m_builder->addColumn(m_names[std::size_t(i)], *type);
    }
}

bool ResultReader::writeRow(const std::vector<QVariant> &row)
{
    for (int i = 0; i < m_columns; ++i) {
        if (!writeCell(i, row[std::size_t(i)]))
            return false;
    }
    m_builder->endRow();
    return true;
}

// Cells the source cannot write itself go the QVariant way.
bool ResultReader::writeCurrentRow()
{
    for (int i = 0; i < m_columns; ++i) {
        if (!m_rows.writeDirect(i, *m_types[std::size_t(i)], *m_builder) && !writeCell(i, m_rows.value(i)))
            return false;
    }
    m_builder->endRow();
    return true;
}

bool ResultReader::writeCell(int column, const QVariant &value)
{
    if (value.isNull()) {
        m_builder->setNull(column);
        return true;
    }
    switch (*m_types[std::size_t(column)]) {
    case kv::FieldType::Text:
    case kv::FieldType::Blob:
        m_builder->setText(column, textOf(value));
        return true;
    case kv::FieldType::Boolean:
        if (const auto number = integerOf(value)) {
            m_builder->setBoolean(column, *number != 0);
            return true;
        }
        noteConflict(column, value, kv::FieldType::Text);
        return false;
    case kv::FieldType::Integer:
        if (const auto number = integerOf(value)) {
            m_builder->setInteger(column, *number);
            return true;
        }
        noteConflict(column, value, numberOf(value) ? kv::FieldType::Float : kv::FieldType::Text);
        return false;
    case kv::FieldType::Float:
        if (const auto number = numberOf(value)) {
            m_builder->setNumber(column, *number);
            return true;
        }
        noteConflict(column, value, kv::FieldType::Text);
        return false;
    }
    return false;
}

void ResultReader::noteConflict(int column, const QVariant &value, kv::FieldType wider)
{
    m_conflict = "column " + m_names[std::size_t(column)] + " holds the value \"" + textOf(value)
                 + "\", which does not fit its type";
    // A column the table definition types holds a value the schema does not
    // allow; running again would not help.
    if (m_declared[std::size_t(column)])
        throw DatabaseError(m_conflict);
    m_widened[std::size_t(column)] = wider;
}

} // namespace slip
