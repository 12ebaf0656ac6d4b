#include "shell/devicestatus/DeviceStatusReader.h"

#include "link/Commands.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"

namespace {

constexpr std::array<const char *, 3> KindNames{"HDMI Matrix", "HDBT Matrix", "HDMI+HDBT Matrix"};

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
    return PortName(output, port);
}

QString DeviceStatusReader::KindName(int code)
{
    if (code >= 1 && code <= int(KindNames.size()))
        return QLatin1String(KindNames[std::size_t(code - 1)]);
    return QStringLiteral("Unknown (") + QString::number(code) + QLatin1Char(')');
}

QString DeviceStatusReader::DeviceText(const SwitcherInfo &info)
{
    return QStringLiteral("Device: ") + KindName(info.kind) + QStringLiteral(", ") +
           QString::number(info.size.inputs) + QLatin1Char('x') +
           QString::number(info.size.outputs);
}

QString DeviceStatusReader::VersionText(const SwitcherInfo &info)
{
    return QStringLiteral("Version: ") + QString::number(info.major) + QLatin1Char('.') +
           QString::number(info.minor);
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
    const std::optional<SwitcherInfo> info = ReadInfo(m_context.gate());
    if (!info)
        return false;
    m_device.text = DeviceText(*info);
    m_version.text = VersionText(*info);
    emit linesChanged();
    emit sizeRead(info->size.inputs, info->size.outputs);

    // The window shows the four ports it is laid out for, whatever the switcher's size.
    bool success = true;
    ReadPortStates(m_context.gate(), m_context.clock(), VisiblePorts, VisiblePorts,
                   [&](bool output, int port, std::optional<PortState> state) {
                       success = state.has_value();
                       showPortLine(output, port, state);
                   });
    return success;
}

void DeviceStatusReader::showPortLine(bool output, int port, std::optional<PortState> state)
{
    const QString name = portName(output, port);
    StatusLine &line = (output ? m_outputs : m_inputs)[std::size_t(port - 1)];
    if (!state)
        line.text = name + NotKnown;
    else if (state == PortState::Connected)
        line = {name + QStringLiteral(": Connected"), true};
    else if (state == PortState::NotConnected)
        line = {name + QStringLiteral(": Not connected"), false};
    // Any other answer leaves the line as it was.
    emit linesChanged();
}

std::uint8_t DeviceStatusReader::QueryOutputConnection(int output)
{
    const std::optional<PortState> state = ReadPortState(m_context.gate(), true, output);
    if (!state)
        return QueryFailed;
    return state == PortState::Connected ? DisplayConnected : DisplayNotConnected;
}

std::uint8_t DeviceStatusReader::QueryEDIDControlMode()
{
    TCommandResult result;
    m_context.gate().RunCommand(QStringLiteral("Query EDID control mode ..."), Command::Edid,
                                EdidSub::QueryControlMode, 0, 0, result);
    return result.Success ? result.r4() : QueryFailed;
}
