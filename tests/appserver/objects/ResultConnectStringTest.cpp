// What ResultConnectString hands a client that reads company tables itself
// (the summary slip's line query): a client in another process never gets
// the server's file paths, and no client gets credentials that can write.
// Such a client reads through a provider, with its parameters bound, or as
// a PostgreSQL role that may only read the line table.
#include "ProgramServerTestSupport.h"

#include "db/PgConnInfo.h"
#include "platform/ConnectionString.h"
#include "platform/KvAdo.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gmock/gmock.h>

namespace {

using kv::Variant;
using kv::varArrayOf;
using testing::HasSubstr;
using testing::Not;

// The summary's line query, as the layout writes it.
std::string lineQuery(const std::string &companyDb)
{
    return "SELECT isnull(SUM(TE005),0) TE005, ISNULL(SUM(TE021),0) TE021 FROM " + companyDb +
           "..MOCTE WHERE 1=1 and TE004=:TE004 AND TE006=:TE006 AND TE001=:TE001 AND TE002=:TE002 AND TEC01=:TEC01";
}

Variant lineParams(const std::string &slipNumber)
{
    kv::VariantArray params(kv::ArrayBounds{0, 1}, kv::ArrayBounds{0, 4});
    const std::pair<const char *, std::string> values[] = {
        {"TE004", "A-01"}, {"TE006", "PCS"}, {"TE001", "5401"}, {"TE002", slipNumber}, {"TEC01", "2"}};
    for (int i = 0; i < 5; ++i) {
        params.at(0, i) = Variant(values[i].first);
        params.at(1, i) = Variant(values[i].second);
    }
    return Variant(std::move(params));
}

class ResultConnectStringTest : public programservertest::ProgramServerTest {
protected:
    void SetUp() override
    {
        ProgramServerTest::SetUp();
        if (IsSkipped())
            return;
        for (const auto &[number, line, quantity] :
             {std::tuple{"001", "0001", 2.5}, std::tuple{"001", "0002", 1.5}, std::tuple{"002", "0001", 4.0}})
            insert("MOCTE", {{"TE001", "5401"}, {"TE002", number}, {"TE003", line}, {"TE004", "A-01"},
                             {"TE006", "PCS"}, {"TEC01", "2"}, {"TE005", quantity}});
    }

