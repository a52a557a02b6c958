#include "net/SlipServer.h"

#include "net/SlipListener.h"

#include <QHostAddress>
#include <QThread>

namespace slip {

SlipServer::SlipServer(SlipServerConfig config) : m_config(std::move(config)) {}

SlipServer::~SlipServer()
{
    stop();
}

void SlipServer::start()
{
    if (m_listener)
        return;
    m_config.validate();
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(m_config.listenAddress)))
        throw SlipServerError("ListenAddress " + m_config.listenAddress + " is not an IP address");

    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("slipserv-listener"));
    m_listener = new SlipListener(m_config);
    m_listener->moveToThread(m_thread.get());
    m_thread->start();

    bool listening = false;
    QString error;
    QMetaObject::invokeMethod(
        m_listener,
        [&] {
            listening = m_listener->listen(address, quint16(m_config.port));
            error = m_listener->errorString();
            m_port = m_listener->serverPort();
        },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        stop();
        throw SlipServerError("Cannot listen on " + m_config.listenAddress + ":" + std::to_string(m_config.port) +
                              ": " + error.toStdString());
    }
}

void SlipServer::stop()
{
    if (!m_listener)
        return;
    SlipListener *listener = m_listener;
    QMetaObject::invokeMethod(
        listener,
        [listener] {
            listener->shutdown();
            listener->deleteLater();
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    m_thread.reset();
    m_listener = nullptr;
    m_port = 0;
}

int SlipServer::connectionCount() const
{
    return m_listener ? m_listener->connectionCount() : 0;
}

} // namespace slip
