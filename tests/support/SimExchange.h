#pragma once

#include "SwitcherDevice.h"
#include "TestBytes.h"

#include <QByteArray>
#include <QSignalSpy>

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
