#pragma once

#include "link/Commands.h"
#include "link/Frames.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

/// Collects the bytes of one expected answer into a fixed buffer. Bytes beyond the expected
/// length in the same arrival are dropped; no allocation per byte.
class AnswerAssembler
{
public:
    /// Expected length for a reply kind: 270 for a data packet, 32 for an LDCD record, else 13.
    static std::size_t ExpectedLength(ReplyKind replyKind);

    /// Clears the buffer and position and expects `expected` bytes (at most 270).
    void reset(std::size_t expected);
    /// Takes what fits of one arrival; returns how many bytes were taken.
    std::size_t feed(std::span<const std::uint8_t> bytes);

    bool complete() const { return m_complete; }
    std::size_t position() const { return m_position; }
    std::size_t expected() const { return m_expected; }
    /// The bytes of the last completed (or partly received) answer.
    std::span<const std::uint8_t> buffer() const { return {m_buffer.data(), m_expected}; }

private:
    std::array<std::uint8_t, PacketSize> m_buffer{};
    std::size_t m_expected = FrameSize;
    std::size_t m_position = 0;
    bool m_complete = false;
};
