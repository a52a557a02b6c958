// The daemon and the client proxy in one process: the server listens on a
// port the system picks, clients connect over loop-back TCP.
#include "net/SlipServer.h"

#include "platform/DispatchObject.h"
#include "platform/RemoteConnection.h"
#include "platform/RemoteDispatch.h"
#include "platform/RemoteProtocol.h"
#include "platform/ResultTable.h"
#include "support/SlipDaemonProcess.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

using kv::DispatchError;
using kv::Variant;

namespace {

const char *const kToken = "s3cret-token";

std::mutex g_listMutex;
std::vector<std::string> g_list; // shared by every connection's objects
std::atomic<int> g_liveObjects = 0;

class Calc : public kv::DispatchObject {
public:
    Calc() : DispatchObject("Test.Calc")
    {
        ++g_liveObjects;
        addMethod("Add", 2, 2, [](std::vector<Variant> &args) { return Variant(args[0].toInt() + args[1].toInt()); });
        addMethod("Swap", 2, 2, [](std::vector<Variant> &args) {
            const Variant first = args[0].deref();
            args[0].assign(args[1]);
            args[1].assign(first);
            return Variant("swapped");
        });
        addMethod("Append", 1, 1, [](std::vector<Variant> &args) {
            std::lock_guard lock(g_listMutex);
            g_list.push_back(args[0].toText());
            return Variant(int(g_list.size()));
        });
        addMethod("Echo", 1, 1, [](std::vector<Variant> &args) { return args[0]; });
        addMethod("Repeat", 2, 2, [](std::vector<Variant> &args) {
            return Variant(std::string(std::size_t(args[1].toInt()), args[0].toText().at(0)));
        });
        addMethod("Fail", 0, 0, [](std::vector<Variant> &) -> Variant { throw std::runtime_error("disk full"); });
        addMethod("Child", 0, 0, [](std::vector<Variant> &) { return Variant(kv::DispatchPtr(std::make_shared<Calc>())); });
        addMethod("OpenChild", 1, 1, [](std::vector<Variant> &args) {
            args[0].assign(Variant(kv::DispatchPtr(std::make_shared<Calc>())));
            return Variant(true);
        });
        addMethod("Children", 0, 0, [](std::vector<Variant> &) {
            return kv::varArrayOf({Variant(kv::DispatchPtr(std::make_shared<Calc>()))});
        });
        addProperty("Value", [this] { return m_value; }, [this](const Variant &v) { m_value = v; });
    }
    ~Calc() override { --g_liveObjects; }

private:
    Variant m_value = Variant(0);
};

// Waits for something the server does on its own threads; the deadline only
// keeps a broken server from hanging the test.
template <typename Condition>
bool eventually(Condition condition)
{
    const QDeadlineTimer deadline(20000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
}

// Matches a call that throws DispatchError with the text in its message.
auto failsWith(const std::string &text)
{
    return testing::ThrowsMessage<DispatchError>(testing::HasSubstr(text));
}

bool contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// A client speaking raw frames, for what a well-behaved client never sends.
class RawClient {
public:
    explicit RawClient(int port)
    {
        m_socket.connectToHost("127.0.0.1", quint16(port));
        EXPECT_TRUE(m_socket.waitForConnected(5000));
    }

    void sendBytes(const QByteArray &bytes)
    {
        m_socket.write(bytes);
        m_socket.waitForBytesWritten(5000);
    }
    void sendMessage(std::vector<Variant> items) { sendBytes(kv::encodeFrame(kv::remote::encodeMessage(std::move(items)))); }
    void hello() { sendMessage({Variant("hello"), Variant(kToken), Variant(kv::remote::kProtocolVersion)}); }

    // The next reply, as [kind, ...]; empty once the server has closed.
    std::vector<Variant> reply()
    {
        const QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            if (std::optional<QByteArray> payload = m_reader.next())
                return kv::remote::decodeMessage(*payload);
            if (m_socket.bytesAvailable() > 0) {
                m_reader.append(m_socket.readAll());
                continue;
            }
            if (m_socket.state() != QAbstractSocket::ConnectedState)
                return {};
            m_socket.waitForReadyRead(100);
        }
        ADD_FAILURE() << "no reply";
        return {};
    }

    std::string errorReply()
    {
        const std::vector<Variant> message = reply();
        if (message.size() != 2 || message[0].toText() != "error")
            return "<not an error reply>";
        return message[1].toText();
    }

    bool closedByServer()
    {
        return reply().empty() && m_socket.state() != QAbstractSocket::ConnectedState;
    }

private:
    QTcpSocket m_socket;
    kv::FrameReader m_reader;
};

class SlipServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        kv::OleClassRegistry::registerClass("Test.Calc", [] { return std::make_shared<Calc>(); });
        startServer(config());
    }
    void TearDown() override
    {
        server.reset();
        kv::OleClassRegistry::unregisterClass("Test.Calc");
    }

    static slip::SlipServerConfig config()
    {
        slip::SlipServerConfig config;
        config.accessToken = kToken;
        config.port = 0;
        config.maxFrameBytes = 64 * 1024;
        config.frameTimeoutMs = 300;
        config.idleTimeoutMs = 60000;
        return config;
    }

    void startServer(const slip::SlipServerConfig &settings)
    {
        server.reset();
        server = std::make_unique<slip::SlipServer>(settings);
        server->start();
    }

    std::shared_ptr<kv::RemoteConnection> connect(std::string token = kToken)
    {
        kv::RemoteConnectionOptions options;
        options.port = server->port();
        options.token = std::move(token);
        return kv::RemoteConnection::open(options);
    }

    // A working client can still create an object and call it.
    void expectServing()
    {
        const kv::DispatchPtr calc = connect()->createObject("Test.Calc");
        EXPECT_EQ(calc->call("Add", {Variant(2), Variant(3)}), Variant(5));
    }

    std::unique_ptr<slip::SlipServer> server;
};

} // namespace

