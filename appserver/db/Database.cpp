#include "db/Database.h"

#include "db/BulkInserter.h"
#include "db/DatabaseError.h"
#include "db/RequestDeadline.h"
#include "db/PostgresDatabase.h"
#include "db/ResultReader.h"
#include "db/SqlParameters.h"
#include "db/SqlValue.h"
#include "db/SqliteDatabase.h"
#include "db/Transaction.h"
#include "platform/TextUtil.h"
#include "schema/CompanySchema.h"
#include "schema/SchemaDdl.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <set>

namespace slip {
namespace {

std::string paramKey(std::string_view name)
{
    if (!name.empty() && name.front() == ':')
        name.remove_prefix(1);
    return kv::upperAscii(name);
}

std::vector<QVariant> bindValues(const std::vector<std::string> &names, const SqlParams &params)
{
    std::vector<QVariant> values;
    std::vector<bool> used(params.size(), false);
    for (const auto &name : names) {
        const std::string key = paramKey(name);
        std::size_t j = 0;
        while (j < params.size() && paramKey(params[j].first) != key)
            ++j;
        if (j == params.size())
            throw DatabaseError("no value for the parameter :" + name);
        used[j] = true;
        values.push_back(SqlValue::fromVariant(params[j].second));
    }
    for (std::size_t j = 0; j < params.size(); ++j) {
        if (!used[j])
            throw DatabaseError("the parameter :" + paramKey(params[j].first) + " does not occur in the SQL text");
    }
    return values;
}

std::string describeError(const QSqlError &error, std::string_view sql)
{
    constexpr std::size_t shown = 300;
    std::string text = error.text().toStdString();
    text += " [SQL: ";
    text += sql.substr(0, shown);
    if (sql.size() > shown)
        text += "...";
    return text + "]";
}

// A statement that failed because the request's time limit stopped it
// raises RequestTimeoutError instead; "57014" is PostgreSQL's
// query_canceled, which its statement_timeout raises.
[[noreturn]] void raiseFailure(const QSqlError &error, std::string_view sql)
{
    RequestDeadline::raiseIfStopped(error.nativeErrorCode() == QLatin1String("57014"), sql);
    throw DatabaseError(describeError(error, sql));
}

bool isSelect(std::string_view sql)
{
    const std::string head = kv::upperAscii(kv::trimBlanks(sql).substr(0, 7));
    return head.rfind("SELECT", 0) == 0 || head.rfind("VALUES", 0) == 0 || head.rfind("(", 0) == 0;
}

} // namespace

std::unique_ptr<Database> Database::openSqlite(const std::filesystem::path &directory)
{
    return std::make_unique<SqliteDatabase>(directory);
}

std::unique_ptr<Database> Database::openPostgres(const std::string &conninfo, int maxConnections,
                                                std::chrono::milliseconds poolWait)
{
    return std::make_unique<PostgresDatabase>(conninfo, maxConnections, poolWait);
}

Database::Database(DbEngine engine, std::shared_ptr<ConnectionPool> pool)
    : m_engine(engine)
    , m_pool(std::move(pool))
{
}

Database::~Database() = default;

void Database::shutdown()
{
    m_pool->shutdown();
}

void Database::prepareConnection(ConnectionPool::Slot &)
{
}

QSqlDatabase Database::connection()
{
    RequestDeadline::refuseIfPassed();
    ConnectionPool::Slot &slot = m_pool->current();
    prepareConnection(slot);
    return QSqlDatabase::database(slot.name, false);
}

void Database::releaseThreadConnection()
{
    m_pool->release();
}

void Database::returnThreadConnection()
{
    m_pool->handBack();
}

std::string Database::qualifiedTable(std::string_view companyDb, std::string_view table) const
{
    return SchemaDdl::qualifiedTable(m_engine, companyDb, table);
}

Database::Positional Database::positional(std::string_view sql, const SqlParams &params)
{
    const SqlParameters parsed(sql);
    return {parsed.positionalSql(), bindValues(parsed.names(), params)};
}

QSqlQuery Database::run(std::string_view sql, const SqlParams &params)
{
    const auto [positionalSql, values] = positional(sql, params);
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    const QString text = QString::fromStdString(positionalSql);
    if (values.empty()) {
        if (!query.exec(text))
            raiseFailure(query.lastError(), sql);
        return query;
    }
    if (!query.prepare(text))
        raiseFailure(query.lastError(), sql);
    execPrepared(query, values, sql);
    return query;
}

QSqlQuery Database::prepareStatement(const std::string &sql)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.prepare(QString::fromStdString(sql)))
        raiseFailure(query.lastError(), sql);
    return query;
}

