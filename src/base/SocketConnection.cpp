#include "base/SocketConnection.h"

#include "platform/RemoteConnection.h"

namespace kv {

TSocketConnection::TSocketConnection(QObject *parent) : QObject(parent) {}

TSocketConnection::~TSocketConnection()
{
    setConnected(false);
}

bool TSocketConnection::isConnected() const
{
    return m_connection && m_connection->isOpen();
}

void TSocketConnection::setConnected(bool connected)
{
    if (!connected) {
        if (m_connection) {
            m_appServer.reset();
            m_connection->close();
            m_connection.reset();
        }
        return;
    }
    if (isConnected())
        return;
    if (m_serverName.isEmpty())
        throw DispatchError("No server class name is set for the connection");
    RemoteConnectionOptions options;
    options.host = (m_address.isEmpty() ? m_host : m_address).toStdString();
    options.port = m_port;
    options.token = m_accessToken.toStdString();
    auto connection = RemoteConnection::open(options);
    m_appServer = connection->createObject(m_serverName.toStdString());
    m_connection = std::move(connection);
}

QString TSocketConnection::where() const
{
    return QStringLiteral("%1:%2").arg(m_address.isEmpty() ? m_host : m_address).arg(m_port);
}

} // namespace kv

