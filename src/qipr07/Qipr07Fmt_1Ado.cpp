// The summary slip's connection to the company database (ADO01) and its
// line query (dsdqry). The connection string comes from the program server:
// a company file (a client in the server's process) or a read-only
// PostgreSQL role is opened with the server's own engine classes, the
// query, written in the ERP dialect, translated for the engine the same way
// the server translates the SQL its clients send; otherwise the query goes,
// with its parameters, to a provider of that program server.

#include "qipr07/Qipr07Fmt_1.h"

#include "db/Database.h"
#include "db/SqliteDatabase.h"
#include "objects/DirectConnectString.h"
#include "platform/ClientDataSet.h"
#include "platform/Dispatch.h"
#include "schema/SchemaInfo.h"
#include "sql/SqlTranslator.h"

#include <filesystem>
#include <stdexcept>

namespace kv {

namespace {

// A value of a libpq connection string, quoted when it needs it.
std::string libpqValue(const std::string &value)
{
    if (!value.empty() && value.find_first_of(" '\\") == std::string::npos)
        return value;
    std::string quoted = "'";
    for (char c : value) {
        if (c == '\'' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

std::unique_ptr<slip::Database> openSqlite(const std::filesystem::path &file, const std::string &companyDb)
{
    // A missing file must not become a new, empty company database.
    if (file.empty() || !std::filesystem::is_regular_file(file))
        throw std::runtime_error("The company database file " + file.string() + " does not exist");
    auto sqlite = std::make_unique<slip::SqliteDatabase>(file.parent_path());
    sqlite->mapCompanyFile(companyDb, file);
    sqlite->openCompany(companyDb, slip::OpenMode::Existing);
    return sqlite;
}

// The role may read only the line query's tables, so the company is not
// opened (that reads the whole catalogue); the first query proves the way.
std::unique_ptr<slip::Database> openPostgres(const std::map<std::string, std::string> &pairs)
{
    const auto value = [&pairs](const char *key) {
        const auto found = pairs.find(key);
        return found == pairs.end() ? std::string() : found->second;
    };
    std::string conninfo = "host=" + libpqValue(value("HOST")) + " port=" + libpqValue(value("PORT")) +
                           " dbname=" + libpqValue(value("DATABASE")) + " user=" + libpqValue(value("USER"));
    if (!value("PASSWORD").empty())
        conninfo += " password=" + libpqValue(value("PASSWORD"));
    // Further options come in QtSql's form, "key=value" joined by ";".
    for (const QString &option : QString::fromStdString(value("OPTIONS")).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype equals = option.indexOf(QLatin1Char('='));
        if (equals > 0)
            conninfo += " " + option.left(equals).trimmed().toStdString() + "=" +
                        libpqValue(option.mid(equals + 1).toStdString());
    }
    return slip::Database::openPostgres(conninfo, 1);
}

// Provider parameters: [0, i] the name, [1, i] the value.
Variant providerParams(const std::vector<std::pair<std::string, std::string>> &params)
{
    if (params.empty())
        return {};
    VariantArray array(ArrayBounds{0, 1}, ArrayBounds{0, int(params.size()) - 1});
    for (std::size_t i = 0; i < params.size(); ++i) {
        array.at(0, int(i)) = Variant(params[i].first);
        array.at(1, int(i)) = Variant(params[i].second);
    }
    return Variant(std::move(array));
}

} // namespace

TKvADOConnection::TKvADOConnection(QObject *parent) : QObject(parent) {}

TKvADOConnection::~TKvADOConnection() = default;

void TKvADOConnection::Open()
{
    if (Connected())
        return;
    const std::map<std::string, std::string> pairs = slip::DirectConnectString::parse(m_connectionString);
    const auto value = [&pairs](const char *key) {
        const auto found = pairs.find(key);
        return found == pairs.end() ? std::string() : found->second;
    };
    const std::string driver = value("DRIVER");
    const std::string companyDb = value("COMPANYDB");
    if (companyDb.empty())
        throw std::runtime_error("The connection string names no company database");

    if (driver == "QSQLITE") {
        m_database = openSqlite(value("DATABASE"), companyDb);
    } else if (driver == "QPSQL") {
        m_database = openPostgres(pairs);
    } else if (driver == slip::DirectConnectString::kServerDriver) {
        if (!m_server)
            throw std::runtime_error("The connection string names the program server, and there is none");
        m_provider = value("PROVIDER");
        if (m_provider.empty())
            throw std::runtime_error("The connection string names no provider of the program server");
    } else {
        throw std::runtime_error("The connection string names no known driver: \"" + driver + "\"");
    }
    m_companyDb = companyDb;
    try {
        query("SELECT COUNT(*) FROM " + companyDb + "..MOCTE WHERE 1=0", {});
    } catch (...) {
        Close();
        throw;
    }
}

void TKvADOConnection::Close()
{
    m_database.reset();
    m_provider.clear();
    m_companyDb.clear();
}

ResultTable TKvADOConnection::query(const std::string &erpSql,
                                    const std::vector<std::pair<std::string, std::string>> &params)
{
    if (!m_provider.empty()) {
        const Variant packet = m_server->call("AS_GetRecords", {m_provider, erpSql, providerParams(params), Variant()});
        return ResultTable::fromDataPacket(packet.toText());
    }
    if (!m_database)
        throw std::runtime_error("The connection " + objectName().toStdString() + " is not open");
    const slip::SqlDialect dialect =
        m_database->engine() == slip::DbEngine::PostgreSQL ? slip::SqlDialect::PostgreSQL : slip::SqlDialect::SQLite;
    const slip::SqlTranslator translator(dialect, slip::SchemaInfo::company());
    const slip::TranslatedSql translated = translator.translate(erpSql, m_companyDb);
    slip::SqlParams values;
    for (const auto &[name, value] : params)
        values.emplace_back(name, Variant(value));
    return m_database->query(translated.text, values);
}

// ---------------------------------------------------------------- query

TKvADOQuery::TKvADOQuery(QObject *parent) : QObject(parent), m_rows(new ClientDataSet(this)) {}

TKvADOQuery::~TKvADOQuery() = default;

void TKvADOQuery::setSQL(std::string sql)
{
    m_sql = std::move(sql);
    m_params.clear();
}

void TKvADOQuery::setParam(const std::string &name, const std::string &value)
{
    for (auto &[known, text] : m_params) {
        if (QString::fromStdString(known).compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0) {
            text = value;
            return;
        }
    }
    m_params.emplace_back(name, value);
}

void TKvADOQuery::Open()
{
    if (!Connection)
        throw std::runtime_error("The query " + objectName().toStdString() + " has no connection");
    m_rows->setData(Connection->query(m_sql, m_params));
}

void TKvADOQuery::Close()
{
    m_rows->Close();
}

bool TKvADOQuery::Active() const
{
    return m_rows->Active();
}

double TKvADOQuery::FloatOf(const std::string &column) const
{
    if (!m_rows->Active())
        throw DataSetError("The query " + objectName().toStdString() + " is not open");
    if (m_rows->IsEmpty())
        return 0;
    m_rows->First();
    const ClientDataSet::Field &field = m_rows->FieldByName(column);
    return field.IsNull() ? 0 : field.AsFloat();
}

} // namespace kv
