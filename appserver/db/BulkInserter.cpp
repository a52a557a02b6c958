#include "db/BulkInserter.h"

#include "db/Database.h"
#include "db/DatabaseError.h"
#include "db/SqlValue.h"

#include <algorithm>
#include <cassert>
#include <exception>

namespace slip {
namespace {

// Values bound to one statement. PostgreSQL allows 65 535 and gains from
// large batches (fewer round trips). QtSql hands SQLite the placeholders as
// names, which SQLite looks up one by one through a list, so there the cost
// grows with the square of the batch: small batches are faster.
int maxValues(DbEngine engine)
{
    return engine == DbEngine::PostgreSQL ? 30000 : 256;
}
constexpr int kMaxRows = 500;

} // namespace

BulkInserter::BulkInserter(Database &db, std::string_view companyDb, std::string_view table,
                           std::vector<std::string> columns)
    : m_db(db)
    , m_qualified(db.qualifiedTable(companyDb, table))
    , m_columns(std::move(columns))
{
    if (m_columns.empty())
        throw DatabaseError("an insert into " + m_qualified + " names no columns");
    m_batchRows = std::clamp(maxValues(db.engine()) / int(m_columns.size()), 1, kMaxRows);
    m_values.reserve(std::size_t(m_batchRows) * m_columns.size());
}

BulkInserter::~BulkInserter()
{
    assert(m_values.empty() || std::uncaught_exceptions() > 0);
}

std::string BulkInserter::statement(int rows) const
{
    std::string sql = "INSERT INTO " + m_qualified + " (";
    std::string row = "(";
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        sql += (i ? ", " : "") + m_columns[i];
        row += i ? ", ?" : "?";
    }
    sql += ") VALUES ";
    row += ")";
    for (int i = 0; i < rows; ++i)
        sql += (i ? ", " : "") + row;
    return sql;
}

void BulkInserter::add(const std::vector<kv::Variant> &row)
{
    if (row.size() != m_columns.size())
        throw DatabaseError("a row for " + m_qualified + " has " + std::to_string(row.size()) + " values for "
                            + std::to_string(m_columns.size()) + " columns");
    for (const auto &value : row)
        m_values.push_back(SqlValue::fromVariant(value));
    ++m_rowsAdded;
    if (m_values.size() >= std::size_t(m_batchRows) * m_columns.size())
        flush();
}

void BulkInserter::flush()
{
    if (m_values.empty())
        return;
    // Taken out first: a batch that fails is not sent again.
    std::vector<QVariant> values;
    values.swap(m_values);
    m_values.reserve(values.size());
    const int rows = int(values.size() / m_columns.size());
    if (rows == m_batchRows) {
        if (!m_fullBatch)
            m_fullBatch = m_db.prepareStatement(statement(rows));
        m_db.execPrepared(*m_fullBatch, values, m_qualified);
    } else {
        QSqlQuery last = m_db.prepareStatement(statement(rows));
        m_db.execPrepared(last, values, m_qualified);
    }
}

void BulkInserter::finish()
{
    flush();
    m_fullBatch.reset();
}

} // namespace slip
