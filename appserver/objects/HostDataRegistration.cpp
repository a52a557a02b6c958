#include "objects/HostDataRegistration.h"

#include "objects/CounterServer.h"
#include "objects/F2DataServer.h"
#include "objects/MessageCatalogServer.h"
#include "objects/ValidatorServer.h"

namespace slip {

namespace {

template <typename Object>
void registerObject(const std::shared_ptr<Database> &database)
{
    kv::OleClassRegistry::registerClass(Object::progId,
                                        [database] { return std::make_shared<Object>(database); });
}

} // namespace

void registerHostDataObjects(std::shared_ptr<Database> database)
{
    if (!database)
        throw std::invalid_argument("the host-data objects need a database");
    registerObject<CounterServer>(database);
    registerObject<ValidatorServer>(database);
    registerObject<F2DataServer>(database);
    registerObject<MessageCatalogServer>(database);
}

void unregisterHostDataObjects()
{
    for (const char *progId : {CounterServer::progId, ValidatorServer::progId, F2DataServer::progId,
                               MessageCatalogServer::progId})
        kv::OleClassRegistry::unregisterClass(progId);
}

} // namespace slip
