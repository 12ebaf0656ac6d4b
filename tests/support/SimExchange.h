#pragma once

#include "SwitcherDevice.h"
#include "link/Frames.h"

#include <QByteArray>
#include <QSignalSpy>

/// A command frame with a correct checksum, as bytes.
inline QByteArray Frame(std::uint8_t command, std::uint8_t sub, std::uint16_t p1 = 0,
                        std::uint16_t p2 = 0)
{
    const TCommandFrame frame = MakeFrame(command, sub, p1, p2);
    return QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size()));
}

/// Everything the device transmits synchronously in answer to `request`.
inline QByteArray Exchange(SwitcherDevice &device, const QByteArray &request)
{
    QSignalSpy spy(&device, &SwitcherDevice::transmit);
    device.receive(request);
    QByteArray out;
    for (const QList<QVariant> &call : spy)
        out += call.at(0).toByteArray();
    return out;
}