TEST_F(SlipServerTest, RemoteCallsBehaveLikeInProcessCalls)
{
    auto connection = connect();
    const kv::DispatchPtr calc = connection->createObject("test.calc");
    EXPECT_EQ(calc->className(), "Test.Calc");
    EXPECT_EQ(calc->call("ADD", {Variant(40), Variant(2)}), Variant(42));

    // By-reference arguments are written back; so is the caller's vector.
    Variant a("left");
    Variant b(7);
    std::vector<Variant> args{Variant::ref(a), Variant::ref(b)};
    EXPECT_EQ(calc->invoke("Swap", args, kv::InvokeKind::Method), Variant("swapped"));
    EXPECT_EQ(a, Variant(7));
    EXPECT_EQ(b, Variant("left"));
    std::vector<Variant> plain{Variant(1), Variant(2)};
    calc->invoke("Swap", plain, kv::InvokeKind::Method);
    EXPECT_EQ(plain[0], Variant(2));

    calc->put("Value", Variant("五"));
    EXPECT_EQ(calc->get("value"), Variant("五"));

    // A result table's data packet (binary) travels as it is.
    kv::ResultTable::Builder builder;
    builder.addColumn("TC001", kv::FieldType::Text);
    builder.setText(0, "5401");
    builder.endRow();
    const std::string packet = builder.finish().toDataPacket();
    EXPECT_EQ(calc->call("Echo", {Variant(packet)}).toText(), packet);
    // Replies are not held to the limit on requests (64 KB here).
    EXPECT_EQ(calc->call("Repeat", {Variant("x"), Variant(3 * 1024 * 1024)}).toText().size(), 3u * 1024 * 1024);
    EXPECT_EQ(calc->call("Add", {Variant(1), Variant(1)}), Variant(2));

    // Objects come back as remote objects of their own.
    const kv::DispatchPtr child = calc->call("Child").toObject();
    ASSERT_NE(std::dynamic_pointer_cast<kv::RemoteDispatch>(child), nullptr);
    EXPECT_EQ(child->call("Add", {Variant(1), Variant(1)}), Variant(2));
    Variant opened;
    std::vector<Variant> out{Variant::ref(opened)};
    calc->invoke("OpenChild", out, kv::InvokeKind::Method);
    ASSERT_TRUE(opened.isObject());
    EXPECT_EQ(opened.toObject()->call("Add", {Variant(2), Variant(2)}), Variant(4));
}

