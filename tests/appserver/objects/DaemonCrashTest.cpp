// slipserv killed without warning in the middle of its clients' writes:
// condition-set saves, layout saves and print counts from four clients at
// once, the daemon killed with SIGKILL at a random moment, restarted, five
// times over. Every write a client was told had succeeded is there
// afterwards, whole; of the one write each client had in flight, there is
// all or nothing; and the SQLite file passes its integrity check.
#include "ProgramServerTestSupport.h"

#include "platform/RemoteConnection.h"
#include "support/SlipDaemonProcess.h"

#include <QFileInfo>
#include <QProcess>

#include <atomic>
#include <iostream>
#include <map>
#include <random>
#include <thread>


namespace {

using kv::Variant;
using kv::varArrayOf;

const char *const kToken = "crash-test-token";

// What one client was told had been stored, and what it had in flight.
struct Acknowledged {
    std::map<std::string, std::string> sets;    // name -> value
    std::map<std::string, std::string> layouts; // name -> line
    int counts = 0;
    std::string pendingSet, pendingLayout;
    bool pendingCount = false;
};

class DaemonCrashTest : public hostdatatest::HostDataTest {
protected:
    void SetUp() override
    {
        HostDataTest::SetUp();
        if (IsSkipped())
            return;
        if (!QFileInfo::exists(kvtest::SlipDaemonProcess::program()))
            GTEST_SKIP() << "slipserv is not built";
        m_daemon = std::make_unique<kvtest::SlipDaemonProcess>("[Slipserv]\nAccessToken=" + std::string(kToken) +
                                                               "\n" + env->daemonSettings());
        for (int client = 0; client < kClients; ++client)
            insert("MOCTC", {{"TC001", "5401"}, {"TC002", slipOf(client)}, {"TC010", 0}});
    }
    void TearDown() override
    {
        stopDaemon();
        HostDataTest::TearDown();
    }

    static constexpr int kClients = 4;
    static std::string slipOf(int client) { return "C" + std::to_string(client); }

    int startDaemon() { return m_daemon->start(); }
    void killDaemon() { m_daemon->kill(); }
    void stopDaemon()
    {
        if (m_daemon)
            m_daemon->kill();
    }

    // One client writing until its connection breaks.
    void write(int port, int client, int round, Acknowledged &done)
    {
        try {
            kv::RemoteConnectionOptions options;
            options.port = port;
            options.token = kToken;
            auto connection = kv::RemoteConnection::open(options);
            kv::DispatchPtr server = connection->createObject("Slipserv.Class1");
            server->call("Connect", {programservertest::connectArgs(company, "U" + std::to_string(client))});
            const std::string user = "U" + std::to_string(client);
            for (int n = 0;; ++n) {
                const std::string tag = std::to_string(round) + "-" + std::to_string(n);
                done.pendingSet = "S" + user + "-" + tag;
                const std::string value = "值'" + tag + "\r\n第二行\r\n";
                if (server->call("InsertConTable", {varArrayOf({"a.text;b.text;", user, "20261208", "QIPR07",
                                                                done.pendingSet, value, false})})
                        .toText()
                        .empty())
                    done.sets[done.pendingSet] = value;
                done.pendingSet.clear();

                done.pendingCount = true;
                server->call("UpdatePrintCount",
                             {varArrayOf({"$$MOCTC", "TC010", "TC001='5401' and TC002='" + slipOf(client) + "'"})});
                ++done.counts;
                done.pendingCount = false;

                done.pendingLayout = "L" + user + "-" + tag;
                Variant lines = varArrayOf({"object ExLbl" + tag + ": TQRLabel", "end"});
                Variant size;
                if (server->call("RunInsUpdSQL", {false, Variant::ref(lines),
                                                  varArrayOf({"01", user, "G1", "TfrmQipr07Fmt", done.pendingLayout,
                                                              "", ""}),
                                                  Variant::ref(size)})
                        .toInt() > 0)
                    done.layouts[done.pendingLayout] = "object ExLbl" + tag + ": TQRLabel\nend";
                done.pendingLayout.clear();
            }
        } catch (const std::exception &) {
            // The daemon is gone: what was in flight stays pending.
        }
    }

