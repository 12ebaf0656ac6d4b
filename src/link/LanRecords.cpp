#include "link/LanRecords.h"

#include "link/LinkLog.h"

#include <algorithm>
#include <numeric>

namespace {
constexpr std::size_t MacOffset = 0;
constexpr std::size_t AddressOffset = 6;
constexpr std::size_t SecondAddressOffset = 10;
constexpr std::size_t ThirdAddressOffset = 14;
constexpr std::size_t FirstNumberOffset = 18;
constexpr std::size_t SecondNumberOffset = 20;
constexpr std::size_t DeviceTagOffset = 22;
constexpr std::size_t DhcpOffset = 54;
constexpr char Replacement = '?';

const QString LineBreak = QStringLiteral("\r\n");

bool Printable(char16_t c)
{
    return c >= 0x20 && c < 0x7F;
}

QString BigEndianNumber(std::span<const std::uint8_t> bytes)
{
    return QString::number(unsigned(bytes[0]) << 8 | bytes[1]);
}

unsigned SumOf(std::span<const std::uint8_t> record, std::size_t count)
{
    const auto used = record.first(std::min(record.size(), count));
    return std::accumulate(used.begin(), used.end(), 0u);
}
} // namespace

namespace LanRecords {

QString MacText(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 6)
        return QStringLiteral("00-00-00-00-00-00");
    QString text;
    for (std::size_t i = 0; i < 6; ++i) {
        if (i > 0)
            text += QLatin1Char('-');
        text += HexByte(bytes[i]);
    }
    return text;
}

QString DottedIPv4(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 4)
        return QStringLiteral("0.0.0.0");
    return QString::number(bytes[0]) + QLatin1Char('.') + QString::number(bytes[1]) +
           QLatin1Char('.') + QString::number(bytes[2]) + QLatin1Char('.') +
           QString::number(bytes[3]);
}

QString TagText(std::span<const std::uint8_t> bytes)
{
    QString text;
    for (const std::uint8_t byte : bytes) {
        if (byte == 0)
            break;
        text += Printable(byte) ? QLatin1Char(char(byte)) : QLatin1Char(Replacement);
    }
    return text;
}

QString SafeTag(const QString &text)
{
    QString safe = text;
    for (QChar &c : safe) {
        if (!Printable(c.unicode()))
            c = QLatin1Char(Replacement);
    }
    return safe;
}

QStringList DeviceItems(std::span<const std::uint8_t> record)
{
    if (record.size() != LanDeviceRecordSize)
        return {};
    return {
        MacText(record.subspan(MacOffset, 6)),
        DottedIPv4(record.subspan(AddressOffset, 4)),
        DottedIPv4(record.subspan(SecondAddressOffset, 4)),
        DottedIPv4(record.subspan(ThirdAddressOffset, 4)),
        BigEndianNumber(record.subspan(FirstNumberOffset, 2)),
        BigEndianNumber(record.subspan(SecondNumberOffset, 2)),
        TagText(record.subspan(DeviceTagOffset, DeviceTagSize)),
        QString::number(record[DhcpOffset]),
    };
}

std::size_t DiscoveryRecordCount(std::size_t size)
{
    if (size == 0 || size > DatagramKeep || size % LanDeviceRecordSize != 0)
        return 0;
    return size / LanDeviceRecordSize;
}

std::optional<TLANConfigRecord> FirstConfigAnswer(std::span<const std::uint8_t> datagram)
{
    const std::size_t size = datagram.size();
    if (size == 0 || size > DatagramKeep || size % LanConfigRecordSize != 0)
        return std::nullopt;
    for (std::size_t at = 0; at + LanConfigRecordSize <= size; at += LanConfigRecordSize) {
        const auto record = datagram.subspan(at, LanConfigRecordSize);
        if (record[ConfigStatusByte] == RequestMark)
            continue;
        TLANConfigRecord answer{};
        std::copy(record.begin(), record.end(), answer.begin());
        return answer;
    }
    return std::nullopt;
}

int ConfigResultFor(std::uint8_t status)
{
    if (status == 0x00)
        return 0;
    if (status & 0x20)
        return 2;
    return 1;
}

std::uint8_t RecordChecksum(std::span<const std::uint8_t> record)
{
    return std::uint8_t(SumOf(record, ConfigStatusByte + 1));
}

std::uint8_t LDCDChecksum(std::span<const std::uint8_t> record)
{
    return std::uint8_t(SumOf(record, LdcdReceiveMarkByte + 1));
}

TLDCDRecord LdcdWireRecord(const TLDCDRecord &request)
{
    TLDCDRecord wire = request;
    std::copy(LdcdHeader.begin(), LdcdHeader.end(), wire.begin());
    wire[LdcdReceiveMarkByte] = RequestMark;
    wire[LdcdChecksumByte] = LDCDChecksum(wire);
    return wire;
}

LdcdVerdict CheckLdcdAnswer(std::span<const std::uint8_t> answer,
                            std::span<const std::uint8_t> request)
{
    if (answer.size() < LdcdRecordSize || request.size() < LdcdHeader.size())
        return LdcdVerdict::Short;
    if (answer[LdcdReceiveMarkByte] == RequestMark)
        return LdcdVerdict::Refused;
    if (answer[LdcdChecksumByte] != LDCDChecksum(answer))
        return LdcdVerdict::BadChecksum;
    if (!std::equal(LdcdHeader.begin(), LdcdHeader.end(), answer.begin(), answer.begin() + 16) ||
        !std::equal(request.begin(), request.begin() + 16, answer.begin()))
        return LdcdVerdict::BadHeader;
    return LdcdVerdict::Accepted;
}

QString LdcdLogText(const QString &caption, std::span<const std::uint8_t> record)
{
    auto at = [&record](std::size_t i) { return HexByte(i < record.size() ? record[i] : 0); };
    QString text = caption + LineBreak + QStringLiteral("header:");
    for (std::size_t i = 0; i < LdcdHeader.size(); ++i)
        text += at(i) + QLatin1Char(' ');
    text += LineBreak + QStringLiteral("command:") + at(16) + LineBreak;
    text += QStringLiteral("param1:") + at(17) + QStringLiteral("; param2:") + at(18) + LineBreak;
    text += QStringLiteral("DHCP:") + at(19) + LineBreak;
    text += QStringLiteral("IPAddr:") + at(20) + QLatin1Char(' ') + at(21) + QLatin1Char(' ') +
            at(22) + QLatin1Char(' ') + at(23) + LineBreak;
    text += QStringLiteral("ReveiveOK:") + at(30) + LineBreak;
    text += QStringLiteral("CheckSum:") + at(31) + LineBreak;
    text += QString(39, QLatin1Char('/'));
    return text;
}

QString DatagramTraceText(const QString &sender, quint16 port, const QString &localIP)
{
    return QStringLiteral("Remote: [") + sender + QStringLiteral("] : Port[") +
           QString::number(port) + QStringLiteral("]") + LineBreak + QStringLiteral("Local: [") +
           localIP + QStringLiteral("]");
}

} // namespace LanRecords