void Database::execPrepared(QSqlQuery &query, const std::vector<QVariant> &values, std::string_view sqlForErrors)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values[i]);
    if (!query.exec())
        raiseFailure(query.lastError(), sqlForErrors);
}

kv::ResultTable Database::query(std::string_view sql, const SqlParams &params)
{
    std::vector<std::optional<kv::FieldType>> widened;
    // A computed column typed by its first values may meet a value of a
    // wider type later; the statement then runs again with the wider type.
    // Each column can widen at most twice (integer, float, text).
    for (;;) {
        const std::unique_ptr<RowSource> rows = openRows(sql, params);
        ResultReader reader(*rows, rows->declaredTypes(), widened);
        if (auto table = reader.read())
            return std::move(*table);
        if (!isSelect(sql))
            throw DatabaseError(reader.conflict() + " [SQL: " + std::string(sql.substr(0, 300)) + "]");
        widened = reader.widenedTypes();
    }
}

std::unique_ptr<RowSource> Database::openRows(std::string_view sql, const SqlParams &params)
{
    QSqlQuery result = run(sql, params);
    std::vector<std::optional<kv::FieldType>> declared = declaredTypes(result);
    return std::make_unique<QueryRowSource>(std::move(result), std::move(declared));
}

std::vector<std::optional<kv::FieldType>> Database::declaredTypes(QSqlQuery &query)
{
    const QSqlRecord record = query.record();
    std::vector<std::optional<kv::FieldType>> types;
    for (int i = 0; i < record.count(); ++i)
        types.push_back(ResultReader::fieldTypeOf(record.field(i).metaType()));
    return types;
}

std::int64_t Database::execute(std::string_view sql, const SqlParams &params)
{
    QSqlQuery result = run(sql, params);
    return result.numRowsAffected();
}

int Database::transactionDepth()
{
    return m_pool->current().transactionDepth;
}

void Database::begin()
{
    ConnectionPool::Slot &slot = m_pool->current();
    const int depth = slot.transactionDepth;
    run(depth == 0 ? beginStatement() : "SAVEPOINT slip_sp" + std::to_string(depth));
    slot.transactionDepth = depth + 1;
}

ConnectionPool::Slot &Database::openTransaction(const char *action)
{
    ConnectionPool::Slot &slot = m_pool->current();
    if (slot.transactionDepth == 0)
        throw DatabaseError(std::string(action) + " without a transaction");
    return slot;
}

void Database::commit()
{
    ConnectionPool::Slot &slot = openTransaction("commit");
    const int depth = slot.transactionDepth;
    if (depth > 1) {
        run("RELEASE SAVEPOINT slip_sp" + std::to_string(depth - 1));
        slot.transactionDepth = depth - 1;
        return;
    }
    try {
        run("COMMIT");
    } catch (...) {
        // A failed commit leaves nothing worth keeping: end the transaction
        // so the connection is usable again, then report the failure.
        const RequestDeadline::Suspend endsAfterTheLimit;
        try {
            run("ROLLBACK");
        } catch (const DatabaseError &) {
        }
        slot.transactionDepth = 0;
        throw;
    }
    slot.transactionDepth = 0;
}

void Database::rollback()
{
    // Undoing what a stopped statement left must work past the time limit.
    const RequestDeadline::Suspend endsAfterTheLimit;
    ConnectionPool::Slot &slot = openTransaction("rollback");
    const int depth = slot.transactionDepth;
    if (depth > 1) {
        const std::string savepoint = "slip_sp" + std::to_string(depth - 1);
        run("ROLLBACK TO SAVEPOINT " + savepoint);
        run("RELEASE SAVEPOINT " + savepoint);
        slot.transactionDepth = depth - 1;
        return;
    }
    // The depth drops once the statement has run: while it runs the
    // connection is still in the transaction, which takes no session
    // settings (an aborted one takes no statement but the ROLLBACK).
    try {
        run("ROLLBACK");
    } catch (...) {
        slot.transactionDepth = 0;
        throw;
    }
    slot.transactionDepth = 0;
}

