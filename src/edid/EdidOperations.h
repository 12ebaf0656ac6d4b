#pragma once

#include "edid/EdidPortLists.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class DeviceStatusReader;
class ShellContext;

/// How an EDID operation ended.
enum class EdidOutcome {
    Done,
    /// An exchange failed or the gate refused it; the link or the gate has told why.
    Failed,
    /// The switcher's EDID selector does not permit software control; nothing was changed.
    ControlLocked,
    /// No display on the output whose EDID is needed; nothing more was sent.
    NoDisplay,
    /// A download without a complete block to send.
    NothingToSend,
};

/// What the EDID operations tell the operator.
namespace EdidTexts {

QString ControlLocked();
/// "EDID can not be read because output not connected.\r\n[Output" + n + "]".
QString NoDisplay(int output);
QString InvalidBlock();

} // namespace EdidTexts

/// The switcher's EDID operations with the checks that guard them, through the shell's
/// command gate, for the EDID page and for matrixctl alike. The results are values: the page
/// turns them into its message boxes and status texts, the command-line tool into its output
/// and exit code. Status panel 2 shows each step as the gate runs it, "Done" at the end of a
/// read or a download.
///
/// The checks: before a change, the switcher's EDID control mode must permit software
/// control (ControlLocked otherwise); reading or copying an output's EDID needs a display on
/// it (NoDisplay otherwise). Every change is preceded by the preparing command.
class EdidOperations
{
public:
    EdidOperations(ShellContext &context, DeviceStatusReader &deviceStatus);

    /// The control check alone.
    EdidOutcome checkControl();
    /// The connection check of output `output` alone.
    EdidOutcome checkDisplay(int output);

    /// Sets the EDID mode `modeCode` (nothing: the default EDID) of `input` (nothing: of all
    /// inputs).
    EdidOutcome setMode(std::optional<std::uint16_t> modeCode, std::optional<int> input);
    /// Copies the EDID of output `output` to `input` (nothing: to all inputs).
    EdidOutcome copy(int output, std::optional<int> input);
    /// Reads the block at `code` (an output's or a user memory's); `output` names the output
    /// to check for a display first, nothing for a user memory. `received` gets the bytes
    /// read while the exchange still holds the link (as the page shows them).
    EdidOutcome read(std::uint16_t code, std::optional<int> output,
                     const std::function<void(const QByteArray &block)> &received);
    /// Sends the block `block` gives (asked after the control check: nothing for
    /// NothingToSend) to `target`.
    EdidOutcome download(const EdidPortLists::Target &target,
                         const std::function<std::optional<QByteArray>()> &block);

private:
    bool prepare(const QString &statusText);
    bool run(const QString &statusText, EdidSub subcommand, std::uint16_t p1, std::uint16_t p2 = 0);

    ShellContext &m_context;
    DeviceStatusReader &m_deviceStatus;
};