TEST_F(SlipServerTest, CallErrorsAreRepliedAndTheConnectionGoesOn)
{
    auto connection = connect();
    const kv::DispatchPtr calc = connection->createObject("Test.Calc");
    EXPECT_THAT([&] { calc->call("Nope"); }, failsWith("Unknown name \"Nope\" of Test.Calc"));
    EXPECT_THAT([&] { calc->call("Fail"); }, failsWith("disk full"));
    EXPECT_THAT([&] { calc->call("Add", {Variant(1)}); }, failsWith("takes 2 arguments"));
    EXPECT_THAT([&] { connection->createObject("No.Such"); }, failsWith("Invalid class string: No.Such"));
    EXPECT_THAT([&] { calc->call("Children"); }, failsWith("cannot be sent"));
    EXPECT_THAT([&] { calc->call("Echo", {Variant(calc)}); }, failsWith("Argument 1 of Echo"));
    EXPECT_TRUE(connection->isOpen());
    EXPECT_EQ(calc->call("Add", {Variant(1), Variant(2)}), Variant(3));
}

TEST_F(SlipServerTest, ObjectsLiveAsLongAsTheirProxyOrConnection)
{
    const int before = g_liveObjects;
    auto connection = connect();
    kv::DispatchPtr calc = connection->createObject("Test.Calc");
    kv::DispatchPtr other = connection->createObject("Test.Calc");
    EXPECT_EQ(g_liveObjects, before + 2);
    calc.reset(); // released; the next reply shows the server has read that
    other->call("Add", {Variant(1), Variant(1)});
    EXPECT_EQ(g_liveObjects, before + 1);
    connection->close();
    other.reset();
    EXPECT_TRUE(eventually([&] { return g_liveObjects == before; }));
    EXPECT_THAT([&] { connection->createObject("Test.Calc"); }, failsWith("closed"));
}

TEST_F(SlipServerTest, ClientsHaveTheirOwnObjectsAndNoCallIsLost)
{
    auto first = connect();
    auto second = connect();
    const kv::DispatchPtr one = first->createObject("Test.Calc");
    const kv::DispatchPtr two = second->createObject("Test.Calc");
    one->put("Value", Variant("one"));
    two->put("Value", Variant("two"));
    EXPECT_EQ(one->get("Value"), Variant("one"));
    EXPECT_EQ(two->get("Value"), Variant("two"));

    {
        std::lock_guard lock(g_listMutex);
        g_list.clear();
    }
    constexpr int kClients = 8;
    constexpr int kCalls = 40;
    std::vector<std::thread> clients;
    std::atomic<int> failures = 0;
    for (int client = 0; client < kClients; ++client) {
        clients.emplace_back([&, client] {
            try {
                auto connection = connect();
                const kv::DispatchPtr calc = connection->createObject("Test.Calc");
                for (int call = 0; call < kCalls; ++call)
                    calc->call("Append", {Variant(std::to_string(client) + "/" + std::to_string(call))});
            } catch (const std::exception &) {
                ++failures;
            }
        });
    }
    for (std::thread &client : clients)
        client.join();
    EXPECT_EQ(failures, 0);
    std::lock_guard lock(g_listMutex);
    EXPECT_EQ(std::set<std::string>(g_list.begin(), g_list.end()).size(), std::size_t(kClients * kCalls));
}

