#pragma once
// A program server on a fresh company database of each engine, connected as
// the report window connects it.

#include "HostDataTestSupport.h"

#include "objects/ProgramServer.h"
#include "objects/ServerConfig.h"
#include "platform/ResultTable.h"

#include <memory>
#include <string_view>
#include <vector>

namespace programservertest {

inline slip::ServerConfig configFor(const dbtest::TestDatabase &env, slip::DbEngine engine)
{
    if (engine == slip::DbEngine::SQLite)
        return slip::ServerConfig::sqlite(env.dir.path().toStdString());
    slip::ServerConfig config = slip::ServerConfig::postgres(dbtest::pgConnInfo());
    config.readerConnInfo = dbtest::pgReaderConnInfo();
    return config;
}

inline kv::Variant connectArgs(const std::string &companyDb, const std::string &user = "0001")
{
    return kv::varArrayOf({"QIPR07", user, "01", companyDb, "MOCTC", {}, {}, {}});
}

inline kv::ResultTable tableOf(const kv::Variant &packet)
{
    return kv::ResultTable::fromDataPacket(packet.toText());
}

class ProgramServerTest : public hostdatatest::HostDataTest {
protected:
    void SetUp() override
    {
        HostDataTest::SetUp();
        if (IsSkipped())
            return;
        server = newServer();
        call("Connect", {connectArgs(company)});
    }

    std::shared_ptr<slip::ProgramServer> newServer()
    {
        return std::make_shared<slip::ProgramServer>(database, configFor(*env, GetParam()));
    }

    kv::Variant call(std::string_view name, std::vector<kv::Variant> args = {})
    {
        return server->invoke(name, args, kv::InvokeKind::Method);
    }

    // A provider's records, as a client data set asks for them.
    kv::ResultTable records(const char *provider, const std::string &sql, kv::Variant params = {})
    {
        return tableOf(call("AS_GetRecords", {provider, "", params, sql}));
    }

    std::shared_ptr<slip::ProgramServer> server;
};

} // namespace programservertest
