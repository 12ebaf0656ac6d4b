#pragma once

#include "link/Frames.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

/// The bytes a stream endpoint has received since the link last took them. The link takes
/// what has arrived at every waiting step and uses at most one data packet of it, so nothing
/// beyond the first 270 bytes can still belong to an answer: later bytes are counted and
/// dropped until the link takes these. A peer that floods the line costs no memory.
class ReceiveWindow
{
public:
    static constexpr std::size_t Capacity = PacketSize;

    /// Room left for arriving bytes (empty when full).
    std::span<std::uint8_t> room() { return std::span(m_bytes).subspan(m_size); }
    /// `count` bytes were written into room().
    void commit(std::size_t count) { m_size += std::min(count, Capacity - m_size); }
    /// Bytes that arrived while the window was full.
    void drop(std::size_t count) { m_dropped += count; }

    /// Everything kept so far; the window is empty afterwards.
    QByteArray take();
    void clear() { m_size = 0; }

    std::size_t size() const { return m_size; }
    bool full() const { return m_size == Capacity; }
    std::size_t dropped() const { return m_dropped; }

private:
    std::array<std::uint8_t, Capacity> m_bytes{};
    std::size_t m_size = 0;
    std::size_t m_dropped = 0;
};
