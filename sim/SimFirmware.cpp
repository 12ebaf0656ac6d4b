#include "SimFirmware.h"
#include "link/ByteSpan.h"

#include "SwitcherDevice.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr std::uint8_t CmdFirmware = 0x20;
constexpr std::uint8_t KindMain = 1;
constexpr std::uint8_t KindSlave = 2;
constexpr std::uint16_t LeaveApplication = 0x0080;
constexpr std::uint16_t EraseFlash = 0x0010;
constexpr std::uint16_t MaxPartNumber = 3;

} // namespace

SimFirmware::SimFirmware(SwitcherDevice &device, QObject *parent)
    : QObject(parent), m_device(device)
{
    m_device.setCommandHandler(CmdFirmware,
                               [this](const TCommandFrame &request) { handleFrame(request); });
    // A restart abandons whatever part was being written.
    connect(&m_device, &SwitcherDevice::restarted, this, [this] { m_phase = Phase::Idle; });
}

void SimFirmware::declinePart(std::uint8_t kind, std::uint16_t partNumber, bool declined)
{
    m_declinedParts[{kind, partNumber}] = declined;
}

void SimFirmware::declinePacket(std::uint8_t kind, std::uint16_t partNumber, std::uint16_t sequence,
                                int times)
{
    m_declinedPackets[{kind, partNumber, sequence}] = times;
}

QByteArray SimFirmware::image(std::uint8_t kind, std::uint16_t partNumber) const
{
    const auto found = m_parts.find({kind, partNumber});
    return found == m_parts.end() ? QByteArray() : found->second.image;
}

bool SimFirmware::complete(std::uint8_t kind, std::uint16_t partNumber) const
{
    const auto found = m_parts.find({kind, partNumber});
    return found != m_parts.end() && found->second.complete;
}

std::pair<std::uint16_t, std::uint16_t> SimFirmware::versions(std::uint8_t kind,
                                                              std::uint16_t partNumber) const
{
    const auto found = m_parts.find({kind, partNumber});
    if (found == m_parts.end())
        return {0, 0};
    return {found->second.version1, found->second.version2};
}

void SimFirmware::handleFrame(const TCommandFrame &request)
{
    const std::uint8_t kind = request[3];
    if (kind != KindMain && kind != KindSlave)
        return m_device.reply(request, StatusRefused);
    const std::uint16_t p1 = FrameParam(request, 1);
    if (kind == KindMain && (p1 == LeaveApplication || p1 == EraseFlash))
        return announce(request);
    start(request);
}

void SimFirmware::start(const TCommandFrame &request)
{
    const Key key{request[3], FrameParam(request, 1)};
    const bool known = key.second >= 1 && key.second <= MaxPartNumber &&
                       (key.first == KindSlave || key.second == 1);
    if (!known) {
        endTransfer();
        return m_device.reply(request, StatusRefused);
    }
    const auto declined = m_declinedParts.find(key);
    if (declined != m_declinedParts.end() && declined->second) {
        endTransfer();
        return m_device.reply(request, StatusDeclined);
    }

    Part &part = m_parts[key];
    part = Part{};
    part.version1 = FrameParam(request, 3);
    part.version2 = FrameParam(request, 4);
    m_current = key;
    m_nextSequence = 0;
    ++m_partsStarted;
    m_phase = key.first == KindMain ? Phase::AwaitLeave : Phase::Receiving;

    // The main controller takes whole 270-byte packets; a slave only the used bytes, so its
    // length comes from the header's data size before the data is there.
    const bool mainPart = key.first == KindMain;
    m_device.expectPackets(
        CmdFirmware, key.first,
        [mainPart](std::span<const std::uint8_t> header) {
            return mainPart ? PacketSize
                            : PacketHeaderSize +
                                  std::min<std::size_t>(FrameParam(header, 2), PacketDataSize);
        },
        [this](const QByteArray &packet) { handlePacket(packet); });
    m_device.reply(request, StatusReady);
}

void SimFirmware::announce(const TCommandFrame &request)
{
    const std::uint16_t p1 = FrameParam(request, 1);
    if (m_current.first != KindMain) {
        return m_device.reply(request, StatusRefused);
    }
    if (p1 == LeaveApplication && m_phase == Phase::AwaitLeave) {
        m_phase = Phase::AwaitErase;
        return m_device.reply(request, StatusAccepted);
    }
    if (p1 == EraseFlash && m_phase == Phase::AwaitErase) {
        m_phase = Phase::Receiving;
        return m_device.reply(request, StatusAccepted);
    }
    m_device.reply(request, StatusRefused);
}

bool SimFirmware::packetIntact(const QByteArray &packet) const
{
    const auto bytes = ByteSpan(packet);
    if (bytes.size() < PacketHeaderSize)
        return false;
    const auto header = bytes.first(FrameSize);
    const std::size_t n = FrameParam(header, 2);
    const bool mainPart = m_current.first == KindMain;
    const std::size_t wireSize = mainPart ? PacketSize : PacketHeaderSize + n;
    if (FrameChecksum(header) != header[12] || n > PacketDataSize || bytes.size() != wireSize)
        return false;
    if (FrameParam(header, 3) != m_current.second)
        return false;
    return DataChecksum(bytes.subspan(PacketHeaderSize, n)) == bytes[13];
}

void SimFirmware::handlePacket(const QByteArray &packet)
{
    const TCommandFrame header = FrameOf(packet);
    if (m_phase != Phase::Receiving || !packetIntact(packet)) {
        ++m_packetsRefused;
        return m_device.reply(header, StatusRefused);
    }
    const std::uint16_t sequence = FrameParam(header, 4);
    auto declined = m_declinedPackets.find({m_current.first, m_current.second, sequence});
    if (declined != m_declinedPackets.end() && declined->second > 0) {
        --declined->second;
        return m_device.reply(header, StatusDeclined);
    }
    // The same packet again (its answer was lost): accepted without taking the data twice.
    if (sequence + 1 == m_nextSequence) {
        ++m_packetsAccepted;
        return m_device.reply(header, StatusAccepted);
    }
    if (sequence != m_nextSequence) {
        ++m_packetsRefused;
        return m_device.reply(header, StatusRefused);
    }

    Part &part = m_parts[m_current];
    part.image += packet.mid(qsizetype(PacketHeaderSize), FrameParam(header, 2));
    ++m_nextSequence;
    ++m_packetsAccepted;
    const bool last = FrameParam(header, 1) == PacketLast;
    m_device.reply(header, StatusAccepted);
    if (!last)
        return;

    part.complete = true;
    const Key done = m_current;
    endTransfer();
    emit partCompleted(done.first, done.second);
    if (done.first == KindMain) {
        // The main controller starts its new firmware on its own.
        ++m_selfRestarts;
        const int silence = m_device.state().restartSilenceMs;
        if (silence > 0)
            m_device.goSilent(std::chrono::milliseconds(silence));
    }
}

void SimFirmware::endTransfer()
{
    if (m_phase != Phase::Idle)
        m_device.expectFrames();
    m_phase = Phase::Idle;
}