TEST_F(SlipServerTest, RefusesWrongTokensAndBadFramesButKeepsServing)
{
    EXPECT_THAT([&] { connect("guess"); }, failsWith("wrong access token"));

    RawClient early(server->port());
    early.sendMessage({Variant("create"), Variant("Test.Calc")});
    EXPECT_EQ(early.errorReply(), "The first request must be hello");
    EXPECT_TRUE(early.closedByServer());

    RawClient garbage(server->port());
    garbage.hello();
    ASSERT_EQ(garbage.reply().front(), Variant("ok"));
    garbage.sendBytes(kv::encodeFrame(QByteArray("\xff\x00garbage", 9)));
    EXPECT_TRUE(contains(garbage.errorReply(), "Malformed request"));
    EXPECT_TRUE(garbage.closedByServer());

    // Before the hello only a small frame is read at all.
    RawClient unknown(server->port());
    unknown.sendBytes(QByteArray::fromHex("00010000") + QByteArray(1000, 'x'));
    EXPECT_TRUE(contains(unknown.errorReply(), "more than the limit of 4096"));
    EXPECT_TRUE(unknown.closedByServer());

    // After it, frames up to the configured limit are taken.
    RawClient large(server->port());
    large.hello();
    ASSERT_EQ(large.reply().front(), Variant("ok"));
    large.sendMessage({Variant("create"), Variant(std::string(60000, 'c'))});
    EXPECT_TRUE(contains(large.errorReply(), "class")) << "a 60 KB request was not read";

    RawClient oversized(server->port());
    oversized.hello();
    oversized.reply();
    oversized.sendBytes(QByteArray::fromHex("7fffffff") + QByteArray(100, 'x'));
    EXPECT_TRUE(contains(oversized.errorReply(), "more than the limit"));
    EXPECT_TRUE(oversized.closedByServer());

    // A frame that never completes: cut off after the frame timeout.
    RawClient truncated(server->port());
    truncated.hello();
    truncated.reply();
    truncated.sendBytes(kv::encodeFrame(kv::remote::encodeMessage({Variant("invoke")})).left(6));
    EXPECT_TRUE(contains(truncated.errorReply(), "did not arrive completely"));
    EXPECT_TRUE(truncated.closedByServer());

    // Requests that parse but make no sense are answered, not fatal.
    RawClient confused(server->port());
    confused.hello();
    confused.reply();
    confused.sendMessage({Variant("invoke"), Variant(99), Variant("Add"), Variant(0), kv::varArrayOf({})});
    EXPECT_EQ(confused.errorReply(), "No object 99 on this connection");
    confused.sendMessage({Variant("dance")});
    EXPECT_EQ(confused.errorReply(), "Unknown request \"dance\"");
    confused.sendMessage({Variant("invoke"), Variant(1), Variant("Add"), Variant(7), kv::varArrayOf({})});
    EXPECT_TRUE(contains(confused.errorReply(), "Unknown kind of call"));

    expectServing();
}

TEST_F(SlipServerTest, ClosesIdleConnectionsAndTurnsAwayClientsPastTheLimit)
{
    slip::SlipServerConfig settings = config();
    settings.idleTimeoutMs = 1000;
    settings.maxConnections = 1;
    startServer(settings);

    RawClient idle(server->port());
    idle.hello();
    ASSERT_EQ(idle.reply().front(), Variant("ok"));
    RawClient extra(server->port());
    EXPECT_EQ(extra.errorReply(), "Too many connections (1)");
    EXPECT_TRUE(contains(idle.errorReply(), "no request for 1000 ms"));
    EXPECT_TRUE(idle.closedByServer());
    EXPECT_TRUE(eventually([&] { return server->connectionCount() == 0; }));
    expectServing();
}

TEST_F(SlipServerTest, ClientsWithoutTheirHelloCannotCrowdOutTheOthers)
{
    slip::SlipServerConfig settings = config();
    settings.frameTimeoutMs = 5000;
    settings.maxPendingHellos = 3;
    settings.maxConnectionsPerAddress = 5;
    startServer(settings);

    std::vector<std::unique_ptr<RawClient>> waiting;
    for (int i = 0; i < 3; ++i)
        waiting.push_back(std::make_unique<RawClient>(server->port()));
    ASSERT_TRUE(eventually([&] { return server->connectionCount() == 3; }));
    RawClient fourth(server->port());
    EXPECT_EQ(fourth.errorReply(), "Too many connections waiting for their hello (3)");

    // Once they have said hello they no longer count as waiting; the
    // address limit still holds.
    for (auto &client : waiting) {
        client->hello();
        ASSERT_EQ(client->reply().front(), Variant("ok"));
    }
    RawClient fourthAgain(server->port());
    fourthAgain.hello();
    ASSERT_EQ(fourthAgain.reply().front(), Variant("ok"));
    RawClient fifth(server->port());
    fifth.hello();
    ASSERT_EQ(fifth.reply().front(), Variant("ok"));
    RawClient sixth(server->port());
    EXPECT_EQ(sixth.errorReply(), "Too many connections from 127.0.0.1 (5)");
}

