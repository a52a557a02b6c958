#pragma once
// Serves one client connection on its own thread: reads frames with a size
// limit, hands each request to the connection's SlipSession and writes the
// reply. It closes the connection, after an error reply saying why, on an
// oversized or malformed frame, a refused hello, a request that does not
// arrive completely within the frame timeout, and a connection idle past the
// idle timeout. Each request runs under the request time limit (see
// db/RequestDeadline.h). A client that does not read its replies is not read from
// either, so neither side's buffers grow without bound.

#include "net/SlipServerConfig.h"
#include "net/SlipSession.h"

#include "platform/VariantCbor.h"

#include <QObject>

#include <memory>

class QTcpSocket;
class QTimer;

namespace slip {

class SlipWorker : public QObject {
    Q_OBJECT

public:
    SlipWorker(qintptr socketDescriptor, const SlipServerConfig &config);
    ~SlipWorker() override;

public slots:
    // Both run on the worker's thread.
    void start();
    void stop();

signals:
    // The client's hello was accepted.
    void authenticated();
    // The connection is over and the session's objects are gone.
    void finished();

private:
    void pump();
    void handle(const QByteArray &payload);
    SlipSession::Outcome serve(const QByteArray &payload);
    void send(const QByteArray &payload);
    void closeWith(const std::string &message);
    void beginClose();
    void onIdleTimeout();
    void onFrameTimeout();
    void updateFrameTimer();
    void restartIdleTimer();
    void finish();

    qintptr m_descriptor;
    SlipServerConfig m_config;
    kv::FrameReader m_reader;
    std::unique_ptr<SlipSession> m_session;
    QTcpSocket *m_socket = nullptr;
    QTimer *m_idleTimer = nullptr;
    QTimer *m_frameTimer = nullptr;
    std::string m_peer;
    bool m_closing = false;
    bool m_finished = false;
    bool m_authenticated = false;
};

} // namespace slip
