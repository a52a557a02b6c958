#include "base/LocalProgramServer.h"

#include "lib/MarshalIniS.h"
#include "objects/ServerConfig.h"
#include "objects/ServerObjects.h"

#include <mutex>
#include <string>

namespace kv {

namespace {

void registerFromServerSettings(std::string_view progId)
{
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    if (OleClassRegistry::isRegistered(progId))
        return;
    const TMarshalIniS settings;
    if (settings.IniFileName.empty())
        throw DispatchError("The server settings (MarshalS.ini) cannot be found for the local program server");
    // The database stays open for the rest of the process: the registered
    // factories keep it.
    slip::registerServerObjects(slip::ServerConfig::load(settings.IniFileName));
}

} // namespace

DispatchPtr LocalProgramServer::Create(std::string_view progId)
{
    if (!OleClassRegistry::isRegistered(progId))
        registerFromServerSettings(progId);
    return createOleObject(progId);
}

} // namespace kv
