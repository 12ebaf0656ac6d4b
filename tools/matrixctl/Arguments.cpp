#include "Arguments.h"

#include "CommandTable.h"
#include "ExitCodes.h"
#include "Matrixctl.h"
#include "Output.h"

namespace {

constexpr int HelpColumn = 32;

const QString ProgramName = QStringLiteral("matrixctl");

QString OptionLine(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    QString left = QStringLiteral("  ") + names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        left += QLatin1Char(' ') + option.valueName().toUpper();
    left = left.size() < HelpColumn ? left.leftJustified(HelpColumn) : left + QLatin1Char(' ');
    return left + option.description() + QLatin1Char('\n');
}

QString CommandLine(const CommandEntry &command)
{
    QString left = QStringLiteral("  ") + command.name;
    left = left.size() < 19 ? left.leftJustified(19) : left + QLatin1Char(' ');
    return left + command.summary + QLatin1Char('\n');
}

/// The commands whose name starts with `group` and a blank ("preset list", ...).
std::vector<const CommandEntry *> GroupMembers(const QString &group)
{
    std::vector<const CommandEntry *> members;
    for (const CommandEntry &command : Commands()) {
        if (command.name.startsWith(group + QLatin1Char(' ')))
            members.push_back(&command);
    }
    return members;
}

QString GroupHelp(const QString &group)
{
    QString help = QStringLiteral("Usage: matrixctl ") + group + QStringLiteral(" COMMAND ...\n\n");
    for (const CommandEntry *command : GroupMembers(group))
        help += CommandLine(*command);
    return help;
}

/// The command the first positional words name, and how many words that took.
const CommandEntry *FindCommand(const QStringList &words, int &used)
{
    for (const CommandEntry &command : Commands()) {
        const QStringList name = command.name.split(QLatin1Char(' '));
        if (words.mid(0, name.size()) == name) {
            used = int(name.size());
            return &command;
        }
    }
    return nullptr;
}

} // namespace

QString ProgramHelp()
{
    QString help = QStringLiteral(
        "Usage: matrixctl [--port DEVICE | --host ADDRESS[:PORT]] [--json] COMMAND [ARGUMENTS]\n"
        "\n"
        "Drives an HDMI matrix switcher from scripts, cron jobs and control surfaces. Without\n"
        "--port or --host it uses the connection the desktop program would use, and the\n"
        "presets and port tags are the desktop program's, from its Settings.ini.\n"
        "\n"
        "Commands:\n");
    for (const CommandEntry &command : Commands())
        help += CommandLine(command);
    help += QStringLiteral("\nOptions:\n");
    for (const QCommandLineOption &option : GlobalOptions())
        help += OptionLine(option);
    help += QStringLiteral("\n'matrixctl COMMAND --help' describes a command.\n\n");
    return help + ExitCodeHelp();
}

QString CommandHelp(const CommandEntry &command)
{
    QString help = QStringLiteral("Usage: matrixctl ") + command.name;
    if (!command.syntax.isEmpty())
        help += QLatin1Char(' ') + command.syntax;
    help += QStringLiteral("\n\n") + command.summary + QStringLiteral(".\n");
    if (!command.details.isEmpty())
        help += command.details + QLatin1Char('\n');
    if (!command.options.isEmpty()) {
        help += QStringLiteral("\nOptions:\n");
        for (const QString &name : command.options)
            help += OptionLine(CommandOption(name));
    }
    help += QStringLiteral("\nCommon options:\n");
    for (const QCommandLineOption &option : GlobalOptions())
        help += OptionLine(option);
    return help + QLatin1Char('\n') + ExitCodeHelp();
}

std::variant<Invocation, int> ParseArguments(const QStringList &arguments, Output &out)
{
    const QStringList line = QStringList{ProgramName} + arguments;
    // First pass: every option any command knows, only to find the command words.
    QCommandLineParser scan;
    scan.addOptions(GlobalOptions());
    scan.addOptions(AllCommandOptions());
    scan.parse(line);
    const QStringList words = scan.positionalArguments();
    const bool help = scan.isSet(QStringLiteral("help"));

    if (words.isEmpty()) {
        if (scan.isSet(QStringLiteral("version"))) {
            out.text(ProgramName + QLatin1Char(' ') + QLatin1String(MatrixctlVersion) +
                     QLatin1Char('\n'));
            return 0;
        }
        if (help) {
            out.text(ProgramHelp());
            return 0;
        }
        return out.fail(LinkFailures::Usage, QStringLiteral("no command given"),
                        QStringLiteral("matrixctl --help"));
    }

    int used = 0;
    const CommandEntry *command = FindCommand(words, used);
    if (!command) {
        if (!GroupMembers(words.first()).empty()) {
            if (help && words.size() == 1) {
                out.text(GroupHelp(words.first()));
                return 0;
            }
            out.fail(LinkFailures::Usage,
                     words.size() == 1
                         ? QStringLiteral("\"") + words.first() +
                               QStringLiteral("\" needs a command")
                         : QStringLiteral("unknown command: ") + words.mid(0, 2).join(' '));
            out.textErr(GroupHelp(words.first()));
            return LinkFailures::Usage;
        }
        return out.fail(LinkFailures::Usage, QStringLiteral("unknown command: ") + words.first(),
                        QStringLiteral("matrixctl --help"));
    }

    // Second pass: the common options and the command's own.
    Invocation invocation;
    invocation.command = command;
    invocation.options = std::make_unique<QCommandLineParser>();
    QCommandLineParser &options = *invocation.options;
    options.addOptions(GlobalOptions());
    for (const QString &name : command->options)
        options.addOption(CommandOption(name));
    const QString helpHint =
        QStringLiteral("matrixctl ") + command->name + QStringLiteral(" --help");
    if (!options.parse(line))
        return out.fail(LinkFailures::Usage, options.errorText(), helpHint);
    if (options.isSet(QStringLiteral("help"))) {
        out.text(CommandHelp(*command));
        return 0;
    }
    invocation.arguments = options.positionalArguments().mid(used);
    const int count = int(invocation.arguments.size());
    if (count < command->minArguments ||
        (command->maxArguments >= 0 && count > command->maxArguments)) {
        const QString usage =
            QStringLiteral("usage: matrixctl ") + command->name +
            (command->syntax.isEmpty() ? QString() : QLatin1Char(' ') + command->syntax);
        return out.fail(LinkFailures::Usage, usage, helpHint);
    }
    return invocation;
}
