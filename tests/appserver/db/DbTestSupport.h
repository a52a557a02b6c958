#pragma once
// Databases for tests: SQLite in a temporary folder, PostgreSQL from
// QIPR07_PG_CONNINFO (scripts/test starts a server and sets it). Company
// databases get names unique to the test run and are dropped afterwards.

#include "db/Database.h"
#include "db/DatabaseError.h"
#include "db/PgConnInfo.h"
#include "support/PgServer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace dbtest {

using kvtest::pgConnInfo;

// The read-only role that scripts/pg-test-server sets up next to the test
// role, on the same server and database; empty without a server.
inline std::string pgReaderConnInfo()
{
    const char *conninfo = pgConnInfo();
    if (!conninfo)
        return {};
    const slip::PgConnInfo admin(conninfo);
    return "host=" + admin.host() + " port=" + std::to_string(admin.port()) + " dbname=" + admin.database() +
           " user=qipr07_reader password=qipr07-reader-test";
}

inline std::string engineName(slip::DbEngine engine)
{
    return engine == slip::DbEngine::SQLite ? "SQLite" : "PostgreSQL";
}

// A name no other test process uses at the same time.
inline std::string uniqueCompanyName(const char *stem = "T")
{
    static std::atomic<int> counter{0};
    return std::string(stem) + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

// One database of the chosen engine, with the company databases made
// through it dropped at the end.
class TestDatabase {
public:
    explicit TestDatabase(slip::DbEngine engine, int maxConnections = 8)
    {
        if (engine == slip::DbEngine::SQLite)
            db = slip::Database::openSqlite(dir.path().toStdString());
        else
            db = slip::Database::openPostgres(pgConnInfo(), maxConnections);
    }
    ~TestDatabase()
    {
        for (const auto &name : companies) {
            try {
                if (db->companyExists(name))
                    db->dropCompany(name);
            } catch (const std::exception &error) {
                ADD_FAILURE() << "dropping " << name << ": " << error.what();
            }
        }
    }
    std::string createCompany(const char *stem = "T")
    {
        const std::string name = uniqueCompanyName(stem);
        companies.push_back(name);
        db->openCompany(name, slip::OpenMode::CreateNew);
        return name;
    }
    std::string table(const std::string &company, const char *name) const { return db->qualifiedTable(company, name); }
    // The lines of a daemon's settings that put it on this database.
    std::string daemonSettings() const
    {
        return db->engine() == slip::DbEngine::SQLite ? "DataDir=" + dir.path().toStdString() + "\n"
                                                      : "Engine=postgres\nConnInfo=" + std::string(pgConnInfo()) + "\n";
    }

    QTemporaryDir dir;
    std::unique_ptr<slip::Database> db;
    std::vector<std::string> companies;
};

// Base of tests that run once per engine.
class EngineTest : public testing::TestWithParam<slip::DbEngine> {
protected:
    void SetUp() override
    {
        if (GetParam() == slip::DbEngine::PostgreSQL && !pgConnInfo())
            GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set";
        env = std::make_unique<TestDatabase>(GetParam());
    }
    void TearDown() override { env.reset(); }
    slip::Database &db() { return *env->db; }

    std::unique_ptr<TestDatabase> env;
};

inline std::string engineParamName(const testing::TestParamInfo<slip::DbEngine> &info)
{
    return engineName(info.param);
}

#define DBTEST_ON_BOTH_ENGINES(Suite)                                                                             \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite, testing::Values(slip::DbEngine::SQLite, slip::DbEngine::PostgreSQL), \
                             dbtest::engineParamName)

} // namespace dbtest
