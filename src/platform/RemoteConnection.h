#pragma once
// A client's TCP connection to slipserv (see RemoteProtocol.h for the
// messages). It says hello with the shared access token, creates remote
// objects by program id and carries their calls; each remote object is a
// RemoteDispatch, a kv::Dispatch like any in-process object.
//
// Calls are synchronous: the calling thread blocks until the reply arrives
// (no event loop needed). A connection belongs to the thread that opened it.
// Any network failure (refused, closed, timed out, unreadable reply) throws
// DispatchError naming the server and the cause, and leaves the connection
// broken: every later call fails at once with the same message.

#include "platform/Dispatch.h"
#include "platform/VariantCbor.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QTcpSocket;

namespace kv {

struct RemoteConnectionOptions {
    std::string host = "127.0.0.1";
    int port = 0;
    std::string token;
    int connectTimeoutMs = 10'000;
    // How long one call may take on the server; 0 waits without limit.
    int callTimeoutMs = 600'000;
    // Largest reply accepted: result tables of big reports travel in one frame.
    std::int64_t maxReplyBytes = 1024LL * 1024 * 1024;
};

class RemoteConnection : public std::enable_shared_from_this<RemoteConnection> {
public:
    // Connects and says hello; DispatchError when the server cannot be
    // reached or refuses the token.
    static std::shared_ptr<RemoteConnection> open(const RemoteConnectionOptions &options);
    ~RemoteConnection();
    RemoteConnection(const RemoteConnection &) = delete;
    RemoteConnection &operator=(const RemoteConnection &) = delete;

    // A new object of the class registered under progId on the server.
    DispatchPtr createObject(std::string_view progId);
    bool isOpen() const;
    // Ends the connection; the server drops every object of it.
    void close();
    // "slipserv host:port", for messages.
    std::string where() const;

    // Used by RemoteDispatch.
    Variant invoke(int objectId, std::string_view name, std::vector<Variant> &args, InvokeKind kind);
    void release(int objectId) noexcept;

private:
    explicit RemoteConnection(const RemoteConnectionOptions &options);
    void connectSocket();
    // Sends a request and waits for its reply; the elements after "ok".
    std::vector<Variant> request(std::vector<Variant> message);
    void send(const std::vector<Variant> &message);
    QByteArray receive();
    void waitForBytes(int timeoutMs);
    [[noreturn]] void breakWith(const std::string &cause);
    Variant objectFrom(const Variant &reference);

    RemoteConnectionOptions m_options;
    std::unique_ptr<QTcpSocket> m_socket;
    FrameReader m_reader;
    std::string m_broken; // why the connection cannot be used, once it cannot
};

} // namespace kv
