// matrix-bridge: a Videohub server in front of one HDMI matrix switcher.
#include "BuildInfo.h"

#include "BridgeConnection.h"
#include "BridgeOptions.h"
#include "BridgeServer.h"
#include "BridgeTimers.h"
#include "VideohubBridge.h"
#include "WebFrontEnd.h"

#include "link/RealClock.h"
#include "shell/ShellContext.h"
#include "shell/StatusBoard.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

namespace {

const char *const Name = "matrix-bridge";

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
        return 2;
    }
    if (options->help) {
        std::fputs(qPrintable(BridgeOptions::Usage()), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("%s %s\n", Name, BuildInfo::Version);
        return 0;
    }

    const SettingsLocation location = Connection::Location(options->connection);
    const auto target = Connection::Resolve(options->connection, location, &error);
    if (!target) {
        std::fprintf(stderr, "%s: %s\n", Name, qPrintable(error));
        return 2;
    }

    RealClock clock;
    TargetTransports transports(target->tcpPort);
    TargetPortLister ports(target->serialPort);
    ShellContext context(transports, clock, ports, location);
    context.status().setBlinking(false);
    Connection::Apply(context, *target);

    Bridge::QtTimers timers;
    Bridge::BridgeConfig config;
    config.poll = options->poll;
    config.clientTimeout = options->clientTimeout;
    config.switcherName = target->describe();
    Bridge::VideohubBridge bridge(context, timers, config);
    Bridge::BridgeServer server(bridge);
    QObject::connect(&bridge, &Bridge::VideohubBridge::logLine, &Log);
    QObject::connect(&server, &Bridge::BridgeServer::logLine, &Log);

    const QString where =
        options->listenAddress.toString() + QLatin1Char(':') + QString::number(options->listenPort);
    if (!server.listen(options->listenAddress, options->listenPort)) {
        Log(QStringLiteral("cannot listen on ") + where + QStringLiteral(": ") +
            server.errorString());
        return 1;
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
