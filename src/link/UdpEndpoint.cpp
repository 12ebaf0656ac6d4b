#include "link/UdpEndpoint.h"

#include "link/ByteSpan.h"
#include "link/LinkLogging.h"

#include <QNetworkDatagram>

namespace {
constexpr qint64 DatagramKeep = 2048; // bytes of a datagram the controller looks at
}

bool UdpEndpoint::bind(std::uint16_t localPort)
{
    m_socket = std::make_unique<QUdpSocket>();
    connect(m_socket.get(), &QUdpSocket::readyRead, this, &UdpEndpoint::readPending);
    return m_socket->bind(QHostAddress::AnyIPv4, localPort,
                          QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
}

bool UdpEndpoint::send(const QString &host, std::uint16_t port, std::span<const std::uint8_t> bytes)
{
    if (!m_socket)
        return false;
    const QHostAddress address(host);
    if (address.isNull())
        return false;
    if (address == QHostAddress::Broadcast && !m_broadcast)
        return false;
    const qint64 sent = m_socket->writeDatagram(reinterpret_cast<const char *>(bytes.data()),
                                                qint64(bytes.size()), address, port);
    TraceWire("UDP", sent == qint64(bytes.size()) ? "sent" : "not sent", bytes);
    return sent == qint64(bytes.size());
}

void UdpEndpoint::readPending()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram(DatagramKeep);
        TraceWire("UDP", "received", ByteSpan(datagram.data()));
        QHostAddress sender = datagram.senderAddress();
        bool isV4 = false;
        const quint32 v4 = sender.toIPv4Address(&isV4);
        const QString senderText = isV4 ? QHostAddress(v4).toString() : sender.toString();
        emit datagramArrived(datagram.data(), senderText, quint16(datagram.senderPort()));
    }
}
