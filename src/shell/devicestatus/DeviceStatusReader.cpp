#include "shell/devicestatus/DeviceStatusReader.h"

#include "link/Commands.h"
#include "link/WaitClock.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto InputQueryPause = 5ms;
constexpr std::array<const char *, 3> KindNames{"HDMI Matrix", "HDBT Matrix", "HDMI+HDBT Matrix"};

const QString InfoStatus = QStringLiteral("Getting device info ...");
const QString NotKnown = QStringLiteral(": Not known");

} // namespace

DeviceStatusReader::DeviceStatusReader(ShellContext &context, QObject *parent)
    : QObject(parent), m_context(context)
{
    m_device.text = QStringLiteral("Device: Not known");
    m_version.text = QStringLiteral("Version: Not known");
    for (int port = 1; port <= PortCount; ++port) {
        m_inputs[std::size_t(port - 1)].text = portName(false, port) + NotKnown;
        m_outputs[std::size_t(port - 1)].text = portName(true, port) + NotKnown;
    }
}

QString DeviceStatusReader::portName(bool output, int port)
{
    return (output ? QStringLiteral("Output") : QStringLiteral("Input")) + QString::number(port);
}

QString DeviceStatusReader::KindName(int code)
{
    if (code >= 1 && code <= int(KindNames.size()))
        return QLatin1String(KindNames[std::size_t(code - 1)]);
    return QStringLiteral("Unknown (") + QString::number(code) + QLatin1Char(')');
}

void DeviceStatusReader::ResetDeviceInfo()
{
    m_device.text = QStringLiteral("Device: Not known");
    m_version.text = QStringLiteral("Version: Not known");
    for (int port = 1; port <= VisiblePorts; ++port) {
        m_inputs[std::size_t(port - 1)].text = portName(false, port) + NotKnown;
        m_outputs[std::size_t(port - 1)].text = portName(true, port) + NotKnown;
    }
    emit linesChanged();
}

bool DeviceStatusReader::ReadDeviceInfo()
{
    CommandGate &gate = m_context.gate();
    TCommandResult kind;
    gate.RunCommand(InfoStatus, Command::Info, InfoSub::Kind, WholeDevice, 0, kind);
    if (!kind.Success)
        return false;
    TCommandResult size;
    gate.RunCommand(InfoStatus, Command::Info, InfoSub::Size, WholeDevice, 0, size);
    if (!size.Success)
        return false;
    TCommandResult version;
    gate.RunCommand(InfoStatus, Command::Info, InfoSub::Version, WholeDevice, 0, version);
    if (!version.Success)
        return false;

    m_device.text = QStringLiteral("Device: ") + KindName(kind.r4()) + QStringLiteral(", ") +
                    QString::number(size.r4()) + QLatin1Char('x') + QString::number(size.r6());
    m_version.text = QStringLiteral("Version: ") + QString::number(version.r4()) +
                     QLatin1Char('.') + QString::number(version.r6());
    emit linesChanged();
    emit sizeRead(size.r4(), size.r6());

    bool success = true;
    for (int port = 1; port <= VisiblePorts; ++port) {
        success = readPortLine(false, port);
        if (port < VisiblePorts)
            m_context.clock().sleep(InputQueryPause);
    }
    for (int port = 1; port <= VisiblePorts; ++port)
        success = readPortLine(true, port);
    return success;
}

bool DeviceStatusReader::readPortLine(bool output, int port)
{
    const QString name = portName(output, port);
    TCommandResult result;
    m_context.gate().RunCommand(QStringLiteral("Getting ") + name +
                                    QStringLiteral(" connection ..."),
                                Command::Info,
                                output ? InfoSub::OutputConnection : InfoSub::InputConnection,
                                std::uint16_t(port), 0, result);
    StatusLine &line = (output ? m_outputs : m_inputs)[std::size_t(port - 1)];
    if (!result.Success) {
        line.text = name + NotKnown;
    } else if (result.r6() == PortConnected) {
        line = {name + QStringLiteral(": Connected"), true};
    } else if (result.r6() == PortNotConnected) {
        line = {name + QStringLiteral(": Not connected"), false};
    }
    // Any other answer leaves the line as it was.
    emit linesChanged();
    return result.Success != 0;
}

std::uint8_t DeviceStatusReader::QueryOutputConnection(int output)
{
    TCommandResult result;
    m_context.gate().RunCommand(QStringLiteral("Getting ") + portName(true, output) +
                                    QStringLiteral(" connection ..."),
                                Command::Info, InfoSub::OutputConnection,
                                std::uint16_t(output), 0, result);
    if (!result.Success)
        return QueryFailed;
    return result.r6() == PortConnected ? DisplayConnected : DisplayNotConnected;
}

std::uint8_t DeviceStatusReader::QueryEDIDControlMode()
{
    TCommandResult result;
    m_context.gate().RunCommand(QStringLiteral("Query EDID control mode ..."), Command::Edid,
                                EdidSub::QueryControlMode, 0, 0, result);
    return result.Success ? result.r4() : QueryFailed;
}
