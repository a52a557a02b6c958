#pragma once
// TSimpleObjectBroker: the list of application servers a connection may
// choose from. The program windows clear the connection's broker once the
// address comes from the settings, so it only keeps the form complete.

#include <QObject>
#include <QStringList>

namespace kv {

class TSimpleObjectBroker : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList Servers READ servers WRITE setServers)
    Q_PROPERTY(bool LoadBalanced READ loadBalanced WRITE setLoadBalanced)

public:
    explicit TSimpleObjectBroker(QObject *parent = nullptr);

    QStringList servers() const { return m_servers; }
    void setServers(const QStringList &servers) { m_servers = servers; }
    bool loadBalanced() const { return m_loadBalanced; }
    void setLoadBalanced(bool on) { m_loadBalanced = on; }

private:
    QStringList m_servers;
    bool m_loadBalanced = false;
};

} // namespace kv
