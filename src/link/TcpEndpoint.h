#pragma once

#include "link/DescriptorEndpoint.h"

/// The TCP client to the switcher's network module, remote port 8000.
class TcpEndpoint final : public DescriptorEndpoint
{
    Q_OBJECT
public:
    explicit TcpEndpoint(std::uint16_t remotePort, QObject *parent = nullptr);

    void setTarget(const QString &target) override { m_host = target; }
    QString target() const override { return m_host; }
    void startOpen() override;

protected:
    void connectionReady() override;
    ssize_t writeSome(std::span<const std::uint8_t> bytes) override;

private:
    QString m_host;
    std::uint16_t m_remotePort;
};
