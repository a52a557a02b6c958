#include "objects/DirectConnectString.h"

#include "db/PgConnInfo.h"
#include "db/SqliteDatabase.h"
#include "objects/ReadOnlyRole.h"
#include "platform/ConnectionString.h"
#include "objects/ServerConfig.h"
#include "schema/SchemaDdl.h"

namespace slip {

namespace {

std::string pgSchema(const std::string &companyDb)
{
    std::string name = SchemaDdl::companyNamespace(DbEngine::PostgreSQL, companyDb);
    // The namespace comes quoted for SQL text; the client wants the bare name.
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return name;
}


} // namespace

std::string DirectConnectString::forCompany(Database &database, const ServerConfig &config,
                                            const std::string &companyDb)
{
    if (const auto *sqlite = dynamic_cast<const SqliteDatabase *>(&database)) {
        // The file is on the server's machine: only a client in the same
        // process can open it.
        if (config.remoteClients)
            return throughServer(companyDb);
        return kv::ConnectionString::format({{"Driver", "QSQLITE"},
                       {"Database", sqlite->companyFile(companyDb).string()},
                       {"CompanyDB", companyDb}});
    }
    // The server's own credentials can write: without a read-only role the
    // client reads through the server.
    if (config.readerConnInfo.empty())
        return throughServer(companyDb);
    ReadOnlyRole reader(database, config.readerConnInfo);
    reader.prepare(companyDb);
    const PgConnInfo &info = reader.connInfo();
    return kv::ConnectionString::format({{"Driver", "QPSQL"},
                   {"Host", info.host()},
                   {"Port", std::to_string(info.port())},
                   {"Database", info.database()},
                   {"User", info.user()},
                   {"Password", info.password()},
                   {"Options", info.otherOptions()},
                   {"CompanyDB", companyDb},
                   {"Schema", pgSchema(companyDb)}});
}

std::string DirectConnectString::throughServer(const std::string &companyDb)
{
    return kv::ConnectionString::format({{"Driver", kServerDriver}, {"Provider", kServerProvider}, {"CompanyDB", companyDb}});
}

} // namespace slip
