#pragma once
// Where the host's data objects (counter, validator, lookup data, message
// catalogue) come from: created in this process on the company database the
// server settings name, or through a slipserv connection when the client
// settings name another server. Either way each object is bound to the
// company database the host was started for.

#include "platform/Dispatch.h"

#include <functional>
#include <memory>
#include <string>

namespace kv {
class RemoteConnection;
}

namespace slip {
class Database;
}

namespace erphost {

struct HostSettings;

class HostDataSource {
public:
    using Factory = std::function<kv::DispatchPtr(const std::string &progId)>;

    // Objects from a caller's factory (tests, or a source set up elsewhere).
    HostDataSource(Factory factory, std::string companyDb, std::string where);
    ~HostDataSource();

    // In this process, on the database of the server settings file.
    static std::unique_ptr<HostDataSource> inProcess(const std::string &serverIniPath, const std::string &companyDb);
    // Through a slipserv connection.
    static std::unique_ptr<HostDataSource> remote(const std::string &address, int port, const std::string &token,
                                                  const std::string &companyDb);
    // As the client settings say (loop-back: in process, found through the
    // shell's server settings). Throws kv::DispatchError in plain words when
    // the settings name no usable server.
    static std::unique_ptr<HostDataSource> fromSettings(const HostSettings &settings, const std::string &companyDb);

    // A new object of the class, bound to the company database.
    kv::DispatchPtr create(const std::string &progId);

    const std::string &companyDb() const { return m_companyDb; }
    // "in process (…)" or "slipserv host:port", for messages.
    const std::string &where() const { return m_where; }

private:
    Factory m_factory;
    std::string m_companyDb;
    std::string m_where;
    std::shared_ptr<slip::Database> m_database;
    std::shared_ptr<kv::RemoteConnection> m_connection;
};

} // namespace erphost
