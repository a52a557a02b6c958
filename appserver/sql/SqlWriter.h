#pragma once
// Writes a parsed statement for one engine: tables of the company database
// qualified with its name, TOP as LIMIT (a TOP inside a UNION branch wraps
// that branch, so the final ORDER BY still applies to the whole union), and
// every expression through SqlExprWriter.

#include "sql/SqlExprWriter.h"

#include "schema/ColumnCatalog.h"

#include <string>

namespace slip {

class SqlWriter : private SqlSubqueryWriter {
public:
    SqlWriter(SqlDialect dialect, const ColumnCatalog &catalog, std::string companyDb)
        : m_names(dialect), m_catalog(catalog),
          m_companyDb(std::move(companyDb)), m_exprs(dialect, *this)
    {
    }

    std::string write(const SqlStatement &statement);
    const std::vector<std::string> &parameters() const { return m_exprs.parameters(); }

private:
    SqlQueryText writeSubquery(const SqlQuery &query, const SqlScope &outer) override;
    SqlQueryText query(const SqlQuery &query, const SqlScope *outer);
    SqlQueryText select(const SqlSelect &select, const SqlScope *outer,
                        const std::vector<SqlOrderItem> *orderBy);
    std::string from(const SqlSelect &select, SqlScope &scope, const SqlScope *outer);
    std::string table(const SqlTableRef &table, SqlScope &scope, const SqlScope *outer);
    std::string tableName(const SqlTableRef &table) const;
    std::string orderBy(const std::vector<SqlOrderItem> &items, const SqlScope &scope);
    std::string list(const std::vector<SqlExprPtr> &values, const SqlScope &scope);
    std::string condition(const char *keyword, const SqlExprPtr &expr, const SqlScope &scope);
    std::string insert(const SqlInsert &insert);
    std::string update(const SqlUpdate &update);
    std::string remove(const SqlDelete &remove);

    SqlNames m_names;
    const ColumnCatalog &m_catalog;
    std::string m_companyDb;
    SqlExprWriter m_exprs;
    int m_wrapped = 0; // numbers the aliases of wrapped UNION branches
};

} // namespace slip
