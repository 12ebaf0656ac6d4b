#include "edid/EdidOperations.h"

#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/ShellTexts.h"
#include "shell/devicestatus/DeviceStatusReader.h"

namespace {

const QString Setting = QStringLiteral("Setting...");
const QString Copying = QStringLiteral("Copying...");
const QString Reading = QStringLiteral("Reading...");
const QString Downloading = QStringLiteral("Downloading...");

constexpr auto EdidCommand = std::uint8_t(Command::Edid);

std::uint8_t sub(EdidSub subcommand)
{
    return std::uint8_t(subcommand);
}

} // namespace

namespace EdidTexts {

QString ControlLocked()
{
    return QStringLiteral("Please set [EDID Selector] to [1111] first, otherwise EDID software "
                          "control mode not permitted.");
}

QString NoDisplay(int output)
{
    return QStringLiteral("EDID can not be read because output not connected.\r\n[Output") +
           QString::number(output) + QLatin1Char(']');
}

QString InvalidBlock()
{
    return QStringLiteral("EDID data not valid. Please try to read again.");
}

} // namespace EdidTexts

EdidOperations::EdidOperations(ShellContext &context, DeviceStatusReader &deviceStatus)
    : m_context(context), m_deviceStatus(deviceStatus)
{
}

EdidOutcome EdidOperations::checkControl()
{
    const std::uint8_t mode = m_deviceStatus.QueryEDIDControlMode();
    if (mode == QueryFailed)
        return EdidOutcome::Failed;
    return mode == EdidControlLockedMode ? EdidOutcome::ControlLocked : EdidOutcome::Done;
}

EdidOutcome EdidOperations::checkDisplay(int output)
{
    const std::uint8_t answer = m_deviceStatus.QueryOutputConnection(output);
    if (answer == QueryFailed)
        return EdidOutcome::Failed;
    return answer == OutputNotConnected ? EdidOutcome::NoDisplay : EdidOutcome::Done;
}

bool EdidOperations::run(const QString &statusText, EdidSub subcommand, std::uint16_t p1,
                         std::uint16_t p2)
{
    TCommandResult result;
    m_context.gate().RunCommand(statusText, EdidCommand, sub(subcommand), p1, p2, 0, 0, result);
    return result.Success;
}

bool EdidOperations::prepare(const QString &statusText)
{
    return run(statusText, EdidSub::Prepare, EdidPrepareCode);
}

EdidOutcome EdidOperations::setMode(std::optional<std::uint16_t> modeCode, std::optional<int> input)
{
    if (const EdidOutcome control = checkControl(); control != EdidOutcome::Done)
        return control;
    if (!prepare(Setting))
        return EdidOutcome::Failed;
    bool done = false;
    if (!modeCode) {
        done = input ? run(Setting, EdidSub::DefaultOne, std::uint16_t(*input))
                     : run(Setting, EdidSub::DefaultAll, EdidDefaultAllCode);
    } else {
        done = input ? run(Setting, EdidSub::SetModeOne, *modeCode, std::uint16_t(*input))
                     : run(Setting, EdidSub::SetModeAll, *modeCode);
    }
    return done ? EdidOutcome::Done : EdidOutcome::Failed;
}

EdidOutcome EdidOperations::copy(int output, std::optional<int> input)
{
    if (const EdidOutcome control = checkControl(); control != EdidOutcome::Done)
        return control;
    if (const EdidOutcome display = checkDisplay(output); display != EdidOutcome::Done)
        return display;
    if (!prepare(Copying))
        return EdidOutcome::Failed;
    const auto from = std::uint16_t(output);
    const bool done = input ? run(Copying, EdidSub::CopyOne, from, std::uint16_t(*input))
                            : run(Copying, EdidSub::CopyAll, from);
    return done ? EdidOutcome::Done : EdidOutcome::Failed;
}

EdidOutcome EdidOperations::read(std::uint16_t code, std::optional<int> output,
                                 const std::function<void(const QByteArray &block)> &received)
{
    if (output) {
        if (const EdidOutcome display = checkDisplay(*output); display != EdidOutcome::Done)
            return display;
    }
    std::optional<ExchangeGuard> exchange = m_context.gate().tryBegin(Reading);
    if (!exchange)
        return EdidOutcome::Failed;
    m_context.ShowStatus(StatusPanel::Hint, QString());

    TKXCOMControl &link = exchange->link();
    TCommandResult result;
    link.ReadEDID(MakeFrame(EdidCommand, sub(EdidSub::Read), code), result);
    if (!result.Success)
        return EdidOutcome::Failed;
    m_context.ShowStatus(StatusPanel::Operation, ShellTexts::Done());
    received(link.ReadStream);
    return EdidOutcome::Done;
}

EdidOutcome EdidOperations::download(const EdidPortLists::Target &target,
                                     const std::function<std::optional<QByteArray>()> &block)
{
    if (const EdidOutcome control = checkControl(); control != EdidOutcome::Done)
        return control;
    // The block asked for now is the one sent, whatever happens to its source while the
    // preparing command waits for its answer.
    const std::optional<QByteArray> bytes = block();
    if (!bytes)
        return EdidOutcome::NothingToSend;
    m_context.ShowStatus(StatusPanel::Hint, QString());
    if (!prepare(Downloading))
        return EdidOutcome::Failed;
    std::optional<ExchangeGuard> exchange = m_context.gate().tryBegin(Downloading);
    if (!exchange)
        return EdidOutcome::Failed;

    TKXCOMControl &link = exchange->link();
    link.WriteStream = *bytes;
    TCommandResult result;
    link.DownloadEDID(MakeFrame(EdidCommand, sub(target.subcommand), target.code), result);
    if (!result.Success)
        return EdidOutcome::Failed;
    m_context.ShowStatus(StatusPanel::Operation, ShellTexts::Done());
    return EdidOutcome::Done;
}
