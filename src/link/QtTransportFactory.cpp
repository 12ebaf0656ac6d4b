#include "link/QtTransportFactory.h"

#include "link/Commands.h"
#include "link/SerialEndpoint.h"
#include "link/TcpEndpoint.h"
#include "link/UdpEndpoint.h"

#include <QNetworkInterface>

std::unique_ptr<StreamEndpoint> QtTransportFactory::createSerial()
{
    return std::make_unique<SerialEndpoint>();
}

std::unique_ptr<StreamEndpoint> QtTransportFactory::createTcp()
{
    return std::make_unique<TcpEndpoint>(m_tcpPort);
}

std::unique_ptr<DatagramEndpoint> QtTransportFactory::createUdp()
{
    return std::make_unique<UdpEndpoint>();
}

QString QtTransportFactory::localIPv4() const
{
    // The address of the first interface that is up and not a loopback: the host name may
    // resolve to 127.0.1.1 on Linux, which is not the PC's address on its network.
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return entry.ip().toString();
        }
    }
    return QStringLiteral("127.0.0.1");
}
