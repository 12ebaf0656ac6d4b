#pragma once

#include "LoginThrottle.h"
#include "PageHub.h"
#include "WebAccess.h"
#include "WebOptions.h"
#include "WebServer.h"

#include <functional>
#include <memory>

namespace Bridge::Web {

/// The control page in the running program: its token, its access rules, the hub on the
/// bridge and the HTTP server, set up from the command line.
class WebFrontEnd
{
public:
    using Log = std::function<void(const QString &)>;

    /// Sets the page up and starts listening; logs what it does. nullptr when it cannot,
    /// with the exit code: 2 for a token file that cannot be used, 1 when it cannot listen.
    static std::unique_ptr<WebFrontEnd> Start(const WebOptions &options, VideohubBridge &bridge,
                                              Timers &timers, const QString &settingsPath,
                                              const Log &log, int *exitCode);

private:
    WebFrontEnd(QByteArray token, const WebOptions &options, VideohubBridge &bridge, Timers &timers,
                const QString &settingsPath);

    WebAccess m_access;
    LoginThrottle m_throttle;
    PageHub m_hub;
    WebServer m_server;
};

} // namespace Bridge::Web
