#include "net/SlipWorker.h"

#include "db/ConnectionPool.h"
#include "db/RequestDeadline.h"

#include <QElapsedTimer>

#include <QTcpSocket>
#include <QTimer>
#include <QtDebug>

#include <algorithm>

namespace slip {

namespace {

// Bytes taken from the socket at a time; the rest waits in the system's
// buffers until the request before it is answered.
constexpr qint64 kReadChunk = 256 * 1024;

} // namespace

SlipWorker::SlipWorker(qintptr socketDescriptor, const SlipServerConfig &config)
    : m_descriptor(socketDescriptor), m_config(config), m_reader(SlipServerConfig::kMaxHelloBytes)
{
}

SlipWorker::~SlipWorker() = default;

void SlipWorker::start()
{
    m_session = std::make_unique<SlipSession>(m_config.accessToken, m_config.maxObjectsPerConnection);
    m_socket = new QTcpSocket(this);
    m_idleTimer = new QTimer(this);
    m_frameTimer = new QTimer(this);
    m_idleTimer->setSingleShot(true);
    m_frameTimer->setSingleShot(true);
    connect(m_idleTimer, &QTimer::timeout, this, &SlipWorker::onIdleTimeout);
    connect(m_frameTimer, &QTimer::timeout, this, &SlipWorker::onFrameTimeout);
    if (!m_socket->setSocketDescriptor(m_descriptor)) {
        finish();
        return;
    }
    m_peer = m_socket->peerAddress().toString().toStdString() + ":" + std::to_string(m_socket->peerPort());
    m_socket->setReadBufferSize(SlipServerConfig::kMaxHelloBytes);
    connect(m_socket, &QTcpSocket::readyRead, this, &SlipWorker::pump);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &SlipWorker::pump);
    connect(m_socket, &QTcpSocket::disconnected, this, &SlipWorker::finish);
    restartIdleTimer();
    pump();
}

void SlipWorker::stop()
{
    if (m_socket)
        m_socket->abort();
    finish();
}

void SlipWorker::pump()
{
    if (m_finished)
        return;
    if (m_closing) {
        m_socket->readAll(); // nothing more is served; keep the peer from stalling
        return;
    }
    try {
        // One request at a time: the next is read once the reply is out.
        while (!m_closing && !m_finished && m_socket->bytesToWrite() == 0) {
            if (std::optional<QByteArray> payload = m_reader.next()) {
                handle(*payload);
                continue;
            }
            if (m_socket->bytesAvailable() == 0)
                break;
            m_reader.append(m_socket->read(std::min<qint64>(kReadChunk, m_reader.maxPayload() + 4)));
        }
    } catch (const kv::CborError &error) {
        closeWith(std::string("Request refused: ") + error.what());
        return;
    }
    updateFrameTimer();
}

// Runs a request under the request time limit. A request whose statement
// the limit stopped is answered with a time-out error, even when the object
// caught the database's error and would have answered as if all went well.
SlipSession::Outcome SlipWorker::serve(const QByteArray &payload)
{
    if (m_config.requestTimeoutMs <= 0)
        return m_session->handle(payload);
    QElapsedTimer timer;
    timer.start();
    const RequestDeadline deadline{std::chrono::milliseconds(m_config.requestTimeoutMs)};
    SlipSession::Outcome outcome = m_session->handle(payload);
    if (!deadline.stoppedStatement())
        return outcome;
    const std::string limit = std::to_string(m_config.requestTimeoutMs / 1000) + " s";
    qWarning("slipserv: stopped a request of %s after %lld ms: it ran longer than the request time limit of %s",
             m_peer.c_str(), static_cast<long long>(timer.elapsed()), limit.c_str());
    if (!outcome.reply.isEmpty())
        outcome.reply = SlipSession::errorReply("Request stopped: it ran longer than the request time limit of " +
                                                limit + " (RequestTimeoutSeconds)");
    return outcome;
}

void SlipWorker::handle(const QByteArray &payload)
{
    const SlipSession::Outcome outcome = serve(payload);
    // Between requests the client holds no database connection (unless its
    // transaction is open), so more clients than connections can be served.
    ConnectionPool::returnThreadConnections();
    if (m_session->isAuthenticated() && !m_authenticated) {
        m_authenticated = true;
        m_reader.setMaxPayload(m_config.maxFrameBytes);
        m_socket->setReadBufferSize(kReadChunk * 4);
        emit authenticated();
    }
    restartIdleTimer();
    if (!outcome.reply.isEmpty())
        send(outcome.reply);
    if (outcome.close) {
        qInfo("slipserv: closing %s after a refused request", m_peer.c_str());
        beginClose();
    }
}

void SlipWorker::send(const QByteArray &payload)
{
    try {
        m_socket->write(kv::encodeFrame(payload));
    } catch (const kv::CborError &error) {
        m_socket->write(kv::encodeFrame(SlipSession::errorReply(std::string("The reply cannot be sent: ") + error.what())));
    }
}

void SlipWorker::closeWith(const std::string &message)
{
    if (m_closing || m_finished)
        return;
    qInfo("slipserv: closing %s: %s", m_peer.c_str(), message.c_str());
    send(SlipSession::errorReply(message));
    beginClose();
}

// Lets the last reply go out, then closes; a peer that does not take it
// within the frame timeout is cut off.
void SlipWorker::beginClose()
{
    m_closing = true;
    m_idleTimer->stop();
    m_frameTimer->start(m_config.frameTimeoutMs);
    m_socket->disconnectFromHost();
    if (m_socket->state() == QAbstractSocket::UnconnectedState)
        finish();
}

void SlipWorker::onIdleTimeout()
{
    closeWith("Connection closed: no request for " + std::to_string(m_idleTimer->interval()) + " ms");
}

void SlipWorker::onFrameTimeout()
{
    if (m_closing) {
        m_socket->abort();
        finish();
        return;
    }
    closeWith("Connection closed: a request did not arrive completely within " +
              std::to_string(m_config.frameTimeoutMs) + " ms");
}

// The frame timer runs from the first byte of a request to its last, so a
// request trickling in byte by byte cannot hold the worker forever. While a
// reply is still going out the next request is not read, and not timed.
void SlipWorker::updateFrameTimer()
{
    const bool partial =
        m_socket->bytesToWrite() == 0 && (m_reader.pendingBytes() > 0 || m_socket->bytesAvailable() > 0);
    if (!partial)
        m_frameTimer->stop();
    else if (!m_frameTimer->isActive())
        m_frameTimer->start(m_config.frameTimeoutMs);
}

// Until the hello is accepted the connection gets only the frame timeout.
void SlipWorker::restartIdleTimer()
{
    m_idleTimer->start(m_session->isAuthenticated() ? m_config.idleTimeoutMs : m_config.frameTimeoutMs);
}

void SlipWorker::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_idleTimer->stop();
    m_frameTimer->stop();
    m_socket->abort();
    // The socket may be the sender of the signal that got us here.
    m_socket->deleteLater();
    // The objects end on this thread; what they used of the database goes
    // back to the pool for the next client.
    m_session.reset();
    ConnectionPool::returnThreadConnections();
    emit finished();
}

} // namespace slip