bool Database::companyExists(const std::string &companyDb)
{
    SchemaDdl::checkCompanyName(companyDb);
    return storageExists(companyDb);
}

void Database::openCompany(const std::string &companyDb, OpenMode mode)
{
    SchemaDdl::checkCompanyName(companyDb);
    const bool exists = storageExists(companyDb);
    if (!exists && mode == OpenMode::Existing)
        throw DatabaseError("company database " + companyDb + " does not exist");
    if (exists && mode == OpenMode::CreateNew)
        throw DatabaseError("company database " + companyDb + " exists already");
    if (exists)
        completeCompany(companyDb);
    else
        createCompany(companyDb);
}

void Database::createCompany(const std::string &companyDb)
{
    attachStorage(companyDb);
    try {
        Transaction transaction(*this);
        std::vector<const TableDef *> tables;
        for (const auto &table : CompanySchema::tables())
            tables.push_back(&table);
        createTables(companyDb, tables);
        writeCatalogue(companyDb);
        transaction.commit();
    } catch (...) {
        removeStorage(companyDb);
        throw;
    }
}

void Database::completeCompany(const std::string &companyDb)
{
    attachStorage(companyDb);
    std::set<std::string> existing;
    for (const auto &name : existingTables(companyDb))
        existing.insert(kv::upperAscii(name));
    if (!existing.count(CompanySchema::columnCatalogue))
        throw DatabaseError(companyDb + " is not a company database (it has no " + CompanySchema::columnCatalogue
                            + " table)");
    std::vector<const TableDef *> missing;
    for (const auto &table : CompanySchema::tables()) {
        if (!existing.count(table.name))
            missing.push_back(&table);
    }
    if (missing.empty())
        return;
    Transaction transaction(*this);
    createTables(companyDb, missing);
    writeCatalogue(companyDb);
    transaction.commit();
}

void Database::dropCompany(const std::string &companyDb)
{
    SchemaDdl::checkCompanyName(companyDb);
    if (!storageExists(companyDb))
        throw DatabaseError("company database " + companyDb + " does not exist");
    removeStorage(companyDb);
}

void Database::executeScript(const std::vector<std::string> &statements)
{
    for (const auto &statement : statements)
        run(statement);
}

void Database::createTables(const std::string &companyDb, const std::vector<const TableDef *> &tables)
{
    std::vector<std::string> statements;
    for (const TableDef *table : tables) {
        auto ddl = SchemaDdl::createTable(m_engine, companyDb, *table);
        statements.insert(statements.end(), ddl.begin(), ddl.end());
    }
    executeScript(statements);
}

// The catalogue tables describe every table and column, so that SQL can ask
// for declared lengths and comments on either engine.
void Database::writeCatalogue(const std::string &companyDb)
{
    run("DELETE FROM " + qualifiedTable(companyDb, CompanySchema::tableCatalogue));
    run("DELETE FROM " + qualifiedTable(companyDb, CompanySchema::columnCatalogue));
    BulkInserter tables(*this, companyDb, CompanySchema::tableCatalogue, {"TABLE_NAME", "DESCRIPTION"});
    BulkInserter columns(*this, companyDb, CompanySchema::columnCatalogue,
                         {"TABLE_NAME", "COLUMN_NAME", "ORDINAL", "DATA_TYPE", "LENGTH", "SCALE", "KEY_POSITION",
                          "DESCRIPTION"});
    for (const auto &table : CompanySchema::tables()) {
        tables.add({table.name, table.comment});
        int ordinal = 0;
        for (const auto &column : table.columns) {
            columns.add({table.name, column.name, ++ordinal, SchemaDdl::typeName(column.type), column.length,
                         column.scale, column.keyPosition, column.comment});
        }
    }
    tables.finish();
    columns.finish();
}

} // namespace slip
