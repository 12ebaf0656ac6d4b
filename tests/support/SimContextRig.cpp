#include "SimContextRig.h"

#include "link/KXCOMControl.h"
#include "shell/connection/ConnectionController.h"

#include <QVBoxLayout>

SimContextRig::SimContextRig(int clockDivisor)
    : clock(clockDivisor),
      context(transports, clock, ports, SettingsLocation::inDirectory(dir.path()))
{
    if (!pty.open())
        qFatal("no pseudo-terminal: %s", qPrintable(pty.errorString()));
    ports.names = {pty.slavePath()};
    context.connection().rbCOMModeClick();
    context.connection().RefreshComPortList();
    new QVBoxLayout(&window);
}

SimContextRig::~SimContextRig() = default;

bool SimContextRig::connect()
{
    if (!context.link()->Connected())
        context.connection().btnConnectClick();
    device.state().clearLogs();
    return context.link()->Connected();
}
