#include "db/RowSource.h"

#include "db/DatabaseError.h"
#include "db/RequestDeadline.h"

#include <QSqlError>
#include <QSqlRecord>

namespace slip {

bool RowSource::writeDirect(int, kv::FieldType, kv::ResultTable::Builder &) const
{
    return false;
}

QueryRowSource::QueryRowSource(QSqlQuery query, std::vector<std::optional<kv::FieldType>> declared)
    : m_query(std::move(query))
    , m_declared(std::move(declared))
{
    const QSqlRecord record = m_query.record();
    m_columns = record.count();
    for (int i = 0; i < m_columns; ++i)
        m_names.push_back(record.fieldName(i).toStdString());
}

bool QueryRowSource::next()
{
    if (m_query.next())
        return true;
    // The driver ends the rows on a failed fetch as at their end; a table
    // cut short must not pass for the whole result.
    const QSqlError error = m_query.lastError();
    if (error.isValid()) {
        RequestDeadline::raiseIfStopped(error.nativeErrorCode() == QLatin1String("57014"), {});
        throw DatabaseError("reading the rows failed: " + error.text().toStdString());
    }
    return false;
}

QVariant QueryRowSource::value(int column) const
{
    return m_query.value(column);
}

} // namespace slip
