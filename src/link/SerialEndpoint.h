#pragma once

#include "link/Transport.h"

#include <QSerialPort>

/// The serial port at 19200 baud, 8 data bits, no parity, one stop bit.
class SerialEndpoint final : public StreamEndpoint
{
    Q_OBJECT
public:
    explicit SerialEndpoint(QObject *parent = nullptr);

    void setTarget(const QString &target) override { m_port.setPortName(target); }
    QString target() const override { return m_port.portName(); }
    void startOpen() override;
    State state() const override;
    void close() override;
    void abort() override { close(); }
    void clearInput() override;
    qint64 write(std::span<const std::uint8_t> bytes) override;
    QByteArray takeAvailable() override;
    bool hasError() const override { return !m_error.isEmpty(); }
    QString errorString() const override { return m_error; }
    void clearError() override { m_error.clear(); }
    Failure failure() const override { return m_failure; }

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_error;
    Failure m_failure = Failure::None;
};
