#pragma once

#include "link/Frames.h"

#include <QByteArray>

#include <algorithm>

#include <cstdint>
#include <span>

/// The bytes of a QByteArray as the unsigned bytes the codec works on (no copy).
inline std::span<const std::uint8_t> ByteSpan(const QByteArray &data)
{
    return {reinterpret_cast<const std::uint8_t *>(data.constData()), std::size_t(data.size())};
}

/// Unsigned bytes as a QByteArray (a copy).
inline QByteArray ToByteArray(std::span<const std::uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

/// The frame at the start of `data` (a frame or a packet header); missing bytes stay zero.
inline TCommandFrame FrameOf(const QByteArray &data)
{
    TCommandFrame frame{};
    const auto bytes = ByteSpan(data);
    std::copy_n(bytes.begin(), std::min(bytes.size(), frame.size()), frame.begin());
    return frame;
}
