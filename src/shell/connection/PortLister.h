#pragma once

#include <QStringList>

/// The system's serial port names, in a stable order. The program lists the real ports;
/// tests hand in names of their own (for example pseudo-terminal paths).
class PortLister
{
public:
    virtual ~PortLister() = default;
    virtual QStringList ports() const = 0;
};
