#include "HostDataSource.h"

#include "HostSettings.h"

#include "lib/MarshalIniS.h"
#include "objects/FileListServer.h"
#include "objects/HostDataRegistration.h"
#include "objects/ServerConfig.h"
#include "platform/RemoteConnection.h"

#include <utility>

namespace erphost {

HostDataSource::HostDataSource(Factory factory, std::string companyDb, std::string where)
    : m_factory(std::move(factory)), m_companyDb(std::move(companyDb)), m_where(std::move(where))
{
}

HostDataSource::~HostDataSource()
{
    if (m_connection)
        m_connection->close();
}

std::unique_ptr<HostDataSource> HostDataSource::inProcess(const std::string &serverIniPath,
                                                          const std::string &companyDb)
{
    std::shared_ptr<slip::Database> database;
    slip::ServerConfig config;
    try {
        config = slip::ServerConfig::load(serverIniPath);
        database = config.openDatabase();
    } catch (const std::exception &error) {
        throw kv::DispatchError("the company database cannot be opened from " + serverIniPath + ": " +
                                error.what());
    }
    slip::registerHostDataObjects(database);
    slip::registerFileList(config.download);
    auto source = std::make_unique<HostDataSource>(
        [](const std::string &progId) { return kv::createOleObject(progId); }, companyDb,
        "in process (" + serverIniPath + ")");
    source->m_database = std::move(database);
    return source;
}

std::unique_ptr<HostDataSource> HostDataSource::remote(const std::string &address, int port,
                                                       const std::string &token, const std::string &companyDb)
{
    kv::RemoteConnectionOptions options;
    options.host = address;
    options.port = port;
    options.token = token;
    std::shared_ptr<kv::RemoteConnection> connection = kv::RemoteConnection::open(options);
    auto source = std::make_unique<HostDataSource>(
        [connection](const std::string &progId) { return connection->createObject(progId); }, companyDb,
        connection->where());
    source->m_connection = std::move(connection);
    return source;
}

std::unique_ptr<HostDataSource> HostDataSource::fromSettings(const HostSettings &settings,
                                                             const std::string &companyDb)
{
    if (!settings.read)
        throw kv::DispatchError("the shell's client settings cannot be read (" +
                                (settings.errorCode.empty() ? std::string("no client directory")
                                                            : settings.errorCode) +
                                "); check the registry file and MarshalC.ini");
    if (!settings.localServer())
        return remote(settings.serverAddress, settings.serverPort, settings.accessToken, companyDb);
    const kv::TMarshalIniS server;
    if (server.IniFileName.empty())
        throw kv::DispatchError("the client settings name the local server (127.0.0.1), but the registry names "
                                "no server directory with MarshalS.ini");
    return inProcess(server.IniFileName, companyDb);
}

kv::DispatchPtr HostDataSource::create(const std::string &progId)
{
    kv::DispatchPtr object = m_factory(progId);
    if (!object)
        throw kv::DispatchError("no object of class " + progId + " from " + m_where);
    object->put("CompanyDB", kv::Variant(m_companyDb));
    return object;
}

} // namespace erphost
