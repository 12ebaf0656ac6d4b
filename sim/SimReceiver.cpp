#include "SimReceiver.h"
#include "link/ByteSpan.h"

#include "link/Frames.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<std::uint8_t, 16> RecordHeader{0x5E, 0x17, 0xC2, 0xA0, 0x4B, 0x9D, 0x38, 0xE6,
                                                    0xF1, 0x02, 0x7A, 0x4C, 0xD9, 0x5B, 0x6E, 0x13};

} // namespace

void SimReceiver::expectPackets(std::uint8_t command, std::uint8_t subcommand, PacketLength length)
{
    m_packetCommand = command;
    m_packetSubcommand = subcommand;
    m_packetLength = std::move(length);
}

void SimReceiver::expectFrames()
{
    m_packetLength = nullptr;
}

void SimReceiver::append(const QByteArray &bytes)
{
    m_buffer += bytes;
    // Nothing legitimate is this long; a flood without lead-ins must not grow without bound.
    if (std::size_t(m_buffer.size()) > MaxBuffered) {
        const qsizetype drop = m_buffer.size() - qsizetype(MaxBuffered);
        m_buffer.remove(0, drop);
        m_skipped += std::size_t(drop);
    }
}

bool SimReceiver::couldStartUnit() const
{
    const auto b = ByteSpan(m_buffer);
    const std::size_t known = std::min(b.size(), RecordHeader.size());
    if (b[0] == LeadIn1)
        return b.size() < 2 || b[1] == LeadIn2;
    if (m_records)
        return std::equal(b.begin(), b.begin() + known, RecordHeader.begin());
    return false;
}

std::optional<std::size_t> SimReceiver::packetLengthFor(std::span<const std::uint8_t> header) const
{
    if (!m_packetLength || header[2] != m_packetCommand || header[3] != m_packetSubcommand)
        return std::nullopt;
    const std::uint16_t status = FrameParam(header, 1);
    if (status != PacketMore && status != PacketLast)
        return std::nullopt;
    return std::clamp(m_packetLength(header), PacketHeaderSize, PacketSize);
}

std::optional<SimReceiver::Unit> SimReceiver::take()
{
    while (!m_buffer.isEmpty() && !couldStartUnit()) {
        m_buffer.remove(0, 1);
        ++m_skipped;
    }
    if (m_buffer.isEmpty())
        return std::nullopt;

    const auto b = ByteSpan(m_buffer);
    if (b[0] != LeadIn1) {
        if (b.size() < RecordSize)
            return std::nullopt;
        Unit unit{Kind::Record, m_buffer.left(qsizetype(RecordSize))};
        m_buffer.remove(0, qsizetype(RecordSize));
        return unit;
    }
    if (b.size() < FrameSize)
        return std::nullopt;

    const auto header = b.first(FrameSize);
    if (const auto length = packetLengthFor(header)) {
        if (b.size() < *length)
            return std::nullopt;
        Unit unit{Kind::Packet, m_buffer.left(qsizetype(*length))};
        m_buffer.remove(0, qsizetype(*length));
        return unit;
    }
    if (FrameChecksum(header) != header[12]) {
        Unit unit{Kind::BadFrame, m_buffer.left(qsizetype(FrameSize))};
        m_buffer.remove(0, 1);
        ++m_skipped;
        return unit;
    }
    Unit unit{Kind::Frame, m_buffer.left(qsizetype(FrameSize))};
    m_buffer.remove(0, qsizetype(FrameSize));
    return unit;
}
