#include "SimLdcd.h"
#include "link/ByteSpan.h"

#include "link/LanRecords.h"
#include "SimLog.h"
#include "SwitcherDevice.h"

namespace {
constexpr std::array<std::uint8_t, 4> DefaultAddress{192, 168, 0, 100};

} // namespace

SimLdcd::SimLdcd(SwitcherDevice &device, QObject *parent) : QObject(parent), m_device(device)
{
    m_device.setRecordHandler([this](const QByteArray &record) { handle(record); });
}

SimLdcd::~SimLdcd()
{
    m_device.setRecordHandler(nullptr);
}

void SimLdcd::handle(const QByteArray &record)
{
    received.append(record);
    const auto bytes = ByteSpan(record);
    if (bytes.size() != LdcdRecordSize || bytes[LdcdReceiveMarkByte] != RequestMark ||
        bytes[LdcdChecksumByte] != LanRecords::LDCDChecksum(bytes)) {
        qCDebug(lcSim) << "LDCD request rejected" << record.toHex(' ');
        return;
    }
    const std::uint8_t command = bytes[LdcdCommandByte];
    if (command == CommandReset) {
        ++resets;
        dhcp = bytes[19] != 0;
        std::copy(bytes.begin() + 20, bytes.begin() + 24, address.begin());
        if (address == std::array<std::uint8_t, 4>{})
            address = DefaultAddress;
    } else if (command != CommandQuery) {
        qCDebug(lcSim) << "LDCD command unknown" << command;
        return;
    }
    QByteArray answer = record;
    answer[17] = char(versionMajor);
    answer[18] = char(versionMinor);
    answer[19] = char(dhcp ? 1 : 0);
    for (int i = 0; i < 4; ++i)
        answer[20 + i] = char(address[std::size_t(i)]);
    answer[LdcdReceiveMarkByte] = 0x00;
    answer[LdcdChecksumByte] = char(LanRecords::LDCDChecksum(ByteSpan(answer)));
    m_device.sendRecord(answer);
}
