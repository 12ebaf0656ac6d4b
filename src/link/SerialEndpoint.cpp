#include "link/SerialEndpoint.h"

#include <QFile>

#include <unistd.h>

namespace {

// QSerialPort opens a port exclusively on Linux: it takes the port's lock file and sets
// TIOCEXCL. A port that another program holds (its lock file, or EBUSY from TIOCEXCL) and a
// device this user may not open (EACCES) both come back as PermissionError; the device's own
// permissions tell them apart.
StreamEndpoint::Failure OpenFailure(QSerialPort::SerialPortError error, const QString &name)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return StreamEndpoint::Failure::NotFound;
    case QSerialPort::OpenError: // already open through this very object
        return StreamEndpoint::Failure::Busy;
    case QSerialPort::PermissionError: {
        const QString path =
            name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
        return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0
                   ? StreamEndpoint::Failure::Busy
                   : StreamEndpoint::Failure::Permission;
    }
    default:
        return StreamEndpoint::Failure::Other;
    }
}

} // namespace

SerialEndpoint::SerialEndpoint(QObject *parent) : StreamEndpoint(parent)
{
    m_port.setBaudRate(QSerialPort::Baud19200);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    connect(&m_port, &QSerialPort::readyRead, this, &StreamEndpoint::bytesArrived);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialEndpoint::onError);
}

void SerialEndpoint::startOpen()
{
    m_error.clear();
    if (m_port.isOpen())
        return;
    m_failure = Failure::None;
    if (m_port.portName().isEmpty()) {
        m_error = QStringLiteral("no port name");
        m_failure = Failure::NotFound;
        emit errorOccurred();
        return;
    }
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (m_error.isEmpty())
            m_error = m_port.errorString();
        m_failure = OpenFailure(m_port.error(), m_port.portName());
        return;
    }
    // Line settings again after opening: some drivers reset them on open.
    m_port.setBaudRate(QSerialPort::Baud19200);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.clearError();
    emit stateChanged();
}

StreamEndpoint::State SerialEndpoint::state() const
{
    return m_port.isOpen() ? State::Open : State::Closed;
}

void SerialEndpoint::close()
{
    if (m_port.isOpen()) {
        m_port.close();
        emit stateChanged();
    }
}

void SerialEndpoint::clearInput()
{
    if (!m_port.isOpen())
        return;
    m_port.clear(QSerialPort::AllDirections);
    m_port.readAll(); // what Qt had already buffered
}

qint64 SerialEndpoint::write(std::span<const std::uint8_t> bytes)
{
    if (!m_port.isOpen()) {
        m_error = QStringLiteral("port not open");
        return -1;
    }
    const qint64 written =
        m_port.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    if (written < 0 && m_error.isEmpty())
        m_error = m_port.errorString();
    return written;
}

QByteArray SerialEndpoint::takeAvailable()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void SerialEndpoint::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    m_error = m_port.errorString();
    // A vanished device (unplugged adapter, closed pseudo-terminal) keeps reporting errors:
    // close it so the event loop does not spin on the dead descriptor.
    if (error == QSerialPort::ResourceError && m_port.isOpen()) {
        m_port.close();
        emit stateChanged();
    }
    emit errorOccurred();
}
