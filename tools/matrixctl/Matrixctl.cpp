#include "Matrixctl.h"

#include "Arguments.h"
#include "Command.h"
#include "Output.h"

int RunMatrixctl(const QStringList &arguments, Environment &env)
{
    Output out(env);
    std::variant<Invocation, int> parsed = ParseArguments(arguments, out);
    if (const int *exitCode = std::get_if<int>(&parsed))
        return *exitCode;
    Invocation &invocation = std::get<Invocation>(parsed);
    out.setJson(invocation.options->isSet(QStringLiteral("json")));
    CommandContext context(env, out, *invocation.options, invocation.command->name,
                           invocation.arguments);
    return invocation.command->run(context);
}
