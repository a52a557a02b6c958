#pragma once
// The connection string "ResultConnectString" hands to a client that opens
// the company database itself (the summary layout's line query). It is a
// list of Key=Value pairs separated by ";", keys compared without case; a
// value holding ";", "{", "}" or blanks at either end is written in braces
// with every "}" doubled ("Password={a;b}").
//
//   SQLite, client in the server's process:
//                Driver=QSQLITE;Database=<company file>;CompanyDB=<name>
//   PostgreSQL with a read-only role (ServerConfig::readerConnInfo):
//                Driver=QPSQL;Host=..;Port=..;Database=..;User=..;Password=..;
//                Options=<further libpq keys as QtSql options>;
//                CompanyDB=<name>;Schema=<schema of the company>
//   otherwise:   Driver=SLIPSERV;Provider=pvdTemp;CompanyDB=<name>
//
// Driver is the QtSql driver name. A SQLite client opens Database and, as the
// server does, attaches that file under CompanyDB so that "<CompanyDB>..TABLE"
// names resolve; a PostgreSQL client reads the company's tables in Schema.
// SLIPSERV sends each query, with its parameters, to the named provider of
// the program server the client asked: a remote client never gets the
// server's file paths, and no client gets credentials that can write.

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

    static constexpr const char *kServerDriver = "SLIPSERV";
    static constexpr const char *kServerProvider = "pvdTemp";

    // The string for a company database of the configured engine; for a
    // read-only role it grants and checks the role first (ReaderRoleError).
    static std::string forCompany(Database &database, const ServerConfig &config, const std::string &companyDb);
    // Queries through the program server's provider.
    static std::string throughServer(const std::string &companyDb);

    static std::string format(const Pairs &pairs);
    // Keys in upper case. Throws std::invalid_argument for a pair without "="
    // or an unclosed brace.
    static std::map<std::string, std::string> parse(std::string_view text);

private:
    static std::string quoted(const std::string &value);
};

} // namespace slip
