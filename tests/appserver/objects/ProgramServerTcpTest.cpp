// The program server behind the slipserv daemon: clients reach it by program
// id over loop-back TCP, as the report does when its server address is not
// 127.0.0.1. Several clients at once, each on its own connection and thread.
#include "ProgramServerTestSupport.h"

#include "net/SlipServer.h"
#include "objects/ServerObjects.h"
#include "platform/ClientDataSet.h"
#include "lib/LibStrs.h"
#include "platform/RemoteConnection.h"

#include <gmock/gmock.h>

#include <thread>

namespace {

using kv::Variant;
using kv::varArrayOf;
using testing::HasSubstr;

const char *const kToken = "tcp-test-token";

class ProgramServerTcpTest : public hostdatatest::HostDataTest {
protected:
    void SetUp() override
    {
        HostDataTest::SetUp();
        if (IsSkipped())
            return;
        slip::registerServerObjects(database, programservertest::configFor(*env, GetParam()));
        slip::SlipServerConfig config;
        config.accessToken = kToken;
        config.port = 0;
        daemon = std::make_unique<slip::SlipServer>(config);
        daemon->start();
    }

    void TearDown() override
    {
        if (daemon)
            daemon->stop();
        slip::unregisterServerObjects();
        HostDataTest::TearDown();
    }

    // A client's connection and its program server, connected to the company.
    struct Client {
        std::shared_ptr<kv::RemoteConnection> connection;
        kv::DispatchPtr server;
    };
    Client client(const std::string &user)
    {
        kv::RemoteConnectionOptions options;
        options.port = daemon->port();
        options.token = kToken;
        Client c{kv::RemoteConnection::open(options), nullptr};
        c.server = c.connection->createObject("Slipserv.Class1");
        c.server->call("Connect", {programservertest::connectArgs(company, user)});
        return c;
    }

    static std::string saveSet(kv::Dispatch &server, const std::string &user, const std::string &name)
    {
        return server.call("InsertConTable",
                           {varArrayOf({"edtTC001.text;", user, "20240301", "QIPR07", name, name + "\r\n", false})})
            .toText();
    }

