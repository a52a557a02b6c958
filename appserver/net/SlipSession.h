#pragma once
// The protocol state of one client connection, without the socket: it takes
// request payloads and gives reply payloads (the messages are described in
// platform/RemoteProtocol.h). It owns the connection's objects, so they live
// and die on the connection's worker thread with their database connections.

#include "platform/Dispatch.h"

#include <QByteArray>

#include <map>
#include <string>
#include <vector>

namespace slip {

class SlipSession {
public:
    struct Outcome {
        QByteArray reply; // a payload to send; empty for none
        bool close = false;
    };

    SlipSession(std::string accessToken, int maxObjects);
    ~SlipSession();
    SlipSession(const SlipSession &) = delete;
    SlipSession &operator=(const SlipSession &) = delete;

    Outcome handle(const QByteArray &payload);
    bool isAuthenticated() const { return m_authenticated; }
    std::size_t objectCount() const { return m_objects.size(); }

    // Replies for the worker's own reasons to close (timeouts, bad frames).
    static QByteArray errorReply(const std::string &message);

private:
    Outcome hello(const std::vector<kv::Variant> &message);
    QByteArray create(const std::vector<kv::Variant> &message);
    QByteArray invoke(const std::vector<kv::Variant> &message);
    void release(const std::vector<kv::Variant> &message);
    kv::Variant referenceTo(const kv::Variant &value);
    int adopt(kv::DispatchPtr object);

    std::string m_accessToken;
    int m_maxObjects;
    bool m_authenticated = false;
    int m_nextId = 1;
    std::map<int, kv::DispatchPtr> m_objects;
};

} // namespace slip
