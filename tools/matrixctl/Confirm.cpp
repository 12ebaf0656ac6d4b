#include "Confirm.h"

#include "Command.h"
#include "ExitCodes.h"
#include "Matrixctl.h"
#include "Output.h"

#include <QIODevice>

bool Confirmed(CommandContext &context, const QString &question, const QString &answer,
               int &exitCode)
{
    if (context.yes())
        return true;
    Environment &env = context.env();
    if (!env.inIsTerminal || !env.in || !env.err) {
        exitCode = context.usage(QStringLiteral("not on a terminal: give --yes to confirm"));
        return false;
    }
    env.err->write(
        (question + QStringLiteral(" Type ") + answer + QStringLiteral(" to go on: ")).toUtf8());
    const QString typed = QString::fromUtf8(env.in->readLine()).trimmed();
    if (typed == answer)
        return true;
    exitCode = context.out().fail(LinkFailures::Usage, QStringLiteral("not confirmed"));
    return false;
}
