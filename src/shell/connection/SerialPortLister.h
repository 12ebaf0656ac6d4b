#pragma once

#include "shell/connection/PortLister.h"

/// Lists the serial ports the system knows, by the names QSerialPort opens them with.
class SerialPortLister final : public PortLister
{
public:
    QStringList ports() const override;
};
