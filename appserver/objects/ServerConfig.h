#pragma once
// Where slipserv keeps the company databases, read from the section
// [Slipserv] of the server's "MarshalS.ini" (the daemon's own keys, token,
// address and port, are in net/SlipServerConfig.h):
//
//   [Slipserv]
//   Engine=sqlite              sqlite (default) or postgres
//   DataDir=\Data              sqlite: folder of the company files
//                              <company database>.db; a value starting with
//                              "\" is relative to the folder of the INI file
//   ConnInfo=host=127.0.0.1 port=5432 dbname=erp user=erp password=...
//                              postgres: libpq connection string; each company
//                              database is a schema of that database
//   PoolSize=8                 postgres: connections open at once; a client's
//                              request holds one only while it runs (or while
//                              its transaction is open)
//   PoolWaitSeconds=30         postgres: how long a request waits for one of
//                              them to come free before it fails
//   ReaderConnInfo=host=db.example port=5432 dbname=erp user=erp_reader password=...
//                              postgres: what a client opening the company
//                              database itself (the summary's line query)
//                              is given: a role that may only read; without
//                              it such clients query through the providers
//
// The section [Download] (DownloadSite.h) names the program files the server
// offers its clients.
//
// The server objects of one process share the database these settings open.

#include "db/Database.h"
#include "objects/DownloadSite.h"
#include "platform/IniFile.h"
#include "schema/DbEngine.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace slip {

// Settings that name no usable database.
class ServerConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ServerConfig {
    static constexpr const char *kSection = "Slipserv";

    DbEngine engine = DbEngine::SQLite;
    std::filesystem::path dataDir; // SQLite
    std::string connInfo;          // PostgreSQL
    int poolSize = 8;              // PostgreSQL
    int poolWaitSeconds = 30;      // PostgreSQL
    std::string readerConnInfo;    // PostgreSQL: read-only role for clients
    // The clients are other processes, reached over TCP (the daemon): the
    // server's files and its own credentials never go to them.
    bool remoteClients = false;
    // The program files offered for download (section [Download]).
    DownloadSite download;

    // baseDir resolves a DataDir written relative to the settings file.
    // Throws ServerConfigError for an unknown engine, a missing DataDir or
    // ConnInfo, or a pool size or wait that is no positive number.
    static ServerConfig fromIni(const kv::IniFile &ini, const std::string &baseDir);
    // Reads the file; a missing file is an error (the daemon must not start
    // on defaults it was not given).
    static ServerConfig load(const std::string &iniPath);

    static ServerConfig sqlite(std::filesystem::path dataDir);
    static ServerConfig postgres(std::string connInfo, int poolSize = 8);

    // Opens the engine (the SQLite folder is created when missing).
    std::shared_ptr<Database> openDatabase() const;
};

} // namespace slip
