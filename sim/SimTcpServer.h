#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdint>

class SwitcherDevice;

inline constexpr std::uint16_t SimDefaultTcpPort = 8000;

/// Serves a SwitcherDevice to one TCP client at a time, like a switcher's network module.
/// A second client is disconnected at once while the first one stays.
class SimTcpServer : public QObject
{
    Q_OBJECT
public:
    explicit SimTcpServer(SwitcherDevice &device, QObject *parent = nullptr);
    ~SimTcpServer() override;

    bool listen(const QHostAddress &address, std::uint16_t port = SimDefaultTcpPort);
    void close();
    bool isListening() const { return m_server.isListening(); }
    std::uint16_t port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }

    bool hasClient() const { return !m_client.isNull(); }
    /// Drops the client with a TCP reset, as a module losing power would.
    void resetConnection();
    /// Starts sending the flood fault's garbage to the client, if it is armed. It starts by
    /// itself when a client connects or sends anything.
    void pumpFlood();

signals:
    void clientConnected();
    void clientDisconnected();

private:
    void acceptClients();
    void dropClient();

    SwitcherDevice &m_device;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_garbage; // one chunk of the flood, made once
};
