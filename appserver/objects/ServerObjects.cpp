#include "objects/ServerObjects.h"

#include "objects/FileListServer.h"
#include "objects/HostDataRegistration.h"
#include "objects/ProgramServer.h"
#include "platform/Dispatch.h"

#include <QCoreApplication>

#include <atomic>

namespace slip {

namespace {

std::atomic<bool> g_releaseArmed{false};

void releaseAtApplicationEnd()
{
    g_releaseArmed = false;
    unregisterServerObjects();
}

// The class registry is a static of the platform library and its factories
// hold the database. Left to the static teardown at exit, the database
// would close its QtSql connections after QtSql's own statics are gone (a
// crash now and then). The registry lets go of it when the application
// object ends instead, while QtSql is still whole; a caller may also
// unregister earlier itself.
void releaseBeforeStaticTeardown()
{
    if (!g_releaseArmed.exchange(true))
        qAddPostRoutine(&releaseAtApplicationEnd);
}

} // namespace

std::shared_ptr<Database> registerServerObjects(const ServerConfig &config)
{
    std::shared_ptr<Database> database = config.openDatabase();
    registerServerObjects(database, config);
    return database;
}

void registerServerObjects(std::shared_ptr<Database> database, const ServerConfig &config)
{
    const kv::DispatchFactory program = [database, config] {
        return std::make_shared<ProgramServer>(database, config);
    };
    kv::OleClassRegistry::registerClass(ProgramServer::kProgId, program);
    kv::OleClassRegistry::registerClass(ProgramServer::kAliasProgId, program);
    registerHostDataObjects(database);
    registerFileList(config.download);
    releaseBeforeStaticTeardown();
}

void unregisterServerObjects()
{
    kv::OleClassRegistry::unregisterClass(ProgramServer::kProgId);
    kv::OleClassRegistry::unregisterClass(ProgramServer::kAliasProgId);
    unregisterHostDataObjects();
    kv::OleClassRegistry::unregisterClass(FileListServer::progId);
}

} // namespace slip
