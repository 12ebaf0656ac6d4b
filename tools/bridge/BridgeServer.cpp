#include "BridgeServer.h"

#include <QTcpSocket>

namespace Bridge {

/// One client's socket as the bridge's channel.
class SocketChannel final : public QObject, public ClientChannel
{
public:
    SocketChannel(QTcpSocket *socket, QObject *parent) : QObject(parent), m_socket(socket)
    {
        socket->setParent(this);
        m_peer = socket->peerAddress().toString() + QLatin1Char(':') +
                 QString::number(socket->peerPort());
    }

    void send(const QByteArray &bytes) override
    {
        if (m_closing)
            return;
        m_socket->write(bytes);
        if (m_socket->bytesToWrite() > BridgeServer::MaxUnsentBytes) {
            overflowed = true;
            closeLater();
        }
    }
    void close() override { closeLater(); }
    QString peer() const override { return m_peer; }

    QTcpSocket &socket() const { return *m_socket; }
    bool closing() const { return m_closing; }
    /// The client did not read what it was sent.
    bool overflowed = false;
    VideohubBridge::ClientId id = 0;

    /// Never from inside the bridge's call: the socket goes once the event loop runs.
    void closeLater()
    {
        if (m_closing)
            return;
        m_closing = true;
        QMetaObject::invokeMethod(
            this, [this] { m_socket->abort(); }, Qt::QueuedConnection);
    }

private:
    QTcpSocket *m_socket;
    QString m_peer;
    bool m_closing = false;
};

BridgeServer::BridgeServer(VideohubBridge &bridge, QObject *parent)
    : QObject(parent), m_bridge(bridge)
{
    connect(&m_server, &QTcpServer::pendingConnectionAvailable, this, &BridgeServer::acceptClients);
}

BridgeServer::~BridgeServer()
{
    m_server.close();
    for (const auto &[id, channel] : m_channels)
        m_bridge.removeClient(id);
}

bool BridgeServer::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

void BridgeServer::acceptClients()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_channels.size() >= std::size_t(MaxClients)) {
            emit logLine(QStringLiteral("client ") + socket->peerAddress().toString() +
                         QStringLiteral(" refused: ") + QString::number(MaxClients) +
                         QStringLiteral(" clients are connected"));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setReadBufferSize(ReadChunk);
        auto *channel = new SocketChannel(socket, this);
        const VideohubBridge::ClientId id = m_bridge.addClient(*channel);
        channel->id = id;
        m_channels.emplace(id, channel);

        connect(socket, &QTcpSocket::readyRead, channel, [this, channel] {
            QTcpSocket &in = channel->socket();
            while (in.bytesAvailable() > 0) {
                const QByteArray bytes = in.read(ReadChunk);
                if (!channel->closing())
                    m_bridge.receive(channel->id, bytes);
            }
        });
        connect(
            socket, &QTcpSocket::disconnected, channel, [this, id] { forget(id); },
            Qt::QueuedConnection);
        connect(
            socket, &QTcpSocket::errorOccurred, channel, [this, id] { forget(id); },
            Qt::QueuedConnection);
        if (socket->state() != QAbstractSocket::ConnectedState)
            QMetaObject::invokeMethod(
                this, [this, id] { forget(id); }, Qt::QueuedConnection);
    }
}

void BridgeServer::forget(VideohubBridge::ClientId id)
{
    const auto it = m_channels.find(id);
    if (it == m_channels.end())
        return;
    SocketChannel *channel = it->second;
    m_channels.erase(it);
    if (channel->overflowed)
        emit logLine(QStringLiteral("client ") + channel->peer() +
                     QStringLiteral(" dropped: it does not read what it is sent"));
    m_bridge.removeClient(id);
    channel->socket().abort();
    channel->deleteLater();
}

} // namespace Bridge