    std::unique_ptr<kvtest::SlipDaemonProcess> m_daemon;
};

TEST_P(DaemonCrashTest, AcknowledgedWritesSurviveSigkillAndNoneIsHalfDone)
{
    std::mt19937 random(20261208);
    std::vector<Acknowledged> done(kClients);
    std::vector<int> countsBefore(kClients, 0);
    int operations = 0;
    // Five rounds at least, more on a slow machine until 200 writes were made.
    for (int round = 0; round < 5 || (operations < 200 && round < 20); ++round) {
        const int port = startDaemon();
        ASSERT_GT(port, 0);
        std::vector<Acknowledged> thisRound(kClients);
        std::vector<std::thread> clients;
        for (int client = 0; client < kClients; ++client)
            clients.emplace_back([&, client] { write(port, client, round, thisRound[client]); });
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(300, 900)(random)));
        killDaemon();
        for (std::thread &thread : clients)
            thread.join();

        for (int client = 0; client < kClients; ++client) {
            Acknowledged &all = done[client];
            const Acknowledged &now = thisRound[client];
            all.sets.insert(now.sets.begin(), now.sets.end());
            all.layouts.insert(now.layouts.begin(), now.layouts.end());
            operations += int(now.sets.size() + now.layouts.size()) + now.counts;
            // A print count in flight may have been made or not.
            const std::int64_t stored = db().query("SELECT TC010 FROM " + env->table(company, "MOCTC") +
                                                   " WHERE TC002 = :K",
                                                   {{"K", Variant(slipOf(client))}})
                                            .integer(0, 0);
            all.counts += now.counts;
            EXPECT_GE(stored, all.counts) << "client " << client << ", round " << round;
            EXPECT_LE(stored, all.counts + (now.pendingCount ? 1 : 0)) << "client " << client;
            all.counts = int(stored);
            // A set or layout in flight is there whole or not at all.
            if (!now.pendingSet.empty()) {
                const kv::ResultTable row = db().query("SELECT VCONDITION FROM " + env->table(company, "GENES") +
                                                       " WHERE NCONDITION = :N",
                                                       {{"N", Variant(now.pendingSet)}});
                if (row.rowCount() == 1)
                    all.sets[now.pendingSet] = std::string(row.text(0, 0));
            }
            if (!now.pendingLayout.empty()) {
                const kv::ResultTable row = db().query("SELECT COUNT(*) FROM " + env->table(company, "WARRANT") +
                                                       " WHERE NT002 = :N",
                                                       {{"N", Variant(now.pendingLayout)}});
                EXPECT_LE(row.integer(0, 0), 1);
            }
        }
    }
    EXPECT_GE(operations, 200) << "too few writes to say much";
    std::cout << operations << " acknowledged writes\n";

    for (int client = 0; client < kClients; ++client) {
        for (const auto &[name, value] : done[client].sets) {
            const kv::ResultTable row = db().query("SELECT VCONDITION FROM " + env->table(company, "GENES") +
                                                   " WHERE NCONDITION = :N",
                                                   {{"N", Variant(name)}});
            ASSERT_EQ(row.rowCount(), 1) << name;
            EXPECT_EQ(std::string(row.text(0, 0)), value) << name;
        }
    }
    // The layouts come back through a restarted daemon, as a client reads them.
    const int port = startDaemon();
    kv::RemoteConnectionOptions options;
    options.port = port;
    options.token = kToken;
    auto connection = kv::RemoteConnection::open(options);
    kv::DispatchPtr server = connection->createObject("Slipserv.Class1");
    server->call("Connect", {programservertest::connectArgs(company)});
    for (const Acknowledged &client : done)
        for (const auto &[name, text] : client.layouts) {
            Variant stored;
            ASSERT_EQ(server->call("GetBlobField", {varArrayOf({"TfrmQipr07Fmt", name}), Variant::ref(stored)}),
                      Variant(1))
                << name;
            EXPECT_EQ(stored[1], Variant(text)) << name;
        }

    if (GetParam() == slip::DbEngine::SQLite) {
        stopDaemon();
        QProcess check;
        check.start("sqlite3", {QString::fromStdString(env->dir.path().toStdString() + "/" + company + ".db"),
                                "PRAGMA integrity_check;"});
        ASSERT_TRUE(check.waitForFinished(30000));
        EXPECT_EQ(check.readAllStandardOutput().trimmed(), "ok");
    }
}

DBTEST_ON_BOTH_ENGINES(DaemonCrashTest);

} // namespace
