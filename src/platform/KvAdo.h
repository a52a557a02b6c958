#pragma once
// TKvADOConnection and TKvADOQuery: the direct data connection a layout
// opens for queries of its own, from the connection string the program
// server hands out ("ResultConnectString", in kv::ConnectionString's form).
//
// - Driver=QSQLITE / QPSQL: the database is opened with QtSql, read-only,
//   and each query, written in the ERP dialect, is first handed to the
//   program server's "TranslateSql" (once per text) for the engine's SQL;
//   it then runs here with its parameters bound.
// - Driver=SLIPSERV: each query, with its parameters, goes to the named
//   provider of the program server ("AS_GetRecords").
// Either way the parameters are bound, never pasted into the SQL.

#include "platform/Dispatch.h"
#include "platform/ResultTable.h"

#include <QObject>
#include <QString>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kv {

class ClientDataSet;

class TKvADOConnection : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ConnectionString READ connectionStringProperty WRITE setConnectionStringProperty)
    Q_PROPERTY(bool Connected READ Connected)

public:
    using Params = std::vector<std::pair<std::string, std::string>>;

    explicit TKvADOConnection(QObject *parent = nullptr);
    ~TKvADOConnection() override;

    const std::string &ConnectionString() const { return m_connectionString; }
    void setConnectionString(std::string text) { m_connectionString = std::move(text); }
    bool Connected() const { return m_open; }
    // The program server the connection string came from: it translates the
    // queries, or answers them through its provider.
    void setProgramServer(DispatchPtr server) { m_server = std::move(server); }
    // Opens what the string names and proves it with a first query;
    // std::exception on any failure (unknown driver, missing file, server
    // down, no rights).
    void Open();
    void Close();

    // The company database's name ("<CompanyDB>..TABLE" in queries).
    const std::string &companyDb() const { return m_companyDb; }
    // Runs a query written in the ERP dialect with its ":NAME" parameters.
    ResultTable query(const std::string &erpSql, const Params &params);

private:
    QString connectionStringProperty() const { return QString::fromStdString(m_connectionString); }
    void setConnectionStringProperty(const QString &text) { m_connectionString = text.toStdString(); }

    void openSqlite(const std::map<std::string, std::string> &pairs);
    void openPostgres(const std::map<std::string, std::string> &pairs);
    void openDatabase();
    const std::string &engineSql(const std::string &erpSql);
    ResultTable queryDatabase(const std::string &erpSql, const Params &params);
    ResultTable queryProvider(const std::string &erpSql, const Params &params);

    std::string m_connectionString;
    std::string m_companyDb;
    DispatchPtr m_server;
    std::string m_provider;   // queries go to this provider of m_server
    QString m_databaseName;   // QtSql connection, when the database is opened here
    std::map<std::string, std::string> m_translated;
    bool m_open = false;
};

// A query on a TKvADOConnection: SQL with ":NAME" parameters, set as texts.
class TKvADOQuery : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString SQL READ sqlProperty WRITE setSqlProperty)

public:
    explicit TKvADOQuery(QObject *parent = nullptr);
    ~TKvADOQuery() override;

    TKvADOConnection *Connection = nullptr;

    const std::string &SQL() const { return m_sql; }
    void setSQL(std::string sql);
    void setParam(const std::string &name, const std::string &value);
    void Open();
    void Close();
    bool Active() const;
    // A column of the first row as a number (0 when null or missing);
    // DataSetError when the query is not open.
    double FloatOf(const std::string &column) const;

private:
    QString sqlProperty() const { return QString::fromStdString(m_sql); }
    void setSqlProperty(const QString &text) { setSQL(text.toStdString()); }

    std::string m_sql;
    TKvADOConnection::Params m_params;
    ClientDataSet *m_rows = nullptr;
};

} // namespace kv
