#include "db/PostgresDatabase.h"

#include "db/DatabaseError.h"
#include "db/RequestDeadline.h"
#include "schema/SchemaDdl.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <atomic>

namespace slip {
namespace {

ConnectionPool::Opener opener(const PgConnInfo &info)
{
    return [info](const QString &name) {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
            throw DatabaseError("the Qt PostgreSQL driver (QPSQL) is not installed");
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        info.applyTo(db);
        if (!db.open())
            throw DatabaseError("cannot connect to PostgreSQL at " + info.host() + ":" + std::to_string(info.port())
                                + ": " + db.lastError().text().toStdString());
        // Notices (such as what a DROP ... CASCADE took with it) would only
        // clutter the server's output.
        QSqlQuery quiet(db);
        if (!quiet.exec(QStringLiteral("SET client_min_messages TO WARNING")))
            throw DatabaseError("cannot set up the PostgreSQL session: " + quiet.lastError().text().toStdString());
    };
}

} // namespace

PostgresDatabase::PostgresDatabase(const std::string &conninfo, int maxConnections, std::chrono::milliseconds poolWait)
    : Database(DbEngine::PostgreSQL, std::make_shared<ConnectionPool>(uniqueConnectionPrefix("pg"), maxConnections,
                                                                      opener(PgConnInfo(conninfo)), poolWait))
{
    connection();
    // The thread that opens the database (the daemon's main thread) may
    // never use it again; its connection waits for the first that does.
    returnThreadConnection();
}

PostgresDatabase::~PostgresDatabase()
{
    shutdown();
}

// Keeps the server's statement_timeout to what is left of the request's
// limit. Requests are mostly short, so the setting is sent again only when
// it is shorter than what is left or longer by more than a tenth of the
// limit (or a second): a connection serving one short request after another
// sets it once. Shorter is never kept, or a request would be stopped by what
// was left of an earlier one's limit, long before its own had passed. Work
// without a limit gets none, also on a connection that a limited request
// used before. Inside a transaction it is left alone, as a rolled-back SET
// would be undone.
void PostgresDatabase::prepareConnection(ConnectionPool::Slot &slot)
{
    if (slot.transactionDepth > 0)
        return;
    const RequestDeadline *deadline = RequestDeadline::current();
    long long wanted = 0;
    if (deadline) {
        wanted = deadline->remaining().count();
        const long long slack = std::max<long long>(1000, deadline->limit().count() / 10);
        if (slot.statementTimeoutMs >= wanted && slot.statementTimeoutMs - wanted <= slack)
            return;
    } else if (slot.statementTimeoutMs == 0) {
        return;
    }
    QSqlQuery set(QSqlDatabase::database(slot.name, false));
    if (!set.exec(QStringLiteral("SET statement_timeout = %1").arg(wanted)))
        throw DatabaseError("cannot set the statement time limit: " + set.lastError().text().toStdString());
    slot.statementTimeoutMs = wanted;
}

std::string PostgresDatabase::schemaName(const std::string &companyDb)
{
    // The namespace without its quotes: the lower-case company name.
    const std::string quoted = SchemaDdl::companyNamespace(DbEngine::PostgreSQL, companyDb);
    return quoted.substr(1, quoted.size() - 2);
}

bool PostgresDatabase::storageExists(const std::string &companyDb)
{
    const kv::ResultTable found = query("SELECT 1 FROM information_schema.schemata WHERE schema_name = :name",
                                        {{"name", schemaName(companyDb)}});
    return found.rowCount() > 0;
}

void PostgresDatabase::attachStorage(const std::string &companyDb)
{
    if (!storageExists(companyDb))
        run("CREATE SCHEMA " + SchemaDdl::companyNamespace(DbEngine::PostgreSQL, companyDb));
}

void PostgresDatabase::removeStorage(const std::string &companyDb)
{
    run("DROP SCHEMA IF EXISTS " + SchemaDdl::companyNamespace(DbEngine::PostgreSQL, companyDb) + " CASCADE");
}

std::vector<std::string> PostgresDatabase::existingTables(const std::string &companyDb)
{
    const kv::ResultTable tables = query(
        "SELECT table_name FROM information_schema.tables WHERE table_schema = :name", {{"name", schemaName(companyDb)}});
    std::vector<std::string> names;
    for (int row = 0; row < tables.rowCount(); ++row)
        names.emplace_back(tables.text(row, 0));
    return names;
}

// One round trip for the whole schema: the simple query protocol takes many
// statements at once.
void PostgresDatabase::executeScript(const std::vector<std::string> &statements)
{
    std::string script;
    for (const auto &statement : statements)
        script += statement + ";\n";
    run(script);
}

std::string PostgresDatabase::beginStatement() const
{
    return "BEGIN";
}

} // namespace slip
