// The client proxy against a server that misbehaves: every failure must end
// in a DispatchError naming the server and the cause, and leave the
// connection unusable rather than out of step. (The proxy against the real
// daemon is tested with the daemon, under tests/appserver/net.)
#include "platform/RemoteConnection.h"
#include "platform/RemoteProtocol.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <optional>
#include <thread>

using kv::DispatchError;
using kv::Variant;

namespace {

QByteArray frameOf(std::vector<Variant> items)
{
    return kv::encodeFrame(kv::remote::encodeMessage(std::move(items)));
}

QByteArray okReply(Variant value, Variant reference = Variant(), std::vector<Variant> changes = {})
{
    return frameOf({Variant("ok"), std::move(value), std::move(reference), kv::varArrayOf(std::move(changes))});
}

const QByteArray kCreated = okReply(Variant(), kv::varArrayOf({Variant(1), Variant("Test.Calc")}));

// Answers each frame it receives with the next scripted response: bytes to
// send, an empty array for silence, or nothing to close the connection.
class ScriptedServer {
public:
    using Response = std::optional<QByteArray>;

    explicit ScriptedServer(std::vector<Response> responses) : m_responses(std::move(responses))
    {
        std::promise<int> port;
        std::future<int> bound = port.get_future();
        m_thread = std::thread([this, promise = std::move(port)]() mutable { run(promise); });
        m_port = bound.get();
    }
    ~ScriptedServer()
    {
        m_stop = true;
        m_thread.join();
    }
    int port() const { return m_port; }

private:
    void run(std::promise<int> &port)
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        port.set_value(server.serverPort());
        if (!server.waitForNewConnection(10000))
            return;
        std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
        kv::FrameReader reader;
        for (const Response &response : m_responses) {
            if (!waitForFrame(*socket, reader))
                return;
            if (!response) {
                socket->close();
                return;
            }
            socket->write(*response);
            socket->waitForBytesWritten(5000);
        }
        while (!m_stop && socket->state() == QAbstractSocket::ConnectedState)
            socket->waitForReadyRead(20);
    }

    bool waitForFrame(QTcpSocket &socket, kv::FrameReader &reader) const
    {
        while (!reader.next()) {
            if (socket.waitForReadyRead(20))
                reader.append(socket.readAll());
            else if (m_stop || socket.state() != QAbstractSocket::ConnectedState)
                return false;
        }
        return true;
    }

    std::vector<Response> m_responses;
    std::thread m_thread;
    std::atomic<bool> m_stop = false;
    int m_port = 0;
};

kv::RemoteConnectionOptions optionsFor(const ScriptedServer &server)
{
    kv::RemoteConnectionOptions options;
    options.port = server.port();
    options.token = "t";
    options.callTimeoutMs = 5000;
    return options;
}

auto failsWith(const std::string &text)
{
    return testing::ThrowsMessage<DispatchError>(testing::HasSubstr(text));
}

} // namespace

TEST(RemoteDispatch, ConnectionFailuresNameTheServer)
{
    int closedPort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closedPort = probe.serverPort();
    }
    kv::RemoteConnectionOptions options;
    options.port = closedPort;
    EXPECT_THAT([&] { kv::RemoteConnection::open(options); },
                failsWith("slipserv 127.0.0.1:" + std::to_string(closedPort) + ": cannot connect"));

    ScriptedServer refusing({frameOf({Variant("error"), Variant("Access denied: wrong access token")})});
    EXPECT_THAT([&] { kv::RemoteConnection::open(optionsFor(refusing)); },
                failsWith("slipserv 127.0.0.1:" + std::to_string(refusing.port()) + ": Access denied"));
}

TEST(RemoteDispatch, BadRepliesBreakTheConnectionForGood)
{
    struct Case {
        ScriptedServer::Response reply;
        std::string error;
    };
    const std::vector<Case> cases = {
        {std::nullopt, "the server closed the connection"},
        {kv::encodeFrame("\xff\xfe"), "unreadable reply"},
        {frameOf({Variant("maybe")}), "unexpected reply \"maybe\""},
        {QByteArray::fromHex("7fffffff"), "more than the limit"},
        {QByteArray(), "no reply within 200 ms"},
        {okReply(Variant(), Variant(), {kv::varArrayOf({Variant(5), Variant(1), Variant()})}), "does not exist"},
        {okReply(Variant(), kv::varArrayOf({Variant("x")})), "malformed object reference"},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.error);
        ScriptedServer server({okReply(Variant()), kCreated, test.reply});
        kv::RemoteConnectionOptions options = optionsFor(server);
        options.callTimeoutMs = 200;
        options.maxReplyBytes = 1024 * 1024;
        auto connection = kv::RemoteConnection::open(options);
        const kv::DispatchPtr calc = connection->createObject("Test.Calc");
        EXPECT_EQ(calc->className(), "Test.Calc");
        EXPECT_THAT([&] { calc->call("Add", {Variant(1), Variant(2)}); }, failsWith(test.error));
        EXPECT_FALSE(connection->isOpen());
        // Later calls fail at once with the same reason instead of reading
        // a reply meant for an earlier request.
        EXPECT_THAT([&] { calc->call("Add", {Variant(1), Variant(2)}); }, failsWith(test.error));
    }
}

TEST(RemoteDispatch, ServerErrorsLeaveTheConnectionUsable)
{
    ScriptedServer server({okReply(Variant()), kCreated, frameOf({Variant("error"), Variant("disk full")}),
                           okReply(Variant(3), Variant(), {kv::varArrayOf({Variant(1), Variant("out"), Variant()})})});
    auto connection = kv::RemoteConnection::open(optionsFor(server));
    const kv::DispatchPtr calc = connection->createObject("Test.Calc");
    EXPECT_THAT([&] { calc->call("Fail"); }, failsWith("disk full"));
    EXPECT_TRUE(connection->isOpen());
    Variant out;
    std::vector<Variant> args{Variant(1), Variant::ref(out)};
    EXPECT_EQ(calc->invoke("Add", args, kv::InvokeKind::Method), Variant(3));
    EXPECT_EQ(out, Variant("out"));
}
