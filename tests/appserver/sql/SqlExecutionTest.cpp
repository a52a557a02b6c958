// Translated statements run on the real engines: SQLite with the company file
// attached under the company database name, and PostgreSQL with one schema
// per company database when QIPR07_PG_CONNINFO names a server.
#include "sql/SqlTranslator.h"

#include "ErpQueries.h"
#include "TestCatalog.h"

#include "support/PgTestConnection.h"

#include <QCoreApplication>
#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace {

using slip::SqlDialect;
using slip::SqlTranslator;
using namespace slip::test;

using Row = std::vector<QVariant>;
using Params = std::map<std::string, QString>;

int g_connections = 0;

class SqlExecutionTest : public testing::TestWithParam<SqlDialect> {
protected:
    void SetUp() override
    {
        m_connection = QString("sqlexec%1").arg(++g_connections);
        if (GetParam() == SqlDialect::SQLite)
            openSqlite();
        else
            openPostgres();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const std::string &ddl : m_catalog.ddl("\"" + schemaName() + "\"."))
            run(QString::fromStdString(ddl));
        fillDemoRows();
    }

    void TearDown() override
    {
        if (m_db.isOpen() && GetParam() == SqlDialect::PostgreSQL)
            run(QString::fromStdString("DROP SCHEMA \"" + schemaName() + "\" CASCADE"));
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }

    void openSqlite()
    {
        ASSERT_TRUE(m_dir.isValid());
        m_companyDb = "Demo01";
        m_db = QSqlDatabase::addDatabase("QSQLITE", m_connection);
        m_db.setDatabaseName(":memory:");
        ASSERT_TRUE(m_db.open()) << m_db.lastError().text().toStdString();
        run("ATTACH DATABASE '" + m_dir.filePath("demo01.db") + "' AS \"Demo01\"");
    }

    // Mixed case on purpose: the schema is its lower-case form.
    void openPostgres()
    {
        if (!kvtest::pgConnInfo())
            GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set";
        m_companyDb = "Sql_H1_" + std::to_string(QCoreApplication::applicationPid()) + "_"
            + std::to_string(g_connections);
        m_db = kvtest::openPgTestConnection(m_connection);
        ASSERT_TRUE(m_db.isOpen());
        run("SET client_min_messages TO WARNING"); // no notices about the dropped tables
        run(QString::fromStdString("CREATE SCHEMA \"" + schemaName() + "\""));
    }

    std::string schemaName() const
    {
        return GetParam() == SqlDialect::SQLite ? m_companyDb : slip::SqlNames::lowerAscii(m_companyDb);
    }

    void run(const QString &sql)
    {
        QSqlQuery query(m_db);
        ASSERT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
    }

    // Translates, binds the named parameters and runs; returns every row.
    std::vector<Row> erp(const std::string &erpSql, const Params &params = {})
    {
        const slip::TranslatedSql sql = SqlTranslator(GetParam(), m_catalog).translate(erpSql, m_companyDb);
        QSqlQuery query(m_db);
        std::vector<Row> rows;
        if (!query.prepare(QString::fromStdString(sql.text))) {
            ADD_FAILURE() << sql.text << ": " << query.lastError().text().toStdString();
            return rows;
        }
        for (const std::string &name : sql.parameters)
            query.bindValue(QString::fromStdString(":" + name), params.at(name));
        if (!query.exec()) {
            ADD_FAILURE() << sql.text << ": " << query.lastError().text().toStdString();
            return rows;
        }
        while (query.next()) {
            Row row;
            for (int i = 0; i < query.record().count(); ++i)
                row.push_back(query.value(i));
            rows.push_back(row);
        }
        return rows;
    }

    void fillDemoRows()
    {
        erp("INSERT INTO $$MOCTC (TC001, TC002, TC003, TC009, TC015) VALUES ('A110', '0001', '20240105', 'Y', 'U01'), "
            "('A110', '0002', '20240106', 'N', 'U02')");
        erp("INSERT INTO $$MOCTE (TE001,TE002,TE003,TE004,TE005,TE006,TE008,TE010,TE021,TEC01) VALUES "
            "('A110','0001','0001','ITEM-1',10.5,'PCS','W01','LOT1',2,'1'), "
            "('A110','0001','0002','ITEM-1',4.5,'PCS','W01','LOT2',1,'1'), "
            "('A110','0001','0003','ITEM-2',7,'KG','W02','LOT1',0,'1')");
        erp("INSERT INTO $$INVME (ME001, ME002, ME017, ME018, ME019) VALUES ('ITEM-1', 'LOT1', 'R01', '0005', '0001')");
        erp("INSERT INTO $$QMSTA (TA001,TA002,TA003,TA026,TA027) VALUES ('R01','0005','0001','20240110',N'甲'), "
            "('R01','0005','0001','20240101',N'乙')");
        erp("INSERT INTO $$QMSTD (TD001,TD002,TD003,TD026,TD027) VALUES ('R01','0005','0001','20240120',N'丙')");
        erp("INSERT INTO $$QMSTG (TG001,TG002,TG003,TG026,TG027) VALUES ('R01','0005','0001','20231231',N'丁'), "
            "('R01','0005','0009','20991231',N'别的')");
        erp("INSERT INTO $$ADMMF (MF001, MF002) VALUES ('U01', N'王小明')");
    }

    TestCatalog m_catalog;
    QTemporaryDir m_dir;
    QString m_connection;
    QSqlDatabase m_db;
    std::string m_companyDb;
};

