#include "platform/KvAdo.h"

#include "platform/ClientDataSet.h"
#include "platform/ConnectionString.h"
#include "platform/TextUtil.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <filesystem>
#include <stdexcept>

namespace kv {

namespace {

std::string valueOf(const std::map<std::string, std::string> &pairs, const char *key)
{
    const auto found = pairs.find(key);
    return found == pairs.end() ? std::string() : found->second;
}

std::runtime_error sqlFailure(const std::string &what, const QSqlError &error)
{
    return std::runtime_error(what + ": " + error.text().toStdString());
}

// Provider parameters: [0, i] the name, [1, i] the value.
Variant providerParams(const TKvADOConnection::Params &params)
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

bool isNumber(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Long: case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

// The rows of an executed query. A column is a number when every value it
// holds is one (engines type computed columns only row by row).
ResultTable readRows(QSqlQuery &query)
{
    const QSqlRecord record = query.record();
    std::vector<std::vector<QVariant>> rows;
    while (query.next()) {
        std::vector<QVariant> row;
        for (int column = 0; column < record.count(); ++column)
            row.push_back(query.value(column));
        rows.push_back(std::move(row));
    }
    ResultTable::Builder builder;
    std::vector<bool> numeric(record.count(), true);
    for (const auto &row : rows) {
        for (int column = 0; column < record.count(); ++column)
            numeric[column] = numeric[column] && (row[column].isNull() || isNumber(row[column]));
    }
    for (int column = 0; column < record.count(); ++column)
        builder.addColumn(record.fieldName(column).toUpper().toStdString(),
                          numeric[column] ? FieldType::Float : FieldType::Text);
    for (const auto &row : rows) {
        for (int column = 0; column < record.count(); ++column) {
            if (row[column].isNull())
                builder.setNull(column);
            else if (numeric[column])
                builder.setNumber(column, row[column].toDouble());
            else
                builder.setText(column, row[column].toString().toStdString());
        }
        builder.endRow();
    }
    return builder.finish();
}

} // namespace

TKvADOConnection::TKvADOConnection(QObject *parent) : QObject(parent) {}

TKvADOConnection::~TKvADOConnection()
{
    Close();
}

void TKvADOConnection::Open()
{
    if (m_open)
        return;
    const std::map<std::string, std::string> pairs = ConnectionString::parse(m_connectionString);
    const std::string driver = valueOf(pairs, "DRIVER");
    m_companyDb = valueOf(pairs, "COMPANYDB");
    if (m_companyDb.empty())
        throw std::runtime_error("The connection string names no company database");
    if (!m_server)
        throw std::runtime_error("The connection " + objectName().toStdString() + " has no program server");
    try {
        if (driver == "QSQLITE")
            openSqlite(pairs);
        else if (driver == "QPSQL")
            openPostgres(pairs);
        else if (driver == "SLIPSERV")
            m_provider = valueOf(pairs, "PROVIDER");
        else
            throw std::runtime_error("The connection string names no known driver: \"" + driver + "\"");
        if (driver == "SLIPSERV" && m_provider.empty())
            throw std::runtime_error("The connection string names no provider of the program server");
        m_open = true;
        query("SELECT COUNT(*) FROM " + m_companyDb + "..MOCTE WHERE 1=0", {});
    } catch (...) {
        Close();
        throw;
    }
}

void TKvADOConnection::openSqlite(const std::map<std::string, std::string> &pairs)
{
    // A missing file must not become a new, empty company database.
    const std::filesystem::path file = valueOf(pairs, "DATABASE");
    if (file.empty() || !std::filesystem::is_regular_file(file))
        throw std::runtime_error("The company database file " + file.string() + " does not exist");
    m_databaseName = QStringLiteral("kvado-%1").arg(quintptr(this), 0, 16);
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_databaseName);
    database.setDatabaseName(QString::fromStdString(file.string()));
    database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    openDatabase();
    // Attached, as the server attaches it, under the company database's
    // name, which the translated queries name; read-only like the main one.
    QSqlQuery attach(database);
    if (!attach.prepare(QString::fromStdString("ATTACH DATABASE ? AS " + kv::quotedWith(m_companyDb, '"'))))
        throw sqlFailure("Attaching the company database", attach.lastError());
    attach.addBindValue(QString::fromStdString(file.string()));
    if (!attach.exec())
        throw sqlFailure("Attaching the company database", attach.lastError());
}

void TKvADOConnection::openPostgres(const std::map<std::string, std::string> &pairs)
{
    m_databaseName = QStringLiteral("kvado-%1").arg(quintptr(this), 0, 16);
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_databaseName);
    database.setHostName(QString::fromStdString(valueOf(pairs, "HOST")));
    const std::string port = valueOf(pairs, "PORT");
    if (!port.empty())
        database.setPort(QString::fromStdString(port).toInt());
    database.setDatabaseName(QString::fromStdString(valueOf(pairs, "DATABASE")));
    database.setUserName(QString::fromStdString(valueOf(pairs, "USER")));
    database.setPassword(QString::fromStdString(valueOf(pairs, "PASSWORD")));
    database.setConnectOptions(QString::fromStdString(valueOf(pairs, "OPTIONS")));
    openDatabase();
}

void TKvADOConnection::openDatabase()
{
    QSqlDatabase database = QSqlDatabase::database(m_databaseName, false);
    if (!database.isValid())
        throw std::runtime_error("The QtSql driver for the company database is not installed");
    if (!database.open())
        throw sqlFailure("Opening the company database", database.lastError());
}

void TKvADOConnection::Close()
{
    m_open = false;
    m_provider.clear();
    m_companyDb.clear();
    m_translated.clear();
    if (m_databaseName.isEmpty())
        return;
    QSqlDatabase::database(m_databaseName, false).close();
    QSqlDatabase::removeDatabase(m_databaseName);
    m_databaseName.clear();
}

ResultTable TKvADOConnection::query(const std::string &erpSql, const Params &params)
{
    if (!m_open)
        throw std::runtime_error("The connection " + objectName().toStdString() + " is not open");
    return m_provider.empty() ? queryDatabase(erpSql, params) : queryProvider(erpSql, params);
}

const std::string &TKvADOConnection::engineSql(const std::string &erpSql)
{
    auto found = m_translated.find(erpSql);
    if (found == m_translated.end())
        found = m_translated.emplace(erpSql, varToStr(m_server->call("TranslateSql", {erpSql}))).first;
    return found->second;
}

ResultTable TKvADOConnection::queryDatabase(const std::string &erpSql, const Params &params)
{
    QSqlQuery query(QSqlDatabase::database(m_databaseName, false));
    query.setForwardOnly(true);
    if (!query.prepare(QString::fromStdString(engineSql(erpSql))))
        throw sqlFailure("The query of " + objectName().toStdString(), query.lastError());
    for (const auto &[name, value] : params)
        query.bindValue(QLatin1Char(':') + QString::fromStdString(name), QString::fromStdString(value));
    if (!query.exec())
        throw sqlFailure("The query of " + objectName().toStdString(), query.lastError());
    return readRows(query);
}

ResultTable TKvADOConnection::queryProvider(const std::string &erpSql, const Params &params)
{
    const Variant packet = m_server->call("AS_GetRecords", {m_provider, erpSql, providerParams(params), Variant()});
    return ResultTable::fromDataPacket(packet.toText());
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
