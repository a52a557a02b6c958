#pragma once
// The connection string "ResultConnectString" hands to a client that opens
// the company database itself (the summary layout's line query). It is a
// list of Key=Value pairs separated by ";", keys compared without case; a
// value holding ";", "{", "}" or blanks at either end is written in braces
// with every "}" doubled ("Password={a;b}").
//
//   SQLite:      Driver=QSQLITE;Database=<company file>;CompanyDB=<name>
//   PostgreSQL:  Driver=QPSQL;Host=..;Port=..;Database=..;User=..;Password=..;
//                Options=<further libpq keys as QtSql options>;
//                CompanyDB=<name>;Schema=<schema of the company>
//
// Driver is the QtSql driver name. A SQLite client opens Database and, as the
// server does, attaches that file under CompanyDB so that "<CompanyDB>..TABLE"
// names resolve; a PostgreSQL client sets the search path to Schema.

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace slip {

class Database;
struct ServerConfig;

class DirectConnectString {
public:
    using Pairs = std::vector<std::pair<std::string, std::string>>;

    // The string for a company database of the configured engine.
    static std::string forCompany(const Database &database, const ServerConfig &config, const std::string &companyDb);

    static std::string format(const Pairs &pairs);
    // Keys in upper case. Throws std::invalid_argument for a pair without "="
    // or an unclosed brace.
    static std::map<std::string, std::string> parse(std::string_view text);

private:
    static std::string quoted(const std::string &value);
};

} // namespace slip
