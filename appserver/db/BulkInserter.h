#pragma once
// Fast insertion of many rows into one table: rows are collected and sent in
// batches of multi-row INSERT statements prepared once. Call finish() to send
// the last batch; rows still pending when the inserter is destroyed during
// an exception are dropped with the failed work.

#include "platform/Variant.h"

#include <QSqlQuery>
#include <QVariant>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace slip {

class Database;

class BulkInserter {
public:
    BulkInserter(Database &db, std::string_view companyDb, std::string_view table, std::vector<std::string> columns);
    ~BulkInserter();
    BulkInserter(const BulkInserter &) = delete;
    BulkInserter &operator=(const BulkInserter &) = delete;

    // One value per column, in the order given to the constructor.
    void add(const std::vector<kv::Variant> &row);
    void finish();
    std::int64_t rowsAdded() const { return m_rowsAdded; }

private:
    std::string statement(int rows) const;
    void flush();

    Database &m_db;
    std::string m_qualified;
    std::vector<std::string> m_columns;
    int m_batchRows = 1;
    std::vector<QVariant> m_values;
    std::optional<QSqlQuery> m_fullBatch;
    std::int64_t m_rowsAdded = 0;
};

} // namespace slip
