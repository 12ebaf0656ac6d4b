#pragma once

#include "link/Transport.h"

#include <QUdpSocket>

#include <memory>

/// The UDP socket of discovery (30600) and configuration (30601).
class UdpEndpoint final : public DatagramEndpoint
{
    Q_OBJECT
public:
    using DatagramEndpoint::DatagramEndpoint;

    bool bind(std::uint16_t localPort) override;
    void setBroadcastAllowed(bool allowed) override { m_broadcast = allowed; }
    bool send(const QString &host, std::uint16_t port,
              std::span<const std::uint8_t> bytes) override;
    void close() override { m_socket.reset(); }

private:
    void readPending();

    std::unique_ptr<QUdpSocket> m_socket;
    bool m_broadcast = false;
};
