#pragma once
// Registration of slipserv's automation classes (the program server and the
// host-data objects) with kv::OleClassRegistry, so that kv::createOleObject
// finds them in-process (the module with the loop-back address) and the TCP
// daemon serves them by program id.
//
// All objects of the process share one Database: every object (and every
// daemon worker thread) gets its own connection from it.

#include "db/Database.h"
#include "objects/ServerConfig.h"

#include <memory>

namespace slip {

// Opens the database the settings name and registers every class over it;
// returns the database (kept alive by the registered factories as well).
std::shared_ptr<Database> registerServerObjects(const ServerConfig &config);
// The same over a database opened by the caller (tests, benchmarks).
void registerServerObjects(std::shared_ptr<Database> database, const ServerConfig &config);
// Removes the classes again (their objects live on until released). It also
// happens by itself when the QCoreApplication ends, so the registry never
// holds the database into the static teardown at exit.
void unregisterServerObjects();

} // namespace slip
