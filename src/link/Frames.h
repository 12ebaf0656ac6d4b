#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The 13-byte command frame, the 270-byte data packet and their checks. Pure code: bytes in,
// verdicts out, no I/O.

inline constexpr std::size_t FrameSize = 13;
inline constexpr std::size_t PacketSize = 270;
inline constexpr std::size_t PacketHeaderSize = 14; // frame + data checksum
inline constexpr std::size_t PacketDataSize = 256;

inline constexpr std::uint8_t LeadIn1 = 0xA5;
inline constexpr std::uint8_t LeadIn2 = 0x5B;

// Answer status byte r4.
inline constexpr std::uint8_t StatusAccepted = 0x00;
inline constexpr std::uint8_t StatusDeclined = 0x44; // "D"
inline constexpr std::uint8_t StatusReady = 0xAA;
inline constexpr std::uint8_t StatusRefused = 0xFF;

// Packet status in p1.
inline constexpr std::uint16_t PacketMore = 0x00AA;
inline constexpr std::uint16_t PacketLast = 0x0056;
inline constexpr std::uint16_t PacketNext = 0x0000;   // request: next packet
inline constexpr std::uint16_t PacketRepeat = 0x00FF; // request: send the last packet again

using TCommandFrame = std::array<std::uint8_t, FrameSize>;
using TDataPacket = std::array<std::uint8_t, PacketSize>;

/// The answer of one exchange and whether the exchange succeeded.
struct TCommandResult
{
    TCommandFrame Reply{};
    std::uint8_t Success = 0;

    std::uint8_t r4() const { return Reply[4]; }
    std::uint8_t r6() const { return Reply[6]; }
    std::uint16_t W1() const { return std::uint16_t(Reply[4] | (Reply[5] << 8)); }
    std::uint16_t W2() const { return std::uint16_t(Reply[6] | (Reply[7] << 8)); }
};

/// All 13 bytes zero, then the two lead-in bytes.
void InitFrame(TCommandFrame &frame);
/// Two's complement of the byte sum of bytes 0..11, so that bytes 0..12 sum to 0.
std::uint8_t FrameChecksum(std::span<const std::uint8_t> frame);
/// Two's complement of the byte sum of all bytes (0 for none).
std::uint8_t DataChecksum(std::span<const std::uint8_t> bytes);
/// Lead-in bytes of the answer and its command and subcommand equal the request's.
bool ReplyMatches(std::span<const std::uint8_t> answer, std::span<const std::uint8_t> request);

/// p1..p4 (index 1..4), little-endian at bytes 4, 6, 8 and 10.
std::uint16_t FrameParam(std::span<const std::uint8_t> frame, int index);
void SetFrameParam(TCommandFrame &frame, int index, std::uint16_t value);

/// A complete frame: lead-in, command, subcommand, p1..p4 and checksum.
TCommandFrame MakeFrame(std::uint8_t command, std::uint8_t subcommand, std::uint16_t p1 = 0,
                        std::uint16_t p2 = 0, std::uint16_t p3 = 0, std::uint16_t p4 = 0);
/// The frame as it goes on the wire: fresh lead-in, bytes 2..11 of the caller's, fresh checksum.
TCommandFrame WireFrame(const TCommandFrame &frame);
/// Recomputes byte 12.
void RefreshChecksum(TCommandFrame &frame);

/// An ordinary command answer: r4 is not 0xFF, checksum right, lead-in and command echoed.
bool IsValidAnswer(std::span<const std::uint8_t> answer, std::span<const std::uint8_t> sent);
/// The answer to a data packet: checksum right and header echoed (r4 carries the verdict).
bool IsValidPacketAnswer(std::span<const std::uint8_t> answer,
                         std::span<const std::uint8_t> packetHeader);

struct PacketCheck
{
    bool valid = false;
    std::uint16_t status = 0;
    std::size_t length = 0; // n, the number of data bytes
};
/// Checks a received data packet against the request that asked for it. Never reads beyond
/// the bytes given; a packet announcing more than 256 data bytes is invalid.
PacketCheck CheckDataPacket(std::span<const std::uint8_t> packet,
                            std::span<const std::uint8_t> request);

/// Status of the packet cut from a block when `remaining` bytes are left before the cut.
std::uint16_t PacketStatusFor(std::size_t remaining);
/// Bytes in the packet cut when `remaining` bytes are left (1..256).
std::size_t PacketLengthFor(std::size_t remaining);

/// A packet: header from `start` (command, subcommand) with p1 = status, p2 = data size,
/// the given p3 and p4, the data checksum, the data and zero fill.
TDataPacket BuildDataPacket(const TCommandFrame &start, std::uint16_t status, std::uint16_t p3,
                            std::uint16_t p4, std::span<const std::uint8_t> data);
