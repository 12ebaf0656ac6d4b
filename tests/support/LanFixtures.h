#pragma once

#include "FakeTransports.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

/// A 55-byte discovery answer of a network module with MAC 00-1A-2B-3C-4D-<macLast>.
inline QByteArray LanDeviceRecord(std::uint8_t macLast, std::array<std::uint8_t, 4> ip,
                                  const QByteArray &tag, std::uint8_t dhcp)
{
    QByteArray record(55, '\0');
    record.replace(0, 6, QByteArray::fromHex("001A2B3C4D") + char(macLast));
    for (int i = 0; i < 4; ++i)
        record[6 + i] = char(ip[std::size_t(i)]);
    record.replace(22, qMin<qsizetype>(tag.size(), 32), tag.left(32));
    record[54] = char(dhcp);
    return record;
}

/// A 76-byte configuration answer with the given status.
inline QByteArray LanConfigAnswer(std::uint8_t status)
{
    QByteArray record(76, '\0');
    record[74] = char(status);
    return record;
}
