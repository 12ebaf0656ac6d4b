#pragma once

#include <QString>

/// What a person needs to tell serial ports apart: the system's description, then the
/// manufacturer and serial number where they add something ("FT232R USB UART (FTDI,
/// A50285BI)"); empty when the system knows none of them.
QString SerialPortDescription(const QString &description, const QString &manufacturer,
                              const QString &serialNumber);

/// The text of a port in the port list: "ttyUSB0 - FT232R USB UART", or the bare name.
QString PortListText(const QString &name, const QString &description);
