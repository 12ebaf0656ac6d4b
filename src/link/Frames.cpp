#include "link/Frames.h"

#include <algorithm>
#include <numeric>

void InitFrame(TCommandFrame &frame)
{
    frame.fill(0);
    frame[0] = LeadIn1;
    frame[1] = LeadIn2;
}

std::uint8_t DataChecksum(std::span<const std::uint8_t> bytes)
{
    const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
    return std::uint8_t((256 - (sum % 256)) % 256);
}

std::uint8_t FrameChecksum(std::span<const std::uint8_t> frame)
{
    return DataChecksum(frame.first(std::min<std::size_t>(frame.size(), 12)));
}

bool ReplyMatches(std::span<const std::uint8_t> answer, std::span<const std::uint8_t> request)
{
    if (answer.size() < 4 || request.size() < 4)
        return false;
    return answer[0] == LeadIn1 && answer[1] == LeadIn2 && answer[2] == request[2] &&
           answer[3] == request[3];
}

std::uint16_t FrameParam(std::span<const std::uint8_t> frame, int index)
{
    const std::size_t at = 2 + 2 * std::size_t(index);
    if (index < 1 || index > 4 || frame.size() < at + 2)
        return 0;
    return std::uint16_t(frame[at] | (frame[at + 1] << 8));
}

void SetFrameParam(TCommandFrame &frame, int index, std::uint16_t value)
{
    if (index < 1 || index > 4)
        return;
    const std::size_t at = 2 + 2 * std::size_t(index);
    frame[at] = std::uint8_t(value & 0xFF);
    frame[at + 1] = std::uint8_t(value >> 8);
}

void RefreshChecksum(TCommandFrame &frame)
{
    frame[12] = FrameChecksum(frame);
}

TCommandFrame MakeFrame(std::uint8_t command, std::uint8_t subcommand, std::uint16_t p1,
                        std::uint16_t p2, std::uint16_t p3, std::uint16_t p4)
{
    TCommandFrame frame;
    InitFrame(frame);
    frame[2] = command;
    frame[3] = subcommand;
    SetFrameParam(frame, 1, p1);
    SetFrameParam(frame, 2, p2);
    SetFrameParam(frame, 3, p3);
    SetFrameParam(frame, 4, p4);
    RefreshChecksum(frame);
    return frame;
}

TCommandFrame WireFrame(const TCommandFrame &frame)
{
    TCommandFrame wire = frame;
    wire[0] = LeadIn1;
    wire[1] = LeadIn2;
    RefreshChecksum(wire);
    return wire;
}

bool IsValidPacketAnswer(std::span<const std::uint8_t> answer,
                         std::span<const std::uint8_t> packetHeader)
{
    if (answer.size() < FrameSize)
        return false;
    return FrameChecksum(answer) == answer[12] && ReplyMatches(answer, packetHeader);
}

bool IsValidAnswer(std::span<const std::uint8_t> answer, std::span<const std::uint8_t> sent)
{
    if (answer.size() < FrameSize || answer[4] == StatusRefused)
        return false;
    return IsValidPacketAnswer(answer, sent);
}

PacketCheck CheckDataPacket(std::span<const std::uint8_t> packet,
                            std::span<const std::uint8_t> request)
{
    PacketCheck check;
    if (packet.size() < PacketHeaderSize || !IsValidAnswer(packet.first(FrameSize), request))
        return check;
    check.status = FrameParam(packet, 1);
    check.length = FrameParam(packet, 2);
    if (check.length > PacketDataSize || PacketHeaderSize + check.length > packet.size())
        return check;
    const auto data = packet.subspan(PacketHeaderSize, check.length);
    check.valid = DataChecksum(data) == packet[13];
    return check;
}

std::uint16_t PacketStatusFor(std::size_t remaining)
{
    return remaining > PacketDataSize ? PacketMore : PacketLast;
}

std::size_t PacketLengthFor(std::size_t remaining)
{
    return std::min(remaining, PacketDataSize);
}

TDataPacket BuildDataPacket(const TCommandFrame &start, std::uint16_t status, std::uint16_t p3,
                            std::uint16_t p4, std::span<const std::uint8_t> data)
{
    TDataPacket packet{};
    const auto n = std::min(data.size(), PacketDataSize);
    const TCommandFrame header = MakeFrame(start[2], start[3], status, std::uint16_t(n), p3, p4);
    std::copy(header.begin(), header.end(), packet.begin());
    packet[13] = DataChecksum(data.first(n));
    std::copy_n(data.begin(), n, packet.begin() + PacketHeaderSize);
    return packet;
}
