#include "objects/ServerObjects.h"

#include "objects/FileListServer.h"
#include "objects/HostDataRegistration.h"
#include "objects/ProgramServer.h"
#include "platform/Dispatch.h"

namespace slip {

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
}

void unregisterServerObjects()
{
    kv::OleClassRegistry::unregisterClass(ProgramServer::kProgId);
    kv::OleClassRegistry::unregisterClass(ProgramServer::kAliasProgId);
    unregisterHostDataObjects();
    kv::OleClassRegistry::unregisterClass(FileListServer::progId);
}

} // namespace slip
