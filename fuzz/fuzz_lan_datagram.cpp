// Datagrams from anyone on the network: discovery answers, configuration answers and LDCD
// records must be read within their bounds, and no text taken from them may carry a control
// character into the device list.

#include "link/KXCOMControl.h"
#include "link/LanRecords.h"
#include "link/WaitClock.h"

#include <cstdlib>
#include <memory>

namespace {

class IdleStream final : public StreamEndpoint
{
public:
    void setTarget(const QString &target) override { m_target = target; }
    QString target() const override { return m_target; }
    void startOpen() override {}
    State state() const override { return State::Closed; }
    void close() override {}
    void abort() override {}
    void clearInput() override {}
    qint64 write(std::span<const std::uint8_t> bytes) override { return -1; }
    QByteArray takeAvailable() override { return {}; }
    bool hasError() const override { return false; }
    QString errorString() const override { return {}; }
    void clearError() override {}

private:
    QString m_target;
};

// Answers the first request the link sends with the fuzzer's datagram.
class EchoDatagrams final : public DatagramEndpoint
{
public:
    bool bind(std::uint16_t) override { return true; }
    void setBroadcastAllowed(bool) override {}
    bool send(const QString &, std::uint16_t, std::span<const std::uint8_t>) override
    {
        if (!m_answered) {
            m_answered = true;
            emit datagramArrived(answer.left(qsizetype(DatagramKeep)), sender, port);
        }
        return true;
    }
    void close() override {}

    QByteArray answer;
    QString sender;
    quint16 port = 0;

private:
    bool m_answered = false;
};

class Factory final : public TransportFactory
{
public:
    std::unique_ptr<StreamEndpoint> createSerial() override
    {
        return std::make_unique<IdleStream>();
    }
    std::unique_ptr<StreamEndpoint> createTcp() override { return std::make_unique<IdleStream>(); }
    std::unique_ptr<DatagramEndpoint> createUdp() override
    {
        auto endpoint = std::make_unique<EchoDatagrams>();
        udp = endpoint.get();
        return endpoint;
    }
    QString localIPv4() const override { return QStringLiteral("192.168.0.10"); }

    EchoDatagrams *udp = nullptr;
};

class InstantClock final : public WaitClock
{
public:
    void pumpStep(std::chrono::milliseconds step) override { m_now += step.count(); }
    void sleep(std::chrono::milliseconds duration) override { m_now += duration.count(); }
    void wake() override {}
    std::int64_t elapsedMs() const override { return m_now; }

private:
    std::int64_t m_now = 0;
};

void RequireOneLine(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() >= 0x7F)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t selector = data[0];
    const std::span<const std::uint8_t> payload(data + 1, size - 1);

    // The pure readers on the raw bytes.
    if (const std::size_t count = LanRecords::DiscoveryRecordCount(payload.size())) {
        for (std::size_t i = 0; i < count; ++i) {
            const QStringList items = LanRecords::DeviceItems(
                payload.subspan(i * LanDeviceRecordSize, LanDeviceRecordSize));
            for (const QString &item : items)
                RequireOneLine(item);
        }
    }
    (void)LanRecords::FirstConfigAnswer(payload);
    const TLDCDRecord wire = LanRecords::LdcdWireRecord(TLDCDRecord{});
    (void)LanRecords::CheckLdcdAnswer(payload, wire);
    (void)LanRecords::LdcdLogText(QStringLiteral("rcv LDCD:   "), payload);

    // The link's handler during a search or a configuration.
    ProgramFlags flags;
    Factory factory;
    InstantClock clock;
    TKXCOMControl link(flags, factory, clock);
    factory.udp->answer =
        QByteArray(reinterpret_cast<const char *>(payload.data()), qsizetype(payload.size()));
    factory.udp->sender =
        (selector & 0x02) ? QStringLiteral("192.168.0.10") : QStringLiteral("192.168.0.20");
    if (selector & 0x01) {
        factory.udp->port = ConfigurationPort;
        const int result = link.ConfigureDevice(TLANConfigRecord{});
        if (result < 0 || result > 2)
            std::abort();
    } else {
        factory.udp->port = DiscoveryPort;
        link.SearchDevices();
        if (link.DeviceCount() > DeviceListLimit || link.DeviceList.size() % 8 != 0)
            std::abort();
        for (const QString &item : link.DeviceList)
            RequireOneLine(item);
    }
    return 0;
}
