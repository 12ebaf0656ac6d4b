#include "CommandLine.h"

#include "BuildInfo.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdio>

namespace {

constexpr char ProgramName[] = "hdmi-matrix-controller";
constexpr int UsageError = 2;

constexpr char Usage[] =
    "Usage: hdmi-matrix-controller [options]\n"
    "Controls a 4x4 HDMI video matrix switcher over a serial port or TCP. Without options it\n"
    "opens its window, which needs a display.\n"
    "\n"
    "  -h, --help       show this text\n"
    "  -v, --version    show the version\n"
    "\n"
    "Qt's own options, such as -platform NAME or -style NAME, are accepted as well.\n";

/// Parses the arguments (with the program name first) into the two options.
struct Parsed
{
    bool ok = false;
    bool help = false;
    bool version = false;
    QString error;
    QStringList positional;
};

Parsed Parse(const QStringList &arguments)
{
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    QCommandLineParser parser;
    // Qt's options are single-dash words (-platform, -style): never a cluster of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(help);
    parser.addOption(version);
    Parsed parsed;
    parsed.ok = parser.parse(arguments);
    parsed.error = parser.errorText();
    parsed.help = parser.isSet(help);
    parsed.version = parser.isSet(version);
    parsed.positional = parser.positionalArguments();
    return parsed;
}

int UsageFailure(const QString &error)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", ProgramName, qPrintable(error), ProgramName);
    return UsageError;
}

} // namespace

namespace CommandLine {

std::optional<int> handleBeforeApplication(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Options this parser does not know may be Qt's; rejectUnknown() judges what Qt leaves.
    const Parsed parsed = Parse(arguments);
    if (parsed.help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (parsed.version) {
        std::printf("%s %s\n", ProgramName, BuildInfo::Version);
        return 0;
    }
    return std::nullopt;
}

std::optional<int> rejectUnknown(const QStringList &arguments)
{
    const Parsed parsed = Parse(arguments);
    if (!parsed.ok)
        return UsageFailure(parsed.error);
    if (!parsed.positional.isEmpty())
        return UsageFailure(
            QStringLiteral("unexpected argument '%1'").arg(parsed.positional.first()));
    return std::nullopt;
}

} // namespace CommandLine
