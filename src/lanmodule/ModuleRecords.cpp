#include "lanmodule/ModuleRecords.h"

#include "lanmodule/MACAddressText.h"
#include "link/LanRecords.h"

namespace {
constexpr std::size_t AddressOffset = 6;
constexpr std::size_t GatewayOffset = 10;
constexpr std::size_t MaskOffset = 14;
constexpr std::size_t DhcpOffset = 18;
constexpr std::size_t KindOffset = 25;
constexpr std::uint8_t KindPlain = 20;
constexpr std::uint8_t KindStaticAddress = 21;
constexpr std::uint8_t CommandQuery = 0x01;
constexpr std::uint8_t CommandReset = 0xFF;
constexpr std::array<std::uint8_t, 4> DefaultModuleAddress{192, 168, 0, 100};
constexpr std::array<std::uint8_t, 4> SubnetMask{255, 255, 255, 0};
} // namespace

namespace ModuleRecords {

TLANConfigRecord BuildConfigRecord(const ConfigChoice &choice)
{
    TLANConfigRecord record{};
    if (const auto mac = MACAddressText::ParseMACAddress(choice.mac))
        std::copy(mac->begin(), mac->end(), record.begin());
    const QByteArray tag = LanRecords::SafeTag(choice.tag).toLatin1().left(int(DeviceTagSize));
    std::copy(tag.begin(), tag.end(), record.begin() + ConfigTagOffset);
    record[KindOffset] = KindPlain;
    if (choice.sameSubnet) {
        if (choice.autoIP) {
            record[DhcpOffset] = 1;
        } else {
            record[DhcpOffset] = 0;
            for (std::size_t i = 0; i < 4; ++i)
                record[AddressOffset + i] = std::uint8_t(choice.octets[i]);
            record[KindOffset] = KindStaticAddress;
            for (std::size_t i = 0; i < 3; ++i)
                record[GatewayOffset + i] = record[AddressOffset + i];
            record[GatewayOffset + 3] = 1;
            std::copy(SubnetMask.begin(), SubnetMask.end(), record.begin() + MaskOffset);
        }
    }
    record[ConfigChecksumByte] = LanRecords::RecordChecksum(record);
    return record;
}

TLDCDRecord QueryRequest()
{
    TLDCDRecord request{};
    request[LdcdCommandByte] = CommandQuery;
    return request;
}

TLDCDRecord ResetRequest()
{
    TLDCDRecord request{};
    request[LdcdCommandByte] = CommandReset;
    request[19] = 0;
    std::copy(DefaultModuleAddress.begin(), DefaultModuleAddress.end(), request.begin() + 20);
    return request;
}

ModuleInfo InfoTexts(const TLDCDRecord &reply)
{
    return {QStringLiteral("Version: Ver") + QString::number(reply[17]) + QLatin1Char('.') +
                QString::number(reply[18]),
            reply[19] != 0 ? QStringLiteral("DHCP: Auto IP") : QStringLiteral("DHCP: Static IP"),
            QStringLiteral("IP Address: ") +
                LanRecords::DottedIPv4(std::span(reply).subspan(20, 4))};
}

ModuleInfo EmptyInfoTexts()
{
    return {QStringLiteral("Version: "), QStringLiteral("DHCP: "), QStringLiteral("IP Address: ")};
}

} // namespace ModuleRecords
