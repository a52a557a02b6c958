#pragma once

#include "db/Database.h"
#include "db/PgConnInfo.h"

namespace slip {

class PostgresDatabase : public Database {
public:
    // Connects once right away, so a wrong connection string or a server
    // that is down is reported here; that connection then waits in the pool
    // for the first thread that needs one. A thread waits up to poolWait for one
    // of the maxConnections to come free.
    PostgresDatabase(const std::string &conninfo, int maxConnections,
                     std::chrono::milliseconds poolWait = std::chrono::seconds(30));
    ~PostgresDatabase() override;

protected:
    void prepareConnection(ConnectionPool::Slot &slot) override;
    bool storageExists(const std::string &companyDb) override;
    void attachStorage(const std::string &companyDb) override;
    void removeStorage(const std::string &companyDb) override;
    std::vector<std::string> existingTables(const std::string &companyDb) override;
    void executeScript(const std::vector<std::string> &statements) override;
    std::string beginStatement() const override;

private:
    static std::string schemaName(const std::string &companyDb);
};

} // namespace slip
