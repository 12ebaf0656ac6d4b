#include "SimShellRig.h"
#include "SimExchange.h"
#include "TestBytes.h"

#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "shell/ShellContext.h"
#include "shell/settings/SettingsLocation.h"
#include "shell/ui/MainWindow.h"

#include <algorithm>

SimShellRig::SimShellRig(int clockDivisor) : clock(clockDivisor)
{
    if (!pty.open())
        qFatal("no pseudo-terminal: %s", qPrintable(pty.errorString()));
    ports.names = {pty.slavePath()};
    windows = std::make_unique<ProgramWindows>(dialogs, transports, clock, ports,
                                               SettingsLocation::inDirectory(dir.path()));
    form().show();
}

SimShellRig::~SimShellRig()
{
    windows.reset();
}

bool SimShellRig::connect()
{
    if (!context().link()->Connected())
        form().btnConnectClick();
    clearReceived();
    return context().link()->Connected();
}

void SimShellRig::onFrame(std::function<void(const TCommandFrame &frame)> action)
{
    OnEveryFrame(device, std::move(action));
}

QByteArray SimShellRig::Frame(std::uint8_t command, std::uint8_t subcommand, std::uint16_t p1,
                              std::uint16_t p2)
{
    return FrameBytes(command, subcommand, p1, p2);
}
