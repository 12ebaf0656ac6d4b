#pragma once

#include <QString>
#include <QStringList>

/// The system's serial port names, in a stable order. The program lists the real ports;
/// tests hand in names of their own (for example pseudo-terminal paths).
class PortLister
{
public:
    virtual ~PortLister() = default;
    virtual QStringList ports() const = 0;
    /// What the system knows about a port of the last list, for people ("FT232R USB UART");
    /// empty when it knows nothing. The port is still opened and stored by its name.
    virtual QString describe(const QString &name) const
    {
        Q_UNUSED(name);
        return {};
    }
};
