#include "link/ByteSpan.h"
#include "link/KXCOMControl.h"

#include "link/LanRecords.h"
#include "link/WaitClock.h"

#include <algorithm>
#include <array>

// Network modules: discovery on UDP 30600, configuration on UDP 30601, and the 32-byte LDCD
// records that query or reset the module over the control connection.

using namespace std::chrono_literals;

namespace {
constexpr int SearchCycles = 3;
constexpr int ConfigureCycles = 10;
constexpr int StepsPerCycle = 30;
constexpr int ReplyCheckTicks = 10;
constexpr int Attempts = 3;
constexpr auto ProgressTick = 100ms;
constexpr auto UnicastDelay = 50ms;
constexpr auto RetryPause = 5ms;
constexpr std::uint8_t DiscoveryRequest = 0x23; // "#"
const QString BroadcastHost = QStringLiteral("255.255.255.255");

QString Spinner(int counter)
{
    static constexpr char Marks[] = {'/', '-', '\\', '|'};
    return QString(QLatin1Char(Marks[counter % 4]));
}

} // namespace

void TKXCOMControl::ProgressStep(const QString &text, int &counter, int lParam)
{
    Notify(NotifyStatusText, 0, lParam, text + Spinner(counter));
    ++counter;
    RunEventsFor(ProgressTick);
}

bool TKXCOMControl::SearchDevices()
{
    if (m_searching)
        return false;
    m_searching = true;
    m_listening = true;
    m_udp->bind(DiscoveryPort);
    const bool broadcast = m_udpMode == umBROADCAST;
    m_udpRemoteHost = broadcast ? BroadcastHost : m_deviceIP;
    m_udp->setBroadcastAllowed(broadcast);

    const QString progress = QStringLiteral("Searching TCP control device ...");
    constexpr std::array<std::uint8_t, 1> request = {DiscoveryRequest};
    bool found = false;
    int counter = 0;
    for (int cycle = 0; cycle < SearchCycles; ++cycle) {
        if (!m_flags.StopRequested) {
            m_replied = false;
            m_udp->send(m_udpRemoteHost, DiscoveryPort, request);
            for (int step = 0; step < StepsPerCycle; ++step) {
                ProgressStep(progress, counter, 0);
                if (m_flags.StopRequested || !m_searching)
                    break;
            }
        }
        if (m_searching && !m_flags.StopRequested)
            found = WaitLANReply(ReplyCheckTicks);
        if (found || m_flags.StopRequested || !m_searching)
            break;
    }
    if (!m_flags.StopRequested) {
        m_searching = false;
        m_listening = false;
    }
    return found;
}

QString TKXCOMControl::GetDeviceItem(int device, int item) const
{
    if (device >= 1 && device <= DeviceCount() && item >= 0 && item < 8)
        return DeviceList.at((device - 1) * 8 + item);
    if (item == 0)
        return QStringLiteral("00-00-00-00-00-00");
    if (item == 1)
        return QStringLiteral("0.0.0.0");
    return {};
}

int TKXCOMControl::ConfigureDevice(const TLANConfigRecord &record)
{
    if (LanRecords::DottedIPv4(std::span(record).subspan(6, 4)) == GetLocalIP())
        return 2;
    if (m_configuring)
        return 1;
    m_configuring = true;
    m_udp->bind(ConfigurationPort);
    TLANConfigRecord request = record;
    request[ConfigStatusByte] = RequestMark;
    request[ConfigChecksumByte] = RecordChecksum(request);
    ConfigReply = request;
    m_replied = false;
    m_listening = true;

    m_udpRemoteHost = BroadcastHost;
    m_udp->setBroadcastAllowed(true);
    m_udp->send(m_udpRemoteHost, ConfigurationPort, request);
    RunEventsFor(UnicastDelay);
    m_udpRemoteHost = m_deviceIP;
    m_udp->send(m_udpRemoteHost, ConfigurationPort, request);

    const QString progress = QStringLiteral("Setting TCP control configuration ...");
    int counter = 0;
    for (int cycle = 0; cycle < ConfigureCycles; ++cycle) {
        if (!m_flags.StopRequested) {
            for (int step = 0; step < StepsPerCycle; ++step) {
                ProgressStep(progress, counter, 1);
                if (m_flags.StopRequested || !m_configuring)
                    break;
            }
        }
        if (m_flags.StopRequested || !m_configuring || WaitLANReply(ReplyCheckTicks))
            break;
    }
    if (m_flags.StopRequested || !m_configuring)
        return 1;
    m_listening = false;
    m_configuring = false;
    if (!m_replied)
        return 1;
    return LanRecords::ConfigResultFor(ConfigReply[ConfigStatusByte]);
}

