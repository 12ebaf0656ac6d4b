#pragma once

#include "shell/connection/PortLister.h"

#include <QHash>

/// Lists the serial ports the system knows, by the names QSerialPort opens them with, and
/// keeps what the system tells about each for the port list.
class SerialPortLister final : public PortLister
{
public:
    QStringList ports() const override;
    QString describe(const QString &name) const override { return m_descriptions.value(name); }

private:
    mutable QHash<QString, QString> m_descriptions;
};
