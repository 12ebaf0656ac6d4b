// matrix-bridge: a Videohub server in front of one HDMI matrix switcher.
#include "BuildInfo.h"

#include "BridgeOptions.h"
#include "BridgeServer.h"
#include "DesktopSettings.h"
#include "SwitcherSession.h"
#include "VideohubBridge.h"
#include "WebFrontEnd.h"
#include "shell/Timers.h"

#include "link/QtTransportFactory.h"
#include "link/RealClock.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

namespace {

const char *const Name = "matrix-bridge";
/// Exit status when the clients' address cannot be listened on.
constexpr int CannotListen = 1;

/// One line on stderr with a time stamp.
void Log(const QString &text)
{
    const QString stamp = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    std::fprintf(stderr, "%s %s: %s\n", qPrintable(stamp), Name, qPrintable(text));
    std::fflush(stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(Name));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(BuildInfo::Version));

    QString error;
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const auto options = BridgeOptions::Parse(arguments, &error);
    if (!options) {
        std::fprintf(stderr, "%s: %s\n\n%s", Name, qPrintable(error),
                     qPrintable(BridgeOptions::Usage()));
        return LinkFailures::Usage;
    }
    if (options->help) {
        std::fputs(qPrintable(BridgeOptions::Usage()), stdout);
        return LinkFailures::Done;
    }
    if (options->version) {
        std::printf("%s %s\n", Name, BuildInfo::Version);
        return LinkFailures::Done;
    }

    const SettingsLocation location = Connection::Location(options->connection);
    DesktopSettings settings(location);
    Connection::Unresolved unresolved;
    const auto target = Connection::Resolve(options->connection, settings, &unresolved);
    if (!target) {
        // No switcher to drive is a mistake of the command line, whatever the reason.
        std::fprintf(stderr, "%s: %s\n", Name, qPrintable(unresolved.text));
        return LinkFailures::Usage;
    }

    RealClock clock;
    QtTransportFactory transports(target->tcpPort);
    SwitcherSession session(transports, clock, location, *target);

    QtTimers timers;
    Bridge::BridgeConfig config;
    config.poll = options->poll;
    config.clientTimeout = options->clientTimeout;
    config.switcherName = target->describe();
    Bridge::VideohubBridge bridge(session, timers, config);
    Bridge::BridgeServer server(bridge);
    QObject::connect(&bridge, &Bridge::VideohubBridge::logLine, &Log);
    QObject::connect(&server, &Bridge::BridgeServer::logLine, &Log);

    const QString where =
        options->listenAddress.toString() + QLatin1Char(':') + QString::number(options->listenPort);
    if (!server.listen(options->listenAddress, options->listenPort)) {
        Log(QStringLiteral("cannot listen on ") + where + QStringLiteral(": ") +
            server.errorString());
        return CannotListen;
    }
    Log(QStringLiteral("listening on ") + where + QStringLiteral(" for Videohub clients; ") +
        QStringLiteral("switcher on ") + target->describe() + QStringLiteral(", settings ") +
        location.filePath());
    if (!options->listenAddress.isLoopback())
        Log(QStringLiteral("warning: ") + where +
            QStringLiteral(" is not a loopback address and the Videohub protocol has no access "
                           "control: anyone who reaches it can route the switcher"));
    std::unique_ptr<Bridge::Web::WebFrontEnd> web;
    if (options->web.enabled) {
        int exitCode = 0;
        web = Bridge::Web::WebFrontEnd::Start(options->web, bridge, timers, location.filePath(),
                                              &Log, &exitCode);
        if (!web)
            return exitCode;
    }
    bridge.start();
    return QCoreApplication::exec();
}
