// slipserv's request time limit, with the daemon as a program: a report
// query that would run for hours is stopped after RequestTimeoutSeconds, the
// client gets an error reply saying so, the daemon logs it, another client
// is answered all the while, and the same connection serves its next
// request. Stopped with SIGTERM afterwards, the daemon leaves with status 0
// and nothing from the sanitizers.
//
// Also: a process that registered the server objects and leaves without
// unregistering them (as the module and the benches do) ends cleanly.
#include "ProgramServerTestSupport.h"

#include "objects/ServerObjects.h"
#include "platform/Dispatch.h"
#include "platform/RemoteConnection.h"
#include "support/SlipDaemonProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <atomic>
#include <cstdlib>
#include <thread>

namespace {

using kv::Variant;
using testing::HasSubstr;
using testing::Not;

const char *const kToken = "time-limit-token";
constexpr int kSlips = 60;

// Five copies of the slip table joined without a condition: 60^5 rows to count.
const char *const kEndlessReport = "SELECT COUNT(*) AS N FROM MOCTC A, MOCTC B, MOCTC C, MOCTC D, MOCTC E";

void expectCleanExit(const std::string &log)
{
    EXPECT_THAT(log, Not(HasSubstr("Sanitizer")));
    EXPECT_THAT(log, Not(HasSubstr("runtime error")));
}

class RequestTimeLimitTest : public hostdatatest::HostDataTest {
protected:
    void SetUp() override
    {
        HostDataTest::SetUp();
        if (IsSkipped())
            return;
        if (!QFileInfo::exists(kvtest::SlipDaemonProcess::program()))
            GTEST_SKIP() << "slipserv is not built";
        for (int slip = 0; slip < kSlips; ++slip)
            insert("MOCTC", {{"TC001", "5401"}, {"TC002", "K" + std::to_string(slip)}});
        m_daemon = std::make_unique<kvtest::SlipDaemonProcess>("[Slipserv]\nAccessToken=" + std::string(kToken) +
                                                               "\nRequestTimeoutSeconds=1\n" + env->daemonSettings());
    }

    kv::DispatchPtr connectedServer(std::shared_ptr<kv::RemoteConnection> &connection)
    {
        kv::RemoteConnectionOptions options;
        options.port = m_daemon->port();
        options.token = kToken;
        connection = kv::RemoteConnection::open(options);
        kv::DispatchPtr server = connection->createObject("Slipserv.Class1");
        server->call("Connect", {programservertest::connectArgs(company)});
        return server;
    }

    static kv::ResultTable report(const kv::DispatchPtr &server, const std::string &sql)
    {
        return programservertest::tableOf(server->call("AS_GetRecords", {"Provider1", "", Variant(), sql}));
    }

    std::unique_ptr<kvtest::SlipDaemonProcess> m_daemon;
};

// What the client with the endless query saw.
struct SlowClient {
    std::atomic<bool> started = false, answered = false;
    std::string error;
    qint64 elapsedMs = 0;
    std::int64_t nextCount = -1;
    std::string nextFailure;
};

TEST_P(RequestTimeLimitTest, AnEndlessQueryIsStoppedWithAnErrorAndTheConnectionServesTheNextRequest)
{
    ASSERT_GT(m_daemon->start(), 0);
    SlowClient slow;
    std::thread client([&] {
        try {
            std::shared_ptr<kv::RemoteConnection> connection;
            const kv::DispatchPtr server = connectedServer(connection);
            QElapsedTimer timer;
            timer.start();
            slow.started = true;
            try {
                report(server, kEndlessReport);
                slow.error = "(answered as if it had run to its end)";
            } catch (const kv::DispatchError &error) {
                slow.error = error.what();
            }
            slow.elapsedMs = timer.elapsed();
            slow.answered = true;
            slow.nextCount = report(server, "SELECT COUNT(*) AS N FROM MOCTC").integer(0, 0);
        } catch (const std::exception &error) {
            slow.nextFailure = error.what();
        }
        slow.answered = true;
    });

    std::shared_ptr<kv::RemoteConnection> connection;
    const kv::DispatchPtr other = connectedServer(connection);
    while (!slow.started)
        std::this_thread::yield();
    int answeredMeanwhile = 0;
    while (!slow.answered) {
        EXPECT_EQ(report(other, "SELECT TC002 FROM MOCTC WHERE TC002 = 'K7'").rowCount(), 1);
        if (!slow.answered)
            ++answeredMeanwhile;
    }
    client.join();

    EXPECT_THAT(slow.error, HasSubstr("Request stopped: it ran longer than the request time limit of 1 s"));
    EXPECT_GE(slow.elapsedMs, 900);
    EXPECT_LT(slow.elapsedMs, 30000);
    EXPECT_GT(answeredMeanwhile, 0);
    EXPECT_EQ(slow.nextFailure, "");
    EXPECT_EQ(slow.nextCount, kSlips);

    connection->close();
    EXPECT_EQ(m_daemon->terminate(), 0);
    const std::string log = m_daemon->log();
    EXPECT_THAT(log, HasSubstr("slipserv: stopped a request of 127.0.0.1:"));
    EXPECT_THAT(log, HasSubstr("longer than the request time limit of 1 s"));
    expectCleanExit(log);
}

DBTEST_ON_BOTH_ENGINES(RequestTimeLimitTest);

// The child of the test below: it uses the server objects as the benches do
// (registered over a database they open themselves) and returns without
// unregistering them.
TEST(ServerRegistryExit, ChildLeavesWithoutUnregistering)
{
    const char *dataDir = std::getenv("QIPR07_REGISTRY_CHILD_DIR");
    if (!dataDir)
        GTEST_SKIP() << "run as a child process by ServerRegistryExit.AProcessThatKeptTheRegistryEndsCleanly";
    slip::Database::openSqlite(dataDir)->openCompany("EXITCO", slip::OpenMode::CreateNew);
    slip::registerServerObjects(slip::ServerConfig::sqlite(dataDir));
    const kv::DispatchPtr server = kv::createOleObject("Slipserv.Class1");
    server->call("Connect", {programservertest::connectArgs("EXITCO")});
    const Variant packet = server->call("AS_GetRecords", {"Provider1", "", Variant(), "SELECT COUNT(*) AS N FROM MOCTC"});
    EXPECT_EQ(programservertest::tableOf(packet).integer(0, 0), 0);
}

TEST(ServerRegistryExit, AProcessThatKeptTheRegistryEndsCleanly)
{
    const QTemporaryDir dir;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QIPR07_REGISTRY_CHILD_DIR", dir.path());
    child.setProcessEnvironment(environment);
    // Several runs: the teardown order it guards against bit now and then.
    for (int run = 0; run < 3; ++run) {
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=ServerRegistryExit.ChildLeavesWithoutUnregistering"});
        ASSERT_TRUE(child.waitForFinished(120000));
        const std::string output = child.readAllStandardOutput().toStdString();
        const std::string errors = child.readAllStandardError().toStdString();
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << errors;
        EXPECT_EQ(child.exitCode(), 0) << output << errors;
        EXPECT_THAT(output, HasSubstr("[  PASSED  ] 1 test"));
        expectCleanExit(errors);
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
    }
}

} // namespace
