// ir on|off: the switcher's infrared remote control.

#include "CommandTable.h"
#include "Output.h"
#include "Session.h"

#include "link/Commands.h"
#include "shell/CommandGate.h"

int RunIr(CommandContext &context)
{
    const QString state = context.argument(0).toLower();
    if (state != QLatin1String("on") && state != QLatin1String("off"))
        return context.usage(QStringLiteral("ir on or ir off"));
    const bool on = state == QLatin1String("on");

    int exitCode = 0;
    const std::unique_ptr<Session> session = context.connect(exitCode);
    if (!session)
        return exitCode;
    TCommandResult result;
    session->gate().RunCommand((on ? QStringLiteral("Enable") : QStringLiteral("Disable")) +
                                   QStringLiteral(" IR control ..."),
                               Command::Ir, IrSub::Control, on ? SwitchOn : SwitchOff, 0, result);
    if (!result.Success)
        return session->report(context.out());
    context.out().result(
        {on ? QStringLiteral("IR control enabled") : QStringLiteral("IR control disabled")},
        {{QStringLiteral("ir"), state}});
    return 0;
}