// TOP 1 takes one of the two QMSTA remarks; ORDER BY sorts the whole union.
TEST_P(SqlExecutionTest, InspectionRemarkUnion)
{
    for (const std::string &prefix : {std::string("$$"), m_companyDb + ".."}) {
        const std::vector<Row> rows = erp(inspectionRemarkSql(prefix, "R01", "0005", "0001"));
        ASSERT_EQ(rows.size(), 3u) << prefix;
        EXPECT_EQ(rows[0][0].toString(), "20240120");
        EXPECT_EQ(rows[0][1].toString(), "丙");
        EXPECT_TRUE(rows[1][1].toString() == "甲" || rows[1][1].toString() == "乙");
        EXPECT_EQ(rows[2][1].toString(), "丁");
    }
    EXPECT_TRUE(erp(inspectionRemarkSql("$$", "R01", "0005", "0404")).empty());
}

TEST_P(SqlExecutionTest, LineTotalsWithNamedParameters)
{
    Params params{{"TE004", "ITEM-1"}, {"TE006", "PCS"}, {"TE001", "A110"}, {"TE002", "0001"},
                  {"TEC01", "1"},      {"TE008", "W01"}, {"TE010", "LOT1"}};
    std::vector<Row> rows = erp(lineTotalsSql(m_companyDb, true, true), params);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0][0].toDouble(), 10.5);
    EXPECT_DOUBLE_EQ(rows[0][1].toDouble(), 2);

    rows = erp(lineTotalsSql(m_companyDb, false, false), params);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0][0].toDouble(), 15);
    EXPECT_DOUBLE_EQ(rows[0][1].toDouble(), 3);

    params["TE004"] = "NO-SUCH";
    rows = erp(lineTotalsSql(m_companyDb, false, false), params);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].toString(), "0");
}

// The lot text joins three texts; a line without its lot row gives NULL, as
// the ERP's engine would. $$ in two cases reaches the one table.
TEST_P(SqlExecutionTest, JoinedTextsAndTablesInAnyCase)
{
    const std::vector<Row> rows = erp(
        "SELECT TE003, INVME.ME017+'-'+INVME.ME018+'-'+INVME.ME019 AS ME017C, A.MF002 + N'（' + TC015 + N'）' "
        "FROM $$MOCTC AS MOCTC LEFT JOIN $$mocte AS MOCTE ON TC001=TE001 AND TC002=TE002 "
        "LEFT JOIN $$INVME AS INVME ON INVME.ME001=TE004 AND INVME.ME002=TE010 "
        "LEFT JOIN $$Admmf AS A ON TC015=A.MF001 WHERE TC002 = '0001' ORDER BY TE003");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1].toString(), "R01-0005-0001");
    EXPECT_TRUE(rows[1][1].isNull());
    EXPECT_EQ(rows[0][2].toString(), "王小明（U01）");
}

// CMSMB and INVMB both have MB001; the first join's condition means the
// table joined so far, as it does in the ERP's engine.
TEST_P(SqlExecutionTest, JoinConditionSeesTheTablesJoinedSoFar)
{
    erp("INSERT INTO $$CMSMB (MB001, MB002) VALUES ('PCS', N'个'), ('ITEM-1', N'单位')");
    erp("INSERT INTO $$INVMB (MB001, MB002) VALUES ('ITEM-1', N'螺栓'), ('PCS', N'品号')");
    const std::vector<Row> rows = erp(
        "SELECT TE003, CMSMB.MB002, INVMB.MB002 FROM $$MOCTE AS MOCTE LEFT JOIN $$CMSMB AS CMSMB ON TE006=MB001 "
        "LEFT JOIN $$INVMB AS INVMB ON TE004=INVMB.MB001 ORDER BY TE003");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1].toString(), "个");
    EXPECT_EQ(rows[0][2].toString(), "螺栓");
    EXPECT_EQ(rows[1][1].toString(), "个");
    EXPECT_TRUE(rows[2][1].isNull());
    EXPECT_TRUE(rows[2][2].isNull());
}

