#include "BridgeOptions.h"

#include "videohub/VideohubProtocol.h"

namespace {

std::optional<std::chrono::milliseconds> Milliseconds(const QString &text, int lowest)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < lowest || value > 3'600'000)
        return std::nullopt;
    return std::chrono::milliseconds(value);
}

} // namespace

QString BridgeOptions::Usage()
{
    return QStringLiteral(
               "Usage: matrix-bridge [options]\n"
               "\n"
               "Lets Videohub clients (control panels, show control, Bitfocus Companion's\n"
               "Videohub module) share one HDMI matrix switcher: routing with feedback, changes\n"
               "made at the switcher pushed to every client, port tags as labels.\n"
               "\n"
               "  --listen ADDR[:PORT]   where clients connect (default 127.0.0.1:9990). The\n"
               "                         Videohub protocol has no access control: anyone who\n"
               "                         reaches this address can route the switcher. Keep it\n"
               "                         on loopback or a trusted network.\n"
               "  --poll-ms N            read the switcher's routing every N ms (default 1000)\n"
               "  --client-timeout-ms N  drop a client that leaves a block unfinished for N ms\n"
               "                         (default 10000)\n") +
           WebOptions::Usage() + QStringLiteral("\n") + Connection::Usage() +
           QStringLiteral("\n"
                          "  -h, --help             show this text\n"
                          "  --version              show the version\n"
                          "\n"
                          "Exit status: 0 after --help or --version, 1 when it cannot listen,\n"
                          "2 for a mistake on the command line or no switcher to drive. While\n"
                          "it runs it reaches the switcher again and again (after 1, 2, 4 ... 30\n"
                          "seconds) and logs to stderr, one line per event.\n");
}

std::optional<BridgeOptions> BridgeOptions::Parse(const QStringList &arguments, QString *error)
{
    BridgeOptions options;
    error->clear();
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        const auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size()) {
                *error = arg + QStringLiteral(": a value is missing");
                return std::nullopt;
            }
            return arguments[++i];
        };
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            options.help = true;
        } else if (arg == QLatin1String("--version")) {
            options.version = true;
        } else if (arg == QLatin1String("--listen")) {
            const auto text = value();
            if (!text)
                return std::nullopt;
            const auto where = Connection::ParseHostPort(*text, Videohub::DefaultTcpPort);
            if (!where) {
                *error = QStringLiteral("--listen: not ADDR[:PORT] with an IPv4 address: ") + *text;
                return std::nullopt;
            }
            options.listenAddress = QHostAddress(where->address);
            options.listenPort = where->port;
        } else if (arg == QLatin1String("--poll-ms") ||
                   arg == QLatin1String("--client-timeout-ms")) {
            const auto text = value();
            if (!text)
                return std::nullopt;
            const auto ms = Milliseconds(*text, 10);
            if (!ms) {
                *error =
                    arg + QStringLiteral(": a number of milliseconds, 10 to 3600000: ") + *text;
                return std::nullopt;
            }
            (arg == QLatin1String("--poll-ms") ? options.poll : options.clientTimeout) = *ms;
        } else if (Connection::TakeOption(arguments, i, options.connection, error) ||
                   WebOptions::TakeOption(arguments, i, options.web, error)) {
            if (!error->isEmpty())
                return std::nullopt;
        } else {
            *error = QStringLiteral("unknown option ") + arg;
            return std::nullopt;
        }
    }
    *error = options.web.check();
    if (!error->isEmpty())
        return std::nullopt;
    return options;
}
