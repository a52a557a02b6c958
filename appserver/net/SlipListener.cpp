#include "net/SlipListener.h"

#include "net/SlipSession.h"
#include "net/SlipWorker.h"

#include "platform/VariantCbor.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QtDebug>

#include <sys/socket.h>

namespace slip {

SlipListener::SlipListener(const SlipServerConfig &config) : m_config(config) {}

SlipListener::~SlipListener()
{
    shutdown();
}

namespace {

// The peer's address of an accepted socket, before any Qt object owns it.
QString peerAddressOf(qintptr socketDescriptor)
{
    sockaddr_storage peer{};
    socklen_t length = sizeof(peer);
    if (::getpeername(int(socketDescriptor), reinterpret_cast<sockaddr *>(&peer), &length) != 0)
        return {};
    return QHostAddress(reinterpret_cast<const sockaddr *>(&peer)).toString();
}

} // namespace

std::string SlipListener::refusalFor(const QString &address) const
{
    if (int(m_connections.size()) >= m_config.maxConnections)
        return "Too many connections (" + std::to_string(m_config.maxConnections) + ")";
    int fromAddress = 0;
    int pending = 0;
    for (const auto &[id, connection] : m_connections) {
        fromAddress += connection.address == address ? 1 : 0;
        pending += connection.authenticated ? 0 : 1;
    }
    if (fromAddress >= m_config.maxConnectionsPerAddress)
        return "Too many connections from " + address.toStdString() + " (" +
               std::to_string(m_config.maxConnectionsPerAddress) + ")";
    if (pending >= m_config.maxPendingHellos)
        return "Too many connections waiting for their hello (" + std::to_string(m_config.maxPendingHellos) + ")";
    return {};
}

void SlipListener::incomingConnection(qintptr socketDescriptor)
{
    const QString address = peerAddressOf(socketDescriptor);
    if (const std::string refusal = refusalFor(address); !refusal.empty()) {
        qInfo("slipserv: turning away %s: %s", qPrintable(address), refusal.c_str());
        reject(socketDescriptor, refusal);
        return;
    }
    const int id = m_nextId++;
    auto *thread = new QThread;
    thread->setObjectName(QStringLiteral("slipserv-connection-%1").arg(id));
    auto *worker = new SlipWorker(socketDescriptor, m_config);
    worker->moveToThread(thread);
    connect(thread, &QThread::started, worker, &SlipWorker::start);
    // quit() is thread-safe; a direct call also works while this thread
    // waits for the worker in shutdown().
    connect(worker, &SlipWorker::finished, thread, &QThread::quit, Qt::DirectConnection);
    connect(thread, &QThread::finished, this, [this, id] { forget(id); });
    connect(worker, &SlipWorker::authenticated, this, [this, id] {
        if (const auto found = m_connections.find(id); found != m_connections.end())
            found->second.authenticated = true;
    });
    m_connections.emplace(id, Connection{thread, worker, address, false});
    m_count = int(m_connections.size());
    thread->start();
}

void SlipListener::reject(qintptr socketDescriptor, const std::string &message)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(socketDescriptor)) {
        delete socket;
        return;
    }
    socket->write(kv::encodeFrame(SlipSession::errorReply(message)));
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(m_config.frameTimeoutMs, socket, [socket] { socket->abort(); });
    socket->disconnectFromHost();
}

// The worker is deleted only here, once its thread has stopped, so nothing
// else can hold a stale pointer to it.
void SlipListener::dispose(const Connection &connection)
{
    connection.thread->wait();
    delete connection.worker;
    delete connection.thread;
}

void SlipListener::forget(int id)
{
    const auto found = m_connections.find(id);
    if (found == m_connections.end())
        return;
    dispose(found->second);
    m_connections.erase(found);
    m_count = int(m_connections.size());
}

void SlipListener::shutdown()
{
    close();
    for (const auto &[id, connection] : m_connections)
        QMetaObject::invokeMethod(connection.worker, &SlipWorker::stop, Qt::QueuedConnection);
    for (const auto &[id, connection] : m_connections)
        dispose(connection);
    m_connections.clear();
    m_count = 0;
}

} // namespace slip
