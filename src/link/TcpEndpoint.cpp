#include "link/TcpEndpoint.h"

#include <QHostAddress>

TcpEndpoint::TcpEndpoint(std::uint16_t remotePort, QObject *parent)
    : StreamEndpoint(parent), m_remotePort(remotePort)
{
    // Frames are small and answered one by one: no Nagle delay. The option only takes once
    // the socket exists, that is when the connection is up.
    connect(&m_socket, &QTcpSocket::connected, this,
            [this] { m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] {
        m_answered = true;
        emit bytesArrived();
    });
    connect(&m_socket, &QTcpSocket::stateChanged, this, &StreamEndpoint::stateChanged);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpEndpoint::onError);
}

void TcpEndpoint::startOpen()
{
    m_error.clear();
    m_failure = Failure::None;
    m_answered = false;
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        m_socket.abort();
    // Only dotted IPv4 text is accepted: no name lookup, so an odd address fails at once
    // instead of waiting for a resolver. Leading zeros in an octet are read as decimal.
    const QStringList octets = m_host.trimmed().split(QLatin1Char('.'));
    bool valid = octets.size() == 4;
    QString normalized;
    for (const QString &octet : octets) {
        bool ok = false;
        const int value = octet.toInt(&ok, 10);
        valid = valid && ok && value >= 0 && value <= 255;
        normalized +=
            (normalized.isEmpty() ? QString() : QStringLiteral(".")) + QString::number(value);
    }
    const QHostAddress address(normalized);
    if (!valid || address.isNull() || address == QHostAddress::AnyIPv4) {
        m_error = QStringLiteral("invalid address ") + m_host;
        m_failure = Failure::NotFound;
        emit errorOccurred();
        return;
    }
    m_socket.connectToHost(address, m_remotePort);
}

StreamEndpoint::State TcpEndpoint::state() const
{
    switch (m_socket.state()) {
    case QAbstractSocket::ConnectedState:
        return State::Open;
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        return State::Opening;
    default:
        return State::Closed;
    }
}

void TcpEndpoint::close()
{
    m_socket.disconnectFromHost();
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        m_socket.abort();
}

void TcpEndpoint::abort()
{
    m_socket.abort();
}

void TcpEndpoint::clearInput()
{
    if (m_socket.bytesAvailable() > 0)
        m_socket.read(65536);
}

qint64 TcpEndpoint::write(std::span<const std::uint8_t> bytes)
{
    if (m_socket.state() != QAbstractSocket::ConnectedState) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("not connected");
        return -1;
    }
    const qint64 written =
        m_socket.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    if (written != qint64(bytes.size())) {
        if (m_error.isEmpty())
            m_error = m_socket.errorString();
        return -1;
    }
    m_socket.flush();
    return written;
}

QByteArray TcpEndpoint::takeAvailable()
{
    return m_socket.readAll();
}

void TcpEndpoint::onError(QAbstractSocket::SocketError error)
{
    m_error = m_socket.errorString();
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        m_failure = Failure::Refused;
        break;
    case QAbstractSocket::HostNotFoundError:
        m_failure = Failure::NotFound;
        break;
    case QAbstractSocket::SocketAccessError:
        m_failure = Failure::Permission;
        break;
    case QAbstractSocket::RemoteHostClosedError:
        // A network module serves one client: it takes a second connection and closes it
        // before saying anything.
        m_failure = m_answered ? Failure::Other : Failure::Busy;
        break;
    default:
        m_failure = Failure::Other;
        break;
    }
    emit errorOccurred();
}
