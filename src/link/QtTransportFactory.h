#pragma once

#include "link/Commands.h"
#include "link/Transport.h"

/// The real endpoints: the serial port and the TCP client on descriptors of their own
/// (SerialEndpoint, TcpEndpoint), the UDP socket on QUdpSocket.
class QtTransportFactory final : public TransportFactory
{
public:
    /// `tcpPort`: the remote port of the TCP client; the switcher's module listens on 8000.
    explicit QtTransportFactory(std::uint16_t tcpPort = SwitcherTcpPort) : m_tcpPort(tcpPort) {}

    std::unique_ptr<StreamEndpoint> createSerial() override;
    std::unique_ptr<StreamEndpoint> createTcp() override;
    std::unique_ptr<DatagramEndpoint> createUdp() override;
    QString localIPv4() const override;

private:
    std::uint16_t m_tcpPort;
};