std::uint8_t TKXCOMControl::RecordChecksum(std::span<const std::uint8_t> record)
{
    return LanRecords::RecordChecksum(record);
}

QString TKXCOMControl::GetLocalIP() const
{
    return m_factory.localIPv4();
}

void TKXCOMControl::SendLDCD(const TLDCDRecord &request, TLDCDResult &result)
{
    if (m_flags.StopRequested)
        return;
    result.Reply.fill(0);
    result.Reply[LdcdReceiveMarkByte] = RequestMark;
    result.Success = 0;
    const TLDCDRecord wire = LanRecords::LdcdWireRecord(request);
    stream().clearError();

    bool lastBadChecksum = false;
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        const Attempt outcome =
            TryExchange(wire, ReplyKind::Ldcd, attempt == Attempts, result.Success,
                        [&] { LogLDCD(QStringLiteral("send LDCD:   "), wire); });
        if (outcome == Attempt::Over)
            return;
        if (outcome == Attempt::Retry)
            continue;
        const auto answer = m_answer.buffer().first(LdcdRecordSize);
        std::copy(answer.begin(), answer.end(), result.Reply.begin());
        LogLDCD(QStringLiteral("rcv LDCD:   "), result.Reply);
        const auto verdict = LanRecords::CheckLdcdAnswer(result.Reply, wire);
        if (verdict == LanRecords::LdcdVerdict::Accepted) {
            result.Success = 1;
            return;
        }
        result.Success = 0;
        lastBadChecksum = verdict == LanRecords::LdcdVerdict::BadChecksum;
        m_clock.sleep(RetryPause);
    }
    // A module that refuses (receive mark) or answers for another header is not a broken
    // line; only a corrupted answer is reported.
    if (lastBadChecksum)
        Notify(NotifySendFailed);
}

std::uint8_t TKXCOMControl::LDCDChecksum(std::span<const std::uint8_t> record)
{
    return LanRecords::LDCDChecksum(record);
}

bool TKXCOMControl::WaitLANReply(int ticks)
{
    const std::int64_t start = m_clock.elapsedMs();
    int steps = 0;
    do {
        ++steps;
        RunEventsUntil(start + steps * WaitTickMs);
    } while (!m_replied && steps < ticks && !m_flags.StopRequested);
    return m_replied;
}

void TKXCOMControl::UDPDataReceived(const QByteArray &bytes, const QString &sender,
                                    quint16 senderPort)
{
    const QString localIP = GetLocalIP();
    if (!sender.isEmpty())
        Notify(NotifyTrace, 0, 0, LanRecords::DatagramTraceText(sender, senderPort, localIP));
    if (!m_listening || bytes.isEmpty() || sender == localIP)
        return;
    const auto data = ByteSpan(bytes);

    // Each kind of answer counts only for the operation that asked for it: a discovery answer
    // arriving during a configuration must not pass for the module's verdict.
    if (senderPort == DiscoveryPort && m_searching) {
        const std::size_t count = LanRecords::DiscoveryRecordCount(data.size());
        if (count == 0)
            return;
        for (std::size_t i = 0; i < count; ++i) {
            const auto record = data.subspan(i * LanDeviceRecordSize, LanDeviceRecordSize);
            const QStringList items = LanRecords::DeviceItems(record);
            bool known = false;
            for (qsizetype at = 0; at < DeviceList.size() && !known; at += 8)
                known = DeviceList.at(at) == items.at(0);
            if (!known && DeviceCount() < DeviceListLimit)
                DeviceList += items;
        }
        m_replied = true;
    } else if (senderPort == ConfigurationPort && m_configuring) {
        if (const auto answer = LanRecords::FirstConfigAnswer(data)) {
            ConfigReply = *answer;
            m_replied = true;
        }
    }
}

void TKXCOMControl::LogLDCD(const QString &caption, std::span<const std::uint8_t> record)
{
    Notify(NotifyTrace, 0, 0, LanRecords::LdcdLogText(caption, record));
}
