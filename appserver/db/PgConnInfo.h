#pragma once
// A PostgreSQL connection string in the libpq key=value form
// ("host=127.0.0.1 port=5432 dbname=erp user=erp password='a b'"), split
// into its parts.

#include <map>
#include <string>
#include <string_view>

class QSqlDatabase;

namespace slip {

class PgConnInfo {
public:
    // Throws DatabaseError for text that is not a key=value list.
    explicit PgConnInfo(std::string_view conninfo);

    std::string host() const { return value("host", value("hostaddr", "localhost")); }
    int port() const;
    std::string database() const { return value("dbname"); }
    std::string user() const { return value("user"); }
    std::string password() const { return value("password"); }
    // Every other key as "key=value" pairs joined by ";" (QtSql's option form).
    std::string otherOptions() const;

    std::string value(const std::string &key, const std::string &fallback = {}) const;

    // Sets a QtSql connection (QPSQL) to this server, not yet opened.
    void applyTo(QSqlDatabase &db) const;

private:
    std::map<std::string, std::string> m_values;
};

} // namespace slip
