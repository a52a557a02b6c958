#pragma once
// Registers the host-data classes with kv::OleClassRegistry, so that the
// host (in-process or through slipserv) creates them by program id:
//   "QRM.Counter"        CounterServer        (Com_Counter)
//   "QRM.Validator"      ValidatorServer      (Com_Validator)
//   "QRM.F2Data"         F2DataServer         (data of Com_F2Window)
//   "QRM.MessageCatalog" MessageCatalogServer (data of GetMessage)
// A new object has no company database until its CompanyDB property is set
// or a call names one. All objects share the given database.

#include "db/Database.h"

#include <memory>

namespace slip {

void registerHostDataObjects(std::shared_ptr<Database> database);
void unregisterHostDataObjects();

} // namespace slip