TEST(SlipDaemon, SixtyFourClientsSendingTheLargestFrameBeforeTheirHelloCostLittle)
{
    if (!QFileInfo::exists(kvtest::SlipDaemonProcess::program()))
        GTEST_SKIP() << "slipserv is not built";
    QTemporaryDir data;
    kvtest::SlipDaemonProcess daemon("[Slipserv]\nAccessToken=" + std::string(kToken) + "\nDataDir=" +
                                     data.path().toStdString() +
                                     "\nMaxPendingHellos=64\nMaxConnectionsPerAddress=80\nMaxConnections=80\n");
    ASSERT_GT(daemon.start(), 0);
    const qint64 before = daemon.peakKb();
    // Each declares a 64 MB frame and sends a megabyte of it: only the
    // frame head is read before the connection is refused.
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 64; ++i) {
        clients.push_back(std::make_unique<RawClient>(daemon.port()));
        clients.back()->sendBytes(QByteArray::fromHex("04000000") + QByteArray(1024 * 1024, '\x01'));
    }
    for (auto &client : clients)
        EXPECT_TRUE(contains(client->errorReply(), "more than the limit of 4096"));
    const qint64 after = daemon.peakKb();
    // A connection thread and its few kilobytes each; far below the
    // megabyte every client sent.
    EXPECT_LT(after - before, 24 * 1024) << before << " kB before, " << after << " kB after";

    kv::RemoteConnectionOptions options;
    options.port = daemon.port();
    options.token = kToken;
    EXPECT_NO_THROW(kv::RemoteConnection::open(options));
}

TEST(SlipServerConfig, ReadsTheSlipservSectionAndRefusesBadValues)
{
    const auto parse = [](const char *text) { return slip::SlipServerConfig::fromIni(kv::IniFile::parse(text)); };
    const slip::SlipServerConfig config =
        parse("[Slipserv]\nAccessToken=abc\nListenAddress=0.0.0.0\nPort=9000\nIdleTimeoutSeconds=60\n");
    EXPECT_EQ(config.accessToken, "abc");
    EXPECT_EQ(config.listenAddress, "0.0.0.0");
    EXPECT_EQ(config.port, 9000);
    EXPECT_EQ(config.idleTimeoutMs, 60000);
    EXPECT_EQ(config.frameTimeoutMs, 30000);
    EXPECT_NO_THROW(config.validate());

    const slip::SlipServerConfig defaults = parse("");
    EXPECT_EQ(defaults.listenAddress, "127.0.0.1");
    EXPECT_THROW(defaults.validate(), slip::SlipServerError);
    EXPECT_THROW(parse("[Slipserv]\nPort=70000\n"), slip::SlipServerError);
    EXPECT_THROW(parse("[Slipserv]\nMaxFrameBytes=lots\n"), slip::SlipServerError);
    EXPECT_EQ(parse("[Slipserv]\nMaxConnectionsPerAddress=4\nMaxPendingHellos=2\n").maxPendingHellos, 2);
    EXPECT_THROW(parse("[Slipserv]\nMaxPendingHellos=0\n"), slip::SlipServerError);
    EXPECT_EQ(defaults.requestTimeoutMs, 300000);
    EXPECT_EQ(parse("[Slipserv]\nRequestTimeoutSeconds=0\n").requestTimeoutMs, 0); // no limit
    EXPECT_EQ(parse("[Slipserv]\nRequestTimeoutSeconds=2147483\n").requestTimeoutMs, 2147483000);
    EXPECT_THROW(parse("[Slipserv]\nRequestTimeoutSeconds=-1\n"), slip::SlipServerError);
    EXPECT_THROW(parse("[Slipserv]\nRequestTimeoutSeconds=2147484\n"), slip::SlipServerError);

    slip::SlipServerConfig unbindable = config;
    unbindable.listenAddress = "not-an-address";
    EXPECT_THROW(slip::SlipServer(unbindable).start(), slip::SlipServerError);
}
