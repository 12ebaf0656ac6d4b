#pragma once

#include "link/Transport.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <vector>

class VirtualClock;

/// A scripted serial port or TCP client. What the link writes is recorded; a responder (the
/// test's stand-in for the switcher) answers by delivering bytes, at once or after a virtual
/// delay.
class FakeStreamEndpoint final : public StreamEndpoint
{
    Q_OBJECT
public:
    explicit FakeStreamEndpoint(VirtualClock *clock);

    void setTarget(const QString &target) override { m_target = target; }
    QString target() const override { return m_target; }
    void startOpen() override;
    State state() const override { return m_state; }
    void close() override;
    void abort() override;
    void clearInput() override;
    qint64 write(std::span<const std::uint8_t> bytes) override;
    QByteArray takeAvailable() override;
    bool hasError() const override { return !m_error.isEmpty(); }
    QString errorString() const override { return m_error; }
    void clearError() override { m_error.clear(); }
    Failure failure() const override { return m_failure; }

    // Script.
    /// Called with every write; typically answers with deliver().
    std::function<void(const QByteArray &written)> responder;
    bool openFails = false;
    /// How a failed open fails: the reason and the system's words for it.
    Failure openFailure = Failure::Other;
    QString openError;
    /// A connect that takes this long (virtual) before it succeeds or fails; 0 = at once.
    std::chrono::milliseconds connectDelay{0};
    bool failWrites = false;

    /// Bytes arriving from the device, announced through the event loop.
    void deliver(const QByteArray &bytes);
    /// The same after a virtual delay.
    void deliverLater(std::chrono::milliseconds delay, const QByteArray &bytes);
    /// The device or peer goes away: an error is raised and the endpoint closes.
    void breakConnection(const QString &why = QStringLiteral("device removed"));

    // Record.
    QList<QByteArray> writes;
    int openCalls = 0;
    int closeCalls = 0;
    int clearCalls = 0;

private:
    VirtualClock *m_clock;
    QString m_target;
    State m_state = State::Closed;
    QByteArray m_inbound;
    QString m_error;
    Failure m_failure = Failure::None;
};

/// A scripted UDP socket.
class FakeDatagramEndpoint final : public DatagramEndpoint
{
    Q_OBJECT
public:
    struct Sent
    {
        QString host;
        quint16 port = 0;
        QByteArray bytes;
        bool broadcastAllowed = false;
    };

    bool bind(std::uint16_t localPort) override;
    void setBroadcastAllowed(bool allowed) override { m_broadcast = allowed; }
    bool send(const QString &host, std::uint16_t port,
              std::span<const std::uint8_t> bytes) override;
    void close() override { boundPort = 0; }

    /// A datagram arriving from `sender`:`port`, announced at once.
    void deliver(const QByteArray &bytes, const QString &sender, quint16 port);

    std::function<void(const Sent &)> responder;
    std::vector<Sent> sent;
    std::vector<std::uint16_t> binds;
    std::uint16_t boundPort = 0;

private:
    bool m_broadcast = false;
};

/// Hands the link fakes and keeps a pointer to each (the link owns them).
class FakeTransportFactory final : public TransportFactory
{
public:
    explicit FakeTransportFactory(VirtualClock *clock = nullptr) : m_clock(clock) {}

    std::unique_ptr<StreamEndpoint> createSerial() override;
    std::unique_ptr<StreamEndpoint> createTcp() override;
    std::unique_ptr<DatagramEndpoint> createUdp() override;
    QString localIPv4() const override { return localIP; }

    QString localIP = QStringLiteral("192.168.0.10");
    FakeStreamEndpoint *serial = nullptr;
    FakeStreamEndpoint *tcp = nullptr;
    FakeDatagramEndpoint *udp = nullptr;

private:
    VirtualClock *m_clock;
};
