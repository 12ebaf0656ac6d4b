#pragma once

#include "SwitcherDevice.h"
#include "TestBytes.h"

#include <QByteArray>
#include <QSignalSpy>

#include <algorithm>
#include <functional>

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

/// Runs `action` with each command frame the device receives, before it answers.
inline void OnEveryFrame(SwitcherDevice &device, std::function<void(const TCommandFrame &)> action)
{
    QObject::connect(&device, &SwitcherDevice::unitReceived, &device,
                     [action = std::move(action)](const QByteArray &unit) {
                         if (unit.size() != qsizetype(FrameSize))
                             return;
                         TCommandFrame frame{};
                         std::copy_n(reinterpret_cast<const std::uint8_t *>(unit.constData()),
                                     FrameSize, frame.begin());
                         action(frame);
                     });
}
