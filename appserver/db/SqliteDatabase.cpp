#include "db/SqliteDatabase.h"

#include "db/DatabaseError.h"
#include "db/RequestDeadline.h"
#include "db/SqliteRowSource.h"
#include "platform/TextUtil.h"
#include "schema/SchemaDdl.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlDriver>

#include <sqlite3.h>

#include <atomic>

namespace slip {
namespace {

// SQLite calls this every so many steps of a running statement; a non-zero
// answer interrupts the statement (SQLITE_INTERRUPT).
constexpr int kStepsBetweenChecks = 1000;

int stopPastDeadline(void *)
{
    RequestDeadline *deadline = RequestDeadline::current();
    if (!deadline || !deadline->passed())
        return 0;
    deadline->noteStopped();
    return 1;
}

sqlite3 *rawHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw DatabaseError("the SQLite driver gave no connection handle");
    sqlite3 *raw = *static_cast<sqlite3 *const *>(handle.constData());
    if (!raw)
        throw DatabaseError("the SQLite connection is not open");
    return raw;
}

void exec(QSqlQuery &query, const QString &sql)
{
    if (!query.exec(sql))
        throw DatabaseError(query.lastError().text().toStdString() + " [SQL: " + sql.toStdString() + "]");
}

} // namespace

SqliteDatabase::SqliteDatabase(const std::filesystem::path &directory)
    : Database(DbEngine::SQLite, std::make_shared<ConnectionPool>(uniqueConnectionPrefix("sqlite"), 0, &SqliteDatabase::openConnection))
    , m_directory(directory)
{
    std::error_code error;
    std::filesystem::create_directories(m_directory, error);
    if (error)
        throw DatabaseError("cannot create the database folder " + m_directory.string() + ": " + error.message());
}

SqliteDatabase::~SqliteDatabase()
{
    shutdown();
}

void SqliteDatabase::openConnection(const QString &name)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        throw DatabaseError("the Qt SQLite driver (QSQLITE) is not installed");
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    // The main database stays private and empty; company files are attached.
    db.setDatabaseName(QStringLiteral(":memory:"));
    if (!db.open())
        throw DatabaseError("cannot open an SQLite connection: " + db.lastError().text().toStdString());
    // The handler asks the thread running the statement for its request
    // limit, so it holds on whichever thread the pool hands the connection to.
    sqlite3_progress_handler(rawHandle(db), kStepsBetweenChecks, &stopPastDeadline, nullptr);
    QSqlQuery query(db);
    // Writers of other connections wait up to ten seconds for each other.
    exec(query, QStringLiteral("PRAGMA busy_timeout = 10000"));
}

void SqliteDatabase::mapCompanyFile(const std::string &companyDb, const std::filesystem::path &file)
{
    SchemaDdl::checkCompanyName(companyDb);
    std::lock_guard lock(m_mutex);
    m_fileMap[kv::upperAscii(companyDb)] = file;
}

// Names are matched without regard to case, as SQLite matches attach names:
// a company opened as DEMO is the same one when named demo later.
std::filesystem::path SqliteDatabase::companyFile(const std::string &companyDb) const
{
    const std::string key = kv::upperAscii(companyDb);
    std::lock_guard lock(m_mutex);
    if (const auto mapped = m_fileMap.find(key); mapped != m_fileMap.end())
        return mapped->second;
    if (const auto open = m_companies.find(key); open != m_companies.end())
        return open->second.file;
    return m_directory / (companyDb + ".db");
}

void SqliteDatabase::prepareConnection(ConnectionPool::Slot &slot)
{
    syncAttachments(slot);
}

// Brings the connection's attached files in line with the open company
// databases. SQLite refuses ATTACH and DETACH inside a transaction, so a
// connection in one catches up afterwards.
void SqliteDatabase::syncAttachments(ConnectionPool::Slot &slot)
{
    std::map<std::string, Company> companies;
    unsigned generation;
    {
        std::lock_guard lock(m_mutex);
        if (slot.attachGeneration == m_generation || slot.transactionDepth > 0)
            return;
        companies = m_companies;
        generation = m_generation;
    }
    QSqlQuery query(QSqlDatabase::database(slot.name, false));
    for (auto it = slot.attached.begin(); it != slot.attached.end();) {
        if (companies.count(*it)) {
            ++it;
            continue;
        }
        exec(query, "DETACH DATABASE \"" + QString::fromStdString(*it) + "\"");
        it = slot.attached.erase(it);
    }
    for (const auto &[key, company] : companies) {
        if (slot.attached.count(key))
            continue;
        const QString alias = QString::fromStdString(SchemaDdl::companyNamespace(DbEngine::SQLite, company.name));
        if (!query.prepare("ATTACH DATABASE ? AS " + alias))
            throw DatabaseError(query.lastError().text().toStdString());
        query.addBindValue(QString::fromStdString(company.file.string()));
        if (!query.exec())
            throw DatabaseError("cannot attach " + company.file.string() + " as " + company.name + ": "
                                + query.lastError().text().toStdString());
        slot.attached.insert(key);
        exec(query, "PRAGMA " + alias + ".journal_mode = WAL");
    }
    slot.attachGeneration = generation;
}

bool SqliteDatabase::storageExists(const std::string &companyDb)
{
    return std::filesystem::exists(companyFile(companyDb));
}

void SqliteDatabase::attachStorage(const std::string &companyDb)
{
    if (transactionDepth() > 0)
        throw DatabaseError("company database " + companyDb + " cannot be opened inside a transaction");
    const std::string key = kv::upperAscii(companyDb);
    const std::filesystem::path file = companyFile(companyDb);
    {
        std::lock_guard lock(m_mutex);
        if (m_companies.count(key))
            return;
        m_companies[key] = {companyDb, file};
        ++m_generation;
    }
    try {
        connection();
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_companies.erase(key);
        ++m_generation;
        throw;
    }
}

void SqliteDatabase::removeStorage(const std::string &companyDb)
{
    const std::filesystem::path file = companyFile(companyDb);
    {
        std::lock_guard lock(m_mutex);
        if (m_companies.erase(kv::upperAscii(companyDb)))
            ++m_generation;
    }
    connection();
    for (const char *suffix : {"", "-wal", "-shm"}) {
        std::error_code ignored;
        std::filesystem::remove(file.string() + suffix, ignored);
    }
}

std::vector<std::string> SqliteDatabase::existingTables(const std::string &companyDb)
{
    const kv::ResultTable tables = query("SELECT name FROM " + SchemaDdl::companyNamespace(DbEngine::SQLite, companyDb)
                                         + ".sqlite_master WHERE type = 'table'");
    std::vector<std::string> names;
    for (int row = 0; row < tables.rowCount(); ++row)
        names.emplace_back(tables.text(row, 0));
    return names;
}

std::string SqliteDatabase::beginStatement() const
{
    // Take the write lock at once: a transaction that reads first and writes
    // later could not wait for another writer and would fail instead.
    return "BEGIN IMMEDIATE";
}

// Queries read their rows through the SQLite API on the connection that
// QtSql opened: the same statement, the same attached files and transaction,
// but no UTF-16 copy and QVariant for every cell.
std::unique_ptr<RowSource> SqliteDatabase::openRows(std::string_view sql, const SqlParams &params)
{
    const Positional statement = positional(sql, params);
    sqlite3 *raw = rawHandle(connection());
    return std::make_unique<SqliteRowSource>(raw, statement.sql, statement.values, sql);
}

} // namespace slip
