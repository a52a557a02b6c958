#pragma once
// The listening socket of slipserv, living on the daemon's listener thread.
// Each accepted connection gets a thread of its own with a SlipWorker; past
// the connection limit a client gets an error reply and is closed.

#include "net/SlipServerConfig.h"

#include <QTcpServer>

#include <atomic>
#include <map>

class QThread;

namespace slip {

class SlipWorker;

class SlipListener : public QTcpServer {
    Q_OBJECT

public:
    explicit SlipListener(const SlipServerConfig &config);
    ~SlipListener() override;

    // Stops listening, ends every connection and waits for its thread.
    // Runs on the listener thread.
    void shutdown();
    int connectionCount() const { return m_count.load(); }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    struct Connection {
        QThread *thread = nullptr;
        SlipWorker *worker = nullptr;
        QString address;
        bool authenticated = false;
    };

    // Why a new connection from address is turned away; empty when it is not.
    std::string refusalFor(const QString &address) const;
    void reject(qintptr socketDescriptor, const std::string &message);
    void forget(int id);
    static void dispose(const Connection &connection);

    SlipServerConfig m_config;
    std::map<int, Connection> m_connections;
    int m_nextId = 1;
    std::atomic<int> m_count = 0;
};

} // namespace slip
