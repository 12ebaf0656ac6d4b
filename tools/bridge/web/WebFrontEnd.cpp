#include "WebFrontEnd.h"

#include "TokenFile.h"

#include <cstdio>

namespace Bridge::Web {

WebFrontEnd::WebFrontEnd(QByteArray token, const WebOptions &options, VideohubBridge &bridge,
                         Timers &timers, const QString &settingsPath)
    : m_access(std::move(token), options.port), m_hub(bridge, settingsPath),
      m_server(m_hub, m_access, m_throttle, timers)
{
}

std::unique_ptr<WebFrontEnd> WebFrontEnd::Start(const WebOptions &options, VideohubBridge &bridge,
                                                Timers &timers, const QString &settingsPath,
                                                const Log &log, int *exitCode)
{
    QByteArray token;
    if (options.needsToken()) {
        QString error;
        const auto file = TokenFile::LoadOrCreate(options.tokenFile, &error);
        if (!file) {
            log(error);
            *exitCode = 2;
            return nullptr;
        }
        token = file->token;
        if (file->created) {
            // Printed once, where the person who started the bridge sees it.
            std::printf("Access token of the control page (stored in %s): %s\n",
                        qPrintable(options.tokenFile), token.constData());
            std::fflush(stdout);
        }
    }

    std::unique_ptr<WebFrontEnd> web(new WebFrontEnd(token, options, bridge, timers, settingsPath));
    QObject::connect(&web->m_hub, &PageHub::logLine, log);
    QObject::connect(&web->m_server, &WebServer::logLine, log);
    const QString url = QStringLiteral("http://") + options.where() + QLatin1Char('/');
    if (!web->m_server.listen(options.address, options.port)) {
        log(QStringLiteral("cannot serve the control page on ") + options.where() +
            QStringLiteral(": ") + web->m_server.errorString());
        *exitCode = 1;
        return nullptr;
    }
    log(QStringLiteral("control page on ") + url +
        (token.isEmpty() ? QStringLiteral(" (no login: loopback address)")
                         : QStringLiteral(" (login with the token in ") + options.tokenFile +
                               QStringLiteral("; it travels in clear over plain HTTP)")));
    return web;
}

} // namespace Bridge::Web