    std::unique_ptr<slip::SlipServer> daemon;
};

TEST_P(ProgramServerTcpTest, TwoClientsShareConditionSetsLayoutsPrintCountsAndTheSendLog)
{
    insert("MOCTC", {{"TC001", "5401"}, {"TC002", "001"}, {"TC010", 0}});
    Client a = client("0001");
    Client b = client("0001");

    EXPECT_EQ(saveSet(*a.server, "0001", "共用"), "");
    kv::ClientDataSet sets;
    sets.setRemoteServer(b.server);
    sets.setProviderName("pvdConSave");
    b.server->call("LoadTable", {varArrayOf({"0001", "QIPR07"})});
    sets.Open();
    ASSERT_EQ(sets.RecordCount(), 1);
    EXPECT_EQ(sets.FieldByName("NCONDITION").AsString(), "共用");

    // A layout saved by one client is read, with its version, by the other.
    Variant lines = varArrayOf({"object txtNew: TKVQRDBText", "end"});
    Variant size;
    EXPECT_EQ(a.server->call("RunInsUpdSQL", {false, Variant::ref(lines),
                                              varArrayOf({"01", "0001", "G1", "TfrmQipr07Fmt", "共用", "", ""}),
                                              Variant::ref(size)}),
              Variant(1));
    EXPECT_EQ(size, Variant(std::int64_t(0)));
    Variant stored;
    EXPECT_EQ(b.server->call("GetBlobField", {varArrayOf({"TfrmQipr07Fmt", "共用"}), Variant::ref(stored)}), Variant(1));
    EXPECT_EQ(stored, varArrayOf({"1", "object txtNew: TKVQRDBText\nend"}));

    const Variant count = varArrayOf({"$$MOCTC", "TC010", "TC001='5401' and TC002='001'"});
    a.server->call("UpdatePrintCount", {count});
    b.server->call("UpdatePrintCount", {count});
    const std::string log = "INSERT INTO $$ADMTA (COMPANY,CREATOR,USR_GROUP,CREATE_DATE,FLAG,TA001,TA002,TA003,TA004,"
                            "TA005,TA006) VALUES('01','0001','G1','20240301','1','QIPR07','S01','Y','ok','10:00:00',"
                            "'20240301')";
    a.server->call("RunFreeSQL", {log});
    b.server->call("RunFreeSQL", {log});
    EXPECT_EQ(a.server->call("RunFreeSQL", {"SELECT * FROM $$ADMTA WHERE TA002='S01'"}).toInt(), 2);
    EXPECT_EQ(db().query("SELECT TC010 FROM " + env->table(company, "MOCTC")).integer(0, 0), 2);
}

// A report's records reach the client over TCP and in-process as the same
// table: every cell's kind and value, nulls included.
TEST_P(ProgramServerTcpTest, RecordsOverTcpAndInProcessAreTheSameTable)
{
    for (int line = 0; line < 240; ++line)
        insert("MOCTC", {{"TC001", line % 3 ? "5401" : "领料"}, {"TC002", kv::ZeroATfirst(line, 3)}, {"TC010", line}});
    const std::string sql = "SELECT TC001, TC002, TC010, TC010 * 0.25 AS QUARTER, "
                            "CASE WHEN TC010 % 4 = 0 THEN NULL ELSE TC002 END AS SOMETIMES FROM MOCTC ORDER BY TC002";
    const auto fetch = [&](const kv::DispatchPtr &server) {
        kv::ClientDataSet records;
        records.setRemoteServer(server);
        records.setProviderName("pvdMain");
        records.DataRequest(Variant(sql));
        records.Open();
        return records.Data();
    };
    Client remote = client("0001");
    const kv::DispatchPtr local = kv::createOleObject("Slipserv.Class1");
    local->call("Connect", {programservertest::connectArgs(company, "0001")});
    const kv::ResultTable overTcp = fetch(remote.server);
    const kv::ResultTable inProcess = fetch(local);

    ASSERT_EQ(overTcp.rowCount(), 240);
    ASSERT_EQ(overTcp.columnCount(), 5);
    ASSERT_EQ(inProcess.rowCount(), overTcp.rowCount());
    ASSERT_EQ(inProcess.columnCount(), overTcp.columnCount());
    for (int column = 0; column < overTcp.columnCount(); ++column) {
        EXPECT_EQ(inProcess.columnName(column), overTcp.columnName(column));
        EXPECT_EQ(inProcess.columnType(column), overTcp.columnType(column)) << overTcp.columnName(column);
        for (int row = 0; row < overTcp.rowCount(); ++row)
            ASSERT_EQ(inProcess.value(row, column), overTcp.value(row, column)) << row << ", " << column;
    }
    EXPECT_TRUE(overTcp.isNull(0, 4));
    EXPECT_EQ(overTcp.text(1, 4), "001");
    EXPECT_EQ(overTcp.text(0, 0), "领料");
    EXPECT_EQ(overTcp.number(3, 3), 0.75);
}

TEST_P(ProgramServerTcpTest, EightClientsSavingConditionSetsAtOnceLoseNone)
{
    constexpr int kClients = 8, kSets = 10;
    std::vector<std::thread> threads;
    std::vector<std::string> failures(kClients);
    for (int i = 0; i < kClients; ++i) {
        threads.emplace_back([&, i] {
            try {
                const std::string user = "U" + std::to_string(i);
                Client c = client(user);
                for (int n = 0; n < kSets; ++n) {
                    const std::string reply = saveSet(*c.server, user, "方案" + std::to_string(n));
                    if (!reply.empty())
                        failures[i] += reply + "; ";
                }
            } catch (const std::exception &error) {
                failures[i] += error.what();
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    for (const std::string &failure : failures)
        EXPECT_EQ(failure, "");
    const kv::ResultTable saved = db().query("SELECT CREATOR, COUNT(*) FROM " + env->table(company, "GENES") +
                                             " GROUP BY CREATOR ORDER BY CREATOR");
    ASSERT_EQ(saved.rowCount(), kClients);
    for (int i = 0; i < kClients; ++i)
        EXPECT_EQ(saved.integer(i, 1), kSets) << saved.text(i, 0);
}

TEST_P(ProgramServerTcpTest, BadSqlGetsAClearErrorReplyAndTheDaemonKeepsServing)
{
    Client a = client("0001");
    try {
        a.server->call("RunFreeSQL", {"DELETE $$ADMTA WHERE"});
        FAIL() << "bad SQL was accepted";
    } catch (const kv::DispatchError &error) {
        EXPECT_THAT(error.what(), HasSubstr("RunFreeSQL"));
        EXPECT_THAT(error.what(), HasSubstr("position"));
    }
    EXPECT_THROW(a.server->call("AS_GetRecords", {"pvdMain", "", Variant(), "SELECT NOPE FROM $$ADMTA"}),
                 kv::DispatchError);
    EXPECT_EQ(a.server->call("RunFreeSQL", {"SELECT * FROM $$ADMTA"}), Variant(std::int64_t(0)));
    Client b = client("0002");
    EXPECT_EQ(saveSet(*b.server, "0002", "之后"), "");
}

DBTEST_ON_BOTH_ENGINES(ProgramServerTcpTest);

} // namespace