    // A program server of these settings, connected to the test company.
    std::shared_ptr<slip::ProgramServer> serverWith(slip::ServerConfig config)
    {
        auto other = std::make_shared<slip::ProgramServer>(database, std::move(config));
        std::vector<Variant> args{programservertest::connectArgs(company)};
        other->invoke("Connect", args, kv::InvokeKind::Method);
        return other;
    }
    static std::string connectString(slip::ProgramServer &target)
    {
        std::vector<Variant> args{varArrayOf({""})};
        return target.invoke("ResultConnectString", args, kv::InvokeKind::Method).toText();
    }
    slip::ServerConfig remoteConfig() const
    {
        slip::ServerConfig config = programservertest::configFor(*env, GetParam());
        config.remoteClients = true;
        return config;
    }
};

TEST_P(ResultConnectStringTest, WithoutAReadOnlyRoleARemoteClientQueriesThroughTheProviderWithBoundParameters)
{
    slip::ServerConfig config = remoteConfig();
    config.readerConnInfo.clear();
    auto remote = serverWith(config);
    const std::string text = connectString(*remote);
    EXPECT_THAT(text, Not(HasSubstr(env->dir.path().toStdString())));
    if (const char *admin = dbtest::pgConnInfo()) {
        EXPECT_THAT(text, Not(HasSubstr(slip::PgConnInfo(admin).password())));
    }
    const auto parts = kv::ConnectionString::parse(text);
    EXPECT_EQ(parts.at("DRIVER"), "SLIPSERV");
    EXPECT_EQ(parts.at("COMPANYDB"), company);
    EXPECT_EQ(parts.count("DATABASE") + parts.count("USER") + parts.count("PASSWORD"), 0u);

    std::vector<Variant> args{parts.at("PROVIDER"), lineQuery(company), lineParams("001"), Variant()};
    kv::ResultTable sums = programservertest::tableOf(remote->invoke("AS_GetRecords", args, kv::InvokeKind::Method));
    ASSERT_EQ(sums.rowCount(), 1);
    EXPECT_DOUBLE_EQ(sums.value(0, 0).toDouble(), 4.0);
    // A value is a value, never SQL.
    args = {parts.at("PROVIDER"), lineQuery(company), lineParams("001' OR '1'='1"), Variant()};
    sums = programservertest::tableOf(remote->invoke("AS_GetRecords", args, kv::InvokeKind::Method));
    EXPECT_DOUBLE_EQ(sums.value(0, 0).toDouble(), 0.0);
}

TEST_P(ResultConnectStringTest, TheReadOnlyRoleReadsTheLineTableAndCannotWriteOrReadMore)
{
    if (GetParam() != slip::DbEngine::PostgreSQL)
        GTEST_SKIP() << "a PostgreSQL role";
    const std::string text = connectString(*serverWith(remoteConfig()));
    EXPECT_THAT(text, Not(HasSubstr(slip::PgConnInfo(dbtest::pgConnInfo()).password())));
    const auto parts = kv::ConnectionString::parse(text);
    ASSERT_EQ(parts.at("DRIVER"), "QPSQL");
    EXPECT_EQ(parts.at("USER"), "qipr07_reader");

    const std::string schema = "\"" + parts.at("SCHEMA") + "\".";
    {
        QSqlDatabase direct = QSqlDatabase::addDatabase("QPSQL", "reader");
        direct.setHostName(QString::fromStdString(parts.at("HOST")));
        direct.setPort(std::stoi(parts.at("PORT")));
        direct.setDatabaseName(QString::fromStdString(parts.at("DATABASE")));
        direct.setUserName(QString::fromStdString(parts.at("USER")));
        direct.setPassword(QString::fromStdString(parts.at("PASSWORD")));
        ASSERT_TRUE(direct.open()) << direct.lastError().text().toStdString();
        QSqlQuery sql(direct);
        ASSERT_TRUE(sql.exec(QString::fromStdString("SELECT SUM(TE005) FROM " + schema + "MOCTE")))
            << sql.lastError().text().toStdString();
        ASSERT_TRUE(sql.next());
        EXPECT_DOUBLE_EQ(sql.value(0).toDouble(), 8.0);
        for (const std::string &refused : std::vector<std::string>{
                 "INSERT INTO " + schema + "MOCTE (TE001, TE002, TE003) VALUES ('5401', '009', '0001')",
              "UPDATE " + schema + "MOCTE SET TE005 = 0", "DELETE FROM " + schema + "MOCTE",
              "SELECT COUNT(*) FROM " + schema + "MOCTC", "SELECT COUNT(*) FROM " + schema + "GENES",
              "CREATE TABLE " + schema + "STOLEN (X INT)", "CREATE TEMPORARY TABLE STOLEN (X INT)",
              "CREATE SCHEMA stolen"}) {
            EXPECT_FALSE(sql.exec(QString::fromStdString(refused))) << refused;
            EXPECT_THAT(sql.lastError().text().toStdString(), HasSubstr("permission denied")) << refused;
        }
        direct.close();
    }
    QSqlDatabase::removeDatabase("reader");
    EXPECT_DOUBLE_EQ(db().query("SELECT SUM(TE005) FROM " + env->table(company, "MOCTE")).value(0, 0).toDouble(),
                     8.0);
}

TEST_P(ResultConnectStringTest, ARoleThatCouldDoMoreThanReadIsNeverHandedOut)
{
    if (GetParam() != slip::DbEngine::PostgreSQL)
        GTEST_SKIP() << "a PostgreSQL role";
    const auto refusal = [this](const std::string &readerConnInfo) {
        slip::ServerConfig config = remoteConfig();
        config.readerConnInfo = readerConnInfo;
        auto remote = serverWith(config);
        try {
            const std::string text = connectString(*remote);
            return "handed out: " + text;
        } catch (const kv::DispatchError &error) {
            return std::string(error.what());
        }
    };
    // The server's own role.
    EXPECT_THAT(refusal(dbtest::pgConnInfo()), HasSubstr("server's own role"));
    EXPECT_THAT(refusal("host=127.0.0.1 dbname=qipr07_test user=qipr07_nobody password=x"),
                HasSubstr("does not exist"));
    // A reader that someone gave a write right.
    const std::string lines = env->table(company, "MOCTE");
    ASSERT_THAT(refusal(dbtest::pgReaderConnInfo()), HasSubstr("QPSQL"));
    db().execute("GRANT UPDATE ON " + lines + " TO qipr07_reader");
    EXPECT_THAT(refusal(dbtest::pgReaderConnInfo()), HasSubstr("may do more than read"));
    db().execute("REVOKE UPDATE ON " + lines + " FROM qipr07_reader");
    db().execute("GRANT SELECT ON " + env->table(company, "MOCTC") + " TO qipr07_reader");
    EXPECT_THAT(refusal(dbtest::pgReaderConnInfo()), HasSubstr("table moctc"));
}

// A client of the in-process server opens the database from the string
// itself (QtSql), its query written for the engine by the server; what it
// opens reads and cannot write.
TEST_P(ResultConnectStringTest, TheHandedConnectionRunsTheLineQueryAndCannotWrite)
{
    auto server = serverWith(programservertest::configFor(*env, GetParam()));
    kv::TKvADOConnection connection;
    connection.setConnectionString(connectString(*server));
    connection.setProgramServer(server);
    connection.Open();
    ASSERT_TRUE(connection.Connected());
    const kv::TKvADOConnection::Params params{
        {"TE004", "A-01"}, {"TE006", "PCS"}, {"TE001", "5401"}, {"TE002", "001"}, {"TEC01", "2"}};
    kv::ResultTable sums = connection.query(lineQuery(company), params);
    ASSERT_EQ(sums.rowCount(), 1);
    EXPECT_DOUBLE_EQ(sums.value(0, 0).toDouble(), 4.0);
    kv::TKvADOConnection::Params injected = params;
    injected[3].second = "001' OR '1'='1";
    EXPECT_DOUBLE_EQ(connection.query(lineQuery(company), injected).value(0, 0).toDouble(), 0.0);

    EXPECT_THROW(connection.query("UPDATE " + company + "..MOCTE SET TE005 = 0", {}), std::runtime_error);
    connection.Close();
    EXPECT_FALSE(connection.Connected());
    EXPECT_DOUBLE_EQ(db().query("SELECT SUM(TE005) FROM " + env->table(company, "MOCTE")).value(0, 0).toDouble(),
                     8.0);
}

DBTEST_ON_BOTH_ENGINES(ResultConnectStringTest);

} // namespace