TEST_P(SqlExecutionTest, ColumnLengthQuery)
{
    std::vector<Row> rows = erp(kLayoutNameLengthSql);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].toInt(), 20);
    EXPECT_TRUE(erp("select col.length from syscolumns col inner join sysobjects obj on obj.id=col.id "
                    "where obj.name = 'WARRANT' AND col.name ='NOSUCH'")
                    .empty());
}

TEST_P(SqlExecutionTest, PrintCountSendLogAndDelete)
{
    for (int i = 0; i < 2; ++i)
        erp("UPDATE $$MOCTC SET TC010=TC010+1 WHERE TC001='A110' and TC002='0001'");
    std::vector<Row> rows = erp("SELECT TC002, TC010 FROM $$MOCTC ORDER BY TC002");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1].toInt(), 2);
    EXPECT_EQ(rows[1][1].toInt(), 0);

    erp("INSERT INTO $$ADMTA (COMPANY,CREATOR,USR_GROUP,CREATE_DATE,FLAG,TA001,TA002,TA003,TA004,TA005,TA006) "
        "VALUES('C01','U01','G1','20240105','1','QIPR07','S01|0755-1234','N','S01|Not assign fax number!',"
        "'10:30:00','20240105')");
    rows = erp("SELECT TA004, TA005 FROM $$ADMTA WHERE TA003 = 'N'");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].toString(), "S01|Not assign fax number!");
    EXPECT_EQ(rows[0][1].toString(), "10:30:00");

    erp("DELETE FROM $$MOCTE WHERE TE004 LIKE 'item%' AND TE010 IN ('LOT2') AND TE005 BETWEEN 4 AND 5");
    EXPECT_EQ(erp("SELECT COUNT(*) FROM $$MOCTE")[0][0].toInt(), 2);
}

// The functions and LIKE behave as the ERP's engine does on both engines.
TEST_P(SqlExecutionTest, FunctionsAndMatching)
{
    const std::vector<Row> rows = erp(
        "SELECT LEN('ab  '), CONVERT(VARCHAR(8), GETDATE(), 112), SUBSTRING('ABCDEF', 2, 3), RIGHT('ABC', 5), "
        "RIGHT('ABC', 2), LEFT('ABC', 2), CHARINDEX('C', 'ABC'), CAST('ab' AS CHAR(4)) + '|', "
        "CONVERT(VARCHAR(3), 'ABCDE'), CASE WHEN 1 = 1 THEN 'y' ELSE 'n' END");
    ASSERT_EQ(rows.size(), 1u);
    const Row &r = rows[0];
    EXPECT_EQ(r[0].toInt(), 2);
    EXPECT_EQ(r[1].toString(), QDate::currentDate().toString("yyyyMMdd"));
    EXPECT_EQ(r[2].toString(), "BCD");
    EXPECT_EQ(r[3].toString(), "ABC");
    EXPECT_EQ(r[4].toString(), "BC");
    EXPECT_EQ(r[5].toString(), "AB");
    EXPECT_EQ(r[6].toInt(), 3);
    EXPECT_EQ(r[7].toString(), "ab  |");
    EXPECT_EQ(r[8].toString(), "ABC");
    EXPECT_EQ(r[9].toString(), "y");

    erp("INSERT INTO $$ADMMF (MF001, MF002) VALUES ('U9', 'a\\b_c')");
    EXPECT_EQ(erp("SELECT COUNT(*) FROM $$MOCTC WHERE TC001 LIKE 'a1%'")[0][0].toInt(), 2);
    EXPECT_EQ(erp("SELECT MF001 FROM $$ADMMF WHERE MF002 LIKE 'A\\B%'").size(), 1u);
    EXPECT_EQ(erp("SELECT MF001 FROM $$ADMMF WHERE MF002 LIKE '%!_%' ESCAPE '!'").size(), 1u);
    EXPECT_EQ(erp("SELECT TE003 FROM $$MOCTE WHERE TE005 LIKE '10%'").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Engines, SqlExecutionTest, testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return info.param == SqlDialect::SQLite ? "SQLite" : "PostgreSQL";
                         });

} // namespace
