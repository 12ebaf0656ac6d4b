#pragma once

#include "link/Transport.h"

/// The real endpoints: the serial port and the TCP client on descriptors of their own
/// (SerialEndpoint, TcpEndpoint), the UDP socket on QUdpSocket.
class QtTransportFactory final : public TransportFactory
{
public:
    std::unique_ptr<StreamEndpoint> createSerial() override;
    std::unique_ptr<StreamEndpoint> createTcp() override;
    std::unique_ptr<DatagramEndpoint> createUdp() override;
    QString localIPv4() const override;
};
