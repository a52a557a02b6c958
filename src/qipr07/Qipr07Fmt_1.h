#pragma once
// TfrmQipr07Fmt_1: the summary material-issue slip. With "汇总打印" the
// report data holds one row per slip, item, unit and item type (and per
// warehouse and lot when the clerk chose those), with dummy quantity
// columns; this layout fetches each row's summed quantities itself with a
// query of its own over a direct connection to the company database (the
// connection string comes from the program server), prints them and totals
// them in the footer. The header, the opening of the data, the inspection
// remark, the print count and the registration for sending are those of
// the detailed slip.
//
// ADO01 and dsdqry are that connection and its query, written in the ERP
// dialect: the company database opened from the server's connection string
// with the server's own engine classes (the query translated as the server
// translates its clients' SQL), or, when the string says so, a provider of
// the program server that answers the query with its parameters bound.

#include "platform/ResultTable.h"
#include "qipr07/Qipr07Fmt.h"

#include <QObject>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace slip {
class Database;
}

namespace kv {

class ClientDataSet;

// The line query's connection to the company database, opened from the
// connection string of "ResultConnectString": the database itself, or the
// provider of the program server the string came from (setProgramServer).
class TKvADOConnection : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ConnectionString READ connectionStringProperty WRITE setConnectionStringProperty)
    Q_PROPERTY(bool Connected READ Connected)

public:
    explicit TKvADOConnection(QObject *parent = nullptr);
    ~TKvADOConnection() override;

    const std::string &ConnectionString() const { return m_connectionString; }
    void setConnectionString(std::string text) { m_connectionString = std::move(text); }
    bool Connected() const { return m_database != nullptr || !m_provider.empty(); }
    void setProgramServer(DispatchPtr server) { m_server = std::move(server); }
    // Opens the database the string names; std::exception on any failure
    // (unknown driver, missing file, server down, unknown company).
    void Open();
    void Close();

    // The company database's name ("<CompanyDB>..TABLE" in queries).
    const std::string &companyDb() const { return m_companyDb; }
    // Runs a query written in the ERP dialect with its parameters.
    ResultTable query(const std::string &erpSql, const std::vector<std::pair<std::string, std::string>> &params);

private:
    QString connectionStringProperty() const { return QString::fromStdString(m_connectionString); }
    void setConnectionStringProperty(const QString &text) { m_connectionString = text.toStdString(); }

    std::string m_connectionString;
    std::string m_companyDb;
    std::unique_ptr<slip::Database> m_database;
    DispatchPtr m_server;
    std::string m_provider; // queries go to this provider of m_server
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
    std::vector<std::pair<std::string, std::string>> m_params;
    ClientDataSet *m_rows = nullptr;
};

class TfrmQipr07Fmt_1 : public TfrmQipr07Fmt {
    Q_OBJECT

public:
    explicit TfrmQipr07Fmt_1(QWidget *owner = nullptr);
    ~TfrmQipr07Fmt_1() override;

    // --- components
    TKvADOConnection *ADO01 = nullptr;
    TKvADOQuery *dsdqry = nullptr;

    // --- header and line fields of the summary
    TKVQRDBText *txtUDF01M = nullptr;
    TKVQRDBText *txtTE004 = nullptr;
    TKVQRDBText *txtTE017 = nullptr;
    TKVQRDBText *txtTE018 = nullptr;
    TKVQRDBText *txtTE006 = nullptr;
    TKVQRDBText *txtTE008 = nullptr;
    TKVQRDBText *txtCMSMC002 = nullptr;
    TKVQRDBText *txtTE010 = nullptr;
    TKVQRDBText *txtTE023 = nullptr;
    TKVQRDBText *txtTEC01 = nullptr;

    // --- running totals of the line query
    double IssueQtyTotal = 0;  // TE005, issue quantity
    double IssuePackTotal = 0; // TE021, issue packing quantity

    // The summed quantities of the current report row; false (after the
    // message) when the company database cannot be reached.
    virtual bool QueryLineTotals();
    // The SQL of the line query for the columns the report data has.
    std::string LineTotalsSql() const;

    void txtHyphenPrint(QObject *sender, EventArgs &args) override;
    void txtTE005C1Print(QObject *sender, EventArgs &args) override;
    void txtTE021C1Print(QObject *sender, EventArgs &args) override;
    void txtTE005Print(QObject *sender, EventArgs &args);
    void txtTE008Print(QObject *sender, EventArgs &args);
    void txtCMSMC002Print(QObject *sender, EventArgs &args);
    void txtTE010Print(QObject *sender, EventArgs &args);
    void txtTE023Print(QObject *sender, EventArgs &args);

    // The summary has no extension fields.
    void BeforeDesign() override;

protected:
    void QuickRep1BeforePrint(ReportPrintArgs &args) override;
    void QRDetailBandBeforePrint(BandPrintArgs &args) override;
    void resetRunningTotals() override;

private:
    void buildSummaryLines();
    void buildSummaryFooter();
    bool connectLineQuery();
    // A column's text when the report data has `present`, else empty.
    std::string textIfColumn(const char *present, const char *column) const;
    void convertForDisplay(EventArgs &args) const;

    bool m_lineQueryFailed = false;
};

} // namespace kv
