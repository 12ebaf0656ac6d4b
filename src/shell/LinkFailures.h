#pragma once

#include "link/Commands.h"
#include "link/Transport.h"

#include <QString>

#include <optional>

class TKXCOMControl;

/// The one table of the failures the link reports: for each notification that stands for a
/// failure, the text the program shows and the exit code a command-line program ends with.
/// The desktop program and matrixctl both take their texts from here.
namespace LinkFailures {

/// Exit codes of the command-line programs.
enum ExitCode : int {
    Done = 0,
    Usage = 2,      ///< bad command line
    CannotOpen = 3, ///< the port or host cannot be opened, or the connection failed
    NoAnswer = 4,   ///< the switcher did not answer
    Refused = 5,    ///< the switcher refused, or its answers were unusable
    BadInput = 6,   ///< an input file cannot be used
    InUse = 7,      ///< another program holds the port or the switcher
};

/// Where the program shows a failure.
enum class Shown {
    StatusPanel, ///< blinking in the operation panel of the status bar
    MessageArea, ///< as a line of the firmware page's message area
};

/// The link's state when the notification arrives.
struct Facts
{
    TControlMode mode = cmCOM;
    bool connected = false;
    QString port;
    QString ip;
    /// The endpoint's reason, when the caller knows its endpoint; None otherwise.
    StreamEndpoint::Failure reason = StreamEndpoint::Failure::None;

    /// The link's state now, with the reason its line last failed.
    static Facts of(const TKXCOMControl &link);
};

struct Failure
{
    QString text;
    ExitCode exitCode = NoAnswer;
    Shown shown = Shown::StatusPanel;
};

/// The failure notification `code` reports, or nothing for a notification that is not a
/// failure (progress, log lines, traces).
std::optional<Failure> ForNotification(int code, qint64 wParam, qint64 lParam, const Facts &facts);

/// "<where> is in use by another program".
QString InUseText(const QString &where);
/// What a user who may not open serial ports can do about it.
QString SerialPermissionHint();
/// What follows a failed open in the hint panel: the system's reason (its words after the
/// place they name, which the failure text already names) and, for a serial port this user
/// may not open, SerialPermissionHint(). Empty when the system gave no reason.
QString OpenFailureHint(TControlMode mode, StreamEndpoint::Failure reason,
                        const QString &systemText);

} // namespace LinkFailures
