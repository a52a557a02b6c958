#pragma once
// TSocketConnection: a program window's link to its application server. It
// carries the address, port and server class the window uses, and holds the
// application-server object once there is one:
// - remote: setting Connected opens a kv::RemoteConnection to
//   Address:Port and creates the ServerName object there;
// - in-process: the window creates the object itself and installs it with
//   setAppServer(), without connecting (the loop-back address).
// Disconnecting drops the object and closes the connection.

#include "platform/Dispatch.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

namespace kv {

class RemoteConnection;

class TSocketConnection : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Address READ address WRITE setAddress)
    Q_PROPERTY(QString Host READ host WRITE setHost)
    Q_PROPERTY(int Port READ port WRITE setPort)
    Q_PROPERTY(QString ServerName READ serverName WRITE setServerName)
    Q_PROPERTY(QString AccessToken READ accessToken WRITE setAccessToken)
    Q_PROPERTY(bool Connected READ isConnected WRITE setConnected)
    Q_PROPERTY(bool SupportCallbacks READ supportCallbacks WRITE setSupportCallbacks)
    Q_PROPERTY(QObject *ObjectBroker READ objectBroker WRITE setObjectBroker)

public:
    explicit TSocketConnection(QObject *parent = nullptr);
    ~TSocketConnection() override;

    QString address() const { return m_address; }
    void setAddress(const QString &address) { m_address = address; }
    QString host() const { return m_host; }
    void setHost(const QString &host) { m_host = host; }
    int port() const { return m_port; }
    void setPort(int port) { m_port = port; }
    QString serverName() const { return m_serverName; }
    void setServerName(const QString &name) { m_serverName = name; }
    // The shared secret slipserv asks for in the hello of a remote link.
    QString accessToken() const { return m_accessToken; }
    void setAccessToken(const QString &token) { m_accessToken = token; }
    bool supportCallbacks() const { return m_supportCallbacks; }
    void setSupportCallbacks(bool on) { m_supportCallbacks = on; }
    QObject *objectBroker() const { return m_objectBroker; }
    void setObjectBroker(QObject *broker) { m_objectBroker = broker; }

    // True while a remote connection is open.
    bool isConnected() const;
    // Opening raises DispatchError when the server cannot be reached or has
    // no such class; closing never raises.
    void setConnected(bool connected);
    void Open() { setConnected(true); }
    void Close() { setConnected(false); }

    // The application-server object (remote, or installed in-process).
    const DispatchPtr &AppServer() const { return m_appServer; }
    void setAppServer(DispatchPtr server) { m_appServer = std::move(server); }

    // "host:port" of the link, for messages.
    QString where() const;

private:
    QString m_address;
    QString m_host;
    int m_port = 211;
    QString m_serverName;
    QString m_accessToken;
    bool m_supportCallbacks = false;
    QPointer<QObject> m_objectBroker;
    std::shared_ptr<RemoteConnection> m_connection;
    DispatchPtr m_appServer;
};

} // namespace kv
