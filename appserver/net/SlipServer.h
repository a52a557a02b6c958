#pragma once
// slipserv's TCP daemon: serves the automation objects registered with
// kv::OleClassRegistry (kv::createOleObject) to many clients at once.
//
// Threads: the daemon listens on a thread of its own; every connection is
// served on its own worker thread, which creates that connection's objects,
// so each connection has its own objects and database connections and a
// slow call of one client never holds up another.
//
// Wire: each message is a frame, a 4-byte big-endian length followed by that
// many bytes of CBOR (kv::encodeFrame, kv::FrameReader), holding one variant
// array. The requests and replies (hello with the access token, create an
// object by program id, invoke a method or property with by-reference
// write-back, release) are listed in platform/RemoteProtocol.h; the client
// side is kv::RemoteConnection / kv::RemoteDispatch.
//
// Refusals: a frame longer than the limit, a payload that is no message, a
// first request other than a hello with the right token, a request arriving
// too slowly or a connection idle too long get an error reply and the
// connection is closed. An unknown object, member or class, a wrong argument
// count and any error raised inside a call get an error reply carrying the
// message, and the connection stays open. Other connections never notice.
//
// Settings: SlipServerConfig (section [Slipserv] of "MarshalS.ini").

#include "net/SlipServerConfig.h"

#include <memory>

class QThread;

namespace slip {

class SlipListener;

class SlipServer {
public:
    explicit SlipServer(SlipServerConfig config);
    ~SlipServer();
    SlipServer(const SlipServer &) = delete;
    SlipServer &operator=(const SlipServer &) = delete;

    // Starts listening; SlipServerError when the settings are unusable or
    // the address cannot be bound.
    void start();
    // Stops listening and ends every connection; waits for their threads.
    void stop();
    bool isListening() const { return m_listener != nullptr; }
    // The port listened on (the chosen one when the settings say 0).
    int port() const { return m_port; }
    int connectionCount() const;

private:
    SlipServerConfig m_config;
    std::unique_ptr<QThread> m_thread;
    SlipListener *m_listener = nullptr;
    int m_port = 0;
};

} // namespace slip
