#include "Session.h"

#include "Matrixctl.h"
#include "Output.h"

#include "link/Transport.h"
#include "shell/ShellContext.h"
#include "shell/StatusBoard.h"

Session::Session(Environment &env, const ConnectionTarget &target)
    : m_transports(env.transports(target.tcpPort)),
      m_link(*m_transports, *env.clock, env.settings, target)
{
}

Session::~Session() = default;

int Session::report(Output &out, int fallback, const QString &fallbackText) const
{
    const ConnectionTarget &target = m_link.target();
    const std::optional<RecordedFailure> &failure = m_link.failure();
    if (!failure) {
        QString text = fallbackText;
        if (text.isEmpty())
            text = context().status().text(StatusPanel::Hint);
        if (text.isEmpty())
            text = QStringLiteral("no answer from the switcher on ") + target.where();
        return out.fail(fallback, text);
    }
    QString text = failure->message(target.where());
    if (failure->code == NotifyTimeout)
        text += QStringLiteral(" (no answer from ") + target.where() + QLatin1Char(')');
    return out.fail(failure->exitCode(), text, failure->hint(target.mode));
}
