#pragma once

#include "link/DescriptorEndpoint.h"

/// The serial port at 19200 baud, 8 data bits, no parity, one stop bit, no flow control,
/// opened for this program alone.
class SerialEndpoint final : public DescriptorEndpoint
{
    Q_OBJECT
public:
    using DescriptorEndpoint::DescriptorEndpoint;
    ~SerialEndpoint() override { close(); } // here, while releasing() is still this class's

    /// A port name as the port list shows it ("ttyUSB0") or a path ("/dev/pts/3").
    void setTarget(const QString &target) override { m_name = target; }
    QString target() const override { return m_name; }
    void startOpen() override;
    /// Clears the line's input and output buffers.
    void clearInput() override;

protected:
    void releasing(int fd) override;

private:
    void openFailed(const QString &path, int error);

    QString m_name;
};
