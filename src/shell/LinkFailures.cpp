#include "shell/LinkFailures.h"

#include "link/KXCOMControl.h"
#include "shell/StatusTexts.h"

#include <array>

namespace LinkFailures {

namespace {

using Reason = StreamEndpoint::Failure;

struct Row
{
    int code;
    ExitCode exitCode;
    /// A port or switcher that another program holds gives InUse instead.
    bool inUseWhenBusy;
    Shown shown;
    QString (*text)(qint64 wParam, qint64 lParam, const Facts &facts);
};

const std::array<Row, 6> Table{{
    {NotifyTimeout, NoAnswer, false, Shown::StatusPanel,
     [](qint64, qint64, const Facts &) { return QStringLiteral("Time out!"); }},
    {NotifyDataInvalid, Refused, false, Shown::StatusPanel,
     [](qint64, qint64, const Facts &) { return QStringLiteral("Data invalid!"); }},
    {NotifyAccessFailed, CannotOpen, true, Shown::StatusPanel,
     [](qint64, qint64, const Facts &facts) { return StatusTexts::AccessFailed(facts.mode); }},
    {NotifyOpenCloseFailed, CannotOpen, true, Shown::StatusPanel,
     [](qint64, qint64, const Facts &facts) {
         return StatusTexts::OpenCloseFailed(facts.mode, facts.connected, facts.port, facts.ip);
     }},
    {NotifyPartWriteFailed, Refused, false, Shown::MessageArea,
     [](qint64 wParam, qint64 lParam, const Facts &) {
         return StatusTexts::PartWriteFailed(wParam, lParam);
     }},
    {NotifySendFailed, Refused, false, Shown::StatusPanel,
     [](qint64, qint64, const Facts &) { return QStringLiteral("Send data failed!"); }},
}};

} // namespace

Facts Facts::of(const TKXCOMControl &link)
{
    return {link.ControlMode(), link.Connected(), link.ComPort(), link.DeviceIP(),
            link.LineFailure()};
}

std::optional<Failure> ForNotification(int code, qint64 wParam, qint64 lParam, const Facts &facts)
{
    for (const Row &row : Table) {
        if (row.code != code)
            continue;
        const bool inUse = row.inUseWhenBusy && facts.reason == Reason::Busy;
        return Failure{row.text(wParam, lParam, facts), inUse ? InUse : row.exitCode, row.shown};
    }
    return std::nullopt;
}

QString InUseText(const QString &where)
{
    return where + QStringLiteral(" is in use by another program");
}

QString SerialPermissionHint()
{
    return QStringLiteral("sudo usermod -aG dialout $USER, then log in again");
}

QString OpenFailureHint(TControlMode mode, StreamEndpoint::Failure reason,
                        const QString &systemText)
{
    QString hint = systemText.section(QStringLiteral(": "), -1).trimmed();
    if (mode == cmCOM && reason == Reason::Permission) {
        const QString how = SerialPermissionHint();
        hint = hint.isEmpty() ? how : hint + QStringLiteral(" - ") + how;
    }
    return hint;
}

} // namespace LinkFailures
