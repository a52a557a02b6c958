#pragma once
// The connection string "ResultConnectString" hands to a client that opens
// the company database itself (the summary layout's line query), in the
// form of kv::ConnectionString.
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
// Either runs its queries in the engine's SQL, which the program server's
// "TranslateSql" writes from the ERP dialect.
// SLIPSERV sends each query, with its parameters, to the named provider of
// the program server the client asked: a remote client never gets the
// server's file paths, and no client gets credentials that can write.

#include <string>

namespace slip {

class Database;
struct ServerConfig;

class DirectConnectString {
public:
    static constexpr const char *kServerDriver = "SLIPSERV";
    static constexpr const char *kServerProvider = "pvdTemp";

    // The string for a company database of the configured engine; for a
    // read-only role it grants and checks the role first (ReaderRoleError).
    static std::string forCompany(Database &database, const ServerConfig &config, const std::string &companyDb);
    // Queries through the program server's provider.
    static std::string throughServer(const std::string &companyDb);
};

} // namespace slip
