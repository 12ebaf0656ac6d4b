#pragma once

#include <QByteArray>

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
