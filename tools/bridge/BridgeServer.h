#pragma once

#include "VideohubBridge.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <map>

namespace Bridge {

class SocketChannel;

/// The bridge's TCP side: accepts Videohub clients, hands their bytes to the bridge and
/// writes its answers back. Bounds what a client may cost: its unread input, its unsent
/// output and the number of clients.
class BridgeServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxClients = 32;
    /// Bytes read from a socket at a time.
    static constexpr qint64 ReadChunk = 64 * 1024;
    /// A client that does not read what it is sent is dropped beyond this.
    static constexpr qint64 MaxUnsentBytes = 1024 * 1024;

    explicit BridgeServer(VideohubBridge &bridge, QObject *parent = nullptr);
    ~BridgeServer() override;

    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const { return m_server.errorString(); }
    QHostAddress address() const { return m_server.serverAddress(); }
    quint16 port() const { return m_server.serverPort(); }

signals:
    void logLine(const QString &text);

private:
    void acceptClients();
    void forget(VideohubBridge::ClientId id);

    VideohubBridge &m_bridge;
    QTcpServer m_server;
    std::map<VideohubBridge::ClientId, SocketChannel *> m_channels;
};

} // namespace Bridge
