#pragma once
// The company databases as the application server sees them: one interface,
// two engines over QtSql.
//
// - SQLite (the embedded default): each company database is one file,
//   attached under the company database name to a connection whose main
//   database is private and empty. Files run in WAL mode; a busy timeout
//   lets concurrent writers wait for each other. A connection can attach at
//   most 10 company databases.
// - PostgreSQL: each company database is a schema of one server database.
//
// Tables are named `<namespace>.<TABLE>`, see SchemaDdl. Statements are the
// engine's own SQL (the ERP dialect is translated before it gets here), with
// ":NAME" parameters. A thread uses a connection of its own (QtSql's rule),
// taken from a pool and handed back between pieces of work (see
// ConnectionPool); transactions belong to the calling thread's connection. Result columns are
// typed by the schema: a column read straight from a table has the type the
// schema gives it; a computed column has the type the engine reports for it.

#include "db/ConnectionPool.h"
#include "db/RowSource.h"
#include "platform/ResultTable.h"
#include "platform/Variant.h"
#include "schema/DbEngine.h"
#include "schema/TableDef.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QSqlDatabase;
class QSqlQuery;
class QVariant;

namespace slip {

// Parameter values by name; the name may be written with or without its
// colon and is matched without regard to case.
using SqlParams = std::vector<std::pair<std::string, kv::Variant>>;

enum class OpenMode {
    Existing,        // the company database must exist
    CreateIfMissing, // create it (with the whole schema) unless it exists
    CreateNew,       // create it; fail when it exists
};

class Database {
public:
    virtual ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Company files live in `directory` as <company database>.db unless
    // mapped otherwise (SqliteDatabase::mapCompanyFile).
    static std::unique_ptr<Database> openSqlite(const std::filesystem::path &directory);
    // `conninfo` in libpq key=value form; at most `maxConnections` threads
    // hold a connection at once, a thread waits up to `poolWait` for one.
    static std::unique_ptr<Database> openPostgres(const std::string &conninfo, int maxConnections = 8,
                                                  std::chrono::milliseconds poolWait = std::chrono::seconds(30));

    DbEngine engine() const { return m_engine; }

    // Makes a company database usable under its name. Opening an existing
    // one also creates tables that the schema has gained since it was made.
    void openCompany(const std::string &companyDb, OpenMode mode = OpenMode::Existing);
    bool companyExists(const std::string &companyDb);
    // Deletes the company database with all its data.
    void dropCompany(const std::string &companyDb);
    // "<namespace>.<table>" for SQL text.
    std::string qualifiedTable(std::string_view companyDb, std::string_view table) const;

    kv::ResultTable query(std::string_view sql, const SqlParams &params = {});
    // Rows affected.
    std::int64_t execute(std::string_view sql, const SqlParams &params = {});

    // Transactions of the calling thread; nested calls use savepoints.
    void begin();
    void commit();
    void rollback();
    int transactionDepth();

    // Closes the calling thread's connection (threads that end release
    // theirs anyway).
    void releaseThreadConnection();
    // Hands the calling thread's connection back to the pool for other
    // threads, unless a transaction is open on it.
    void returnThreadConnection();

protected:
    Database(DbEngine engine, std::shared_ptr<ConnectionPool> pool);

    // The calling thread's connection, ready for statements.
    QSqlDatabase connection();
    // Runs one statement; throws DatabaseError.
    QSqlQuery run(std::string_view sql, const SqlParams &params = {});
    // A statement with its ":NAME" parameters made positional ("?") and
    // their values in that order; throws DatabaseError for a missing or an
    // unused value.
    struct Positional {
        std::string sql;
        std::vector<QVariant> values;
    };
    static Positional positional(std::string_view sql, const SqlParams &params);
    // Runs a query and hands its rows out; by default through QtSql.
    virtual std::unique_ptr<RowSource> openRows(std::string_view sql, const SqlParams &params);
    void shutdown();

    // Engine hooks.
    virtual void prepareConnection(ConnectionPool::Slot &slot);
    virtual bool storageExists(const std::string &companyDb) = 0;
    virtual void attachStorage(const std::string &companyDb) = 0;
    virtual void removeStorage(const std::string &companyDb) = 0;
    virtual std::vector<std::string> existingTables(const std::string &companyDb) = 0;
    virtual void executeScript(const std::vector<std::string> &statements);
    virtual std::string beginStatement() const = 0;
    // Per result column of a QtSql query: its type when the engine knows it
    // from the table definition or the expression, nothing when only the
    // values can tell. By default the type the driver reports.
    virtual std::vector<std::optional<kv::FieldType>> declaredTypes(QSqlQuery &query);

private:
    friend class BulkInserter;
    QSqlQuery prepareStatement(const std::string &sql);
    void execPrepared(QSqlQuery &query, const std::vector<QVariant> &values, std::string_view sqlForErrors);

    // This thread's slot; DatabaseError when it has no transaction.
    ConnectionPool::Slot &openTransaction(const char *action);
    void createCompany(const std::string &companyDb);
    void completeCompany(const std::string &companyDb);
    void createTables(const std::string &companyDb, const std::vector<const TableDef *> &tables);
    void writeCatalogue(const std::string &companyDb);

    const DbEngine m_engine;
    std::shared_ptr<ConnectionPool> m_pool;
};

} // namespace slip
