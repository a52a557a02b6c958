#pragma once
// Settings of the slipserv daemon, read from the section [Slipserv] of the
// server's "MarshalS.ini":
//
//   [Slipserv]
//   AccessToken=...            shared secret every client sends in its hello;
//                              required: the daemon does not start without it
//   ListenAddress=127.0.0.1    address to listen on; loop-back unless a site
//                              opens the daemon to its network (0.0.0.0, ::)
//   Port=7211                  TCP port
//   MaxFrameBytes=67108864     largest request a client may send
//   IdleTimeoutSeconds=28800   a connection without requests for this long is
//                              closed (clients keep theirs open while a
//                              window is open, so a working day)
//   FrameTimeoutSeconds=30     a request (and the hello of a new connection)
//                              must arrive completely within this time
//   RequestTimeoutSeconds=300  a request's statements must be done within this
//                              time: one still running is stopped and the
//                              client gets an error reply (0: no limit)
//   MaxConnections=64          further clients are turned away with an error
//   MaxConnectionsPerAddress=32
//                              connections from one address at once
//   MaxPendingHellos=16        connections that have not yet sent their hello;
//                              past it new ones are turned away, so clients
//                              without the token cannot crowd out the others
//   MaxObjectsPerConnection=1000
//
// Before its hello is accepted a connection may send one frame of at most
// kMaxHelloBytes, and the worker reads no more than that from it: a client
// without the token costs the daemon a few kilobytes, whatever it sends.

#include "platform/IniFile.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace slip {

// Raised for settings out of range and for a daemon that cannot start.
class SlipServerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SlipServerConfig {
    static constexpr const char *kSection = "Slipserv";
    static constexpr std::int64_t kMaxHelloBytes = 4 * 1024;

    std::string accessToken;
    std::string listenAddress = "127.0.0.1";
    int port = 7211; // 0 lets the system choose (tests)
    std::int64_t maxFrameBytes = 64 * 1024 * 1024;
    int idleTimeoutMs = 8 * 3600 * 1000;
    int frameTimeoutMs = 30 * 1000;
    int requestTimeoutMs = 300 * 1000; // 0 for no limit
    int maxConnections = 64;
    int maxConnectionsPerAddress = 32;
    int maxPendingHellos = 16;
    int maxObjectsPerConnection = 1000;

    // Missing keys keep the defaults above; a value that is not a number in
    // range throws SlipServerError naming the key.
    static SlipServerConfig fromIni(const kv::IniFile &ini);
    // Throws SlipServerError when the settings cannot work (no token, ...).
    void validate() const;
};

} // namespace slip
