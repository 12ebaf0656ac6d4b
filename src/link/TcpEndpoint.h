#pragma once

#include "link/Transport.h"

#include <QTcpSocket>

/// The TCP client to the switcher's network module, at the remote port it is made with (8000
/// for the program).
class TcpEndpoint final : public StreamEndpoint
{
    Q_OBJECT
public:
    explicit TcpEndpoint(std::uint16_t remotePort, QObject *parent = nullptr);

    void setTarget(const QString &target) override { m_host = target; }
    QString target() const override { return m_host; }
    void startOpen() override;
    State state() const override;
    void close() override;
    void abort() override;
    void clearInput() override;
    qint64 write(std::span<const std::uint8_t> bytes) override;
    QByteArray takeAvailable() override;
    bool hasError() const override { return !m_error.isEmpty(); }
    QString errorString() const override { return m_error; }
    void clearError() override { m_error.clear(); }
    Failure failure() const override { return m_failure; }

private:
    void onError(QAbstractSocket::SocketError error);

    QTcpSocket m_socket;
    QString m_host;
    std::uint16_t m_remotePort;
    QString m_error;
    Failure m_failure = Failure::None;
    bool m_answered = false; // bytes came in on this connection
};
