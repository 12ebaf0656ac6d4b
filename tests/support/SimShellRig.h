#pragma once

#include "ScaledClock.h"
#include "ScriptedDialogs.h"
#include "ShellRig.h"

#include "ProgramWindows.h"
#include "SimPty.h"
#include "SwitcherDevice.h"
#include "link/QtTransportFactory.h"

#include <QByteArray>
#include <QList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>

class TForm1;

/// The program's windows on the real serial transport, talking to the simulated switcher over
/// a pseudo-terminal (the only port listed), with scaled time so that failures and status
/// blinks pass quickly (time runs `clockDivisor` times faster). The main window is shown.
struct SimShellRig
{
    explicit SimShellRig(int clockDivisor = 20);
    ~SimShellRig();

    TForm1 &form() const { return windows->mainWindow(); }
    ShellContext &context() const { return windows->context(); }
    SwitcherState &sim() { return device.state(); }

    /// Opens the connection through the Connect button and forgets what the switcher
    /// received so far; false when it did not open.
    bool connect();

    /// Frames the simulator received, as received.
    QList<QByteArray> received() const { return device.state().received; }
    void clearReceived() { device.state().clearLogs(); }

    /// Runs `action` with each frame the simulator receives, before it is answered.
    void onFrame(std::function<void(const TCommandFrame &frame)> action);

    /// A command frame as it must appear on the wire.
    static QByteArray Frame(std::uint8_t command, std::uint8_t subcommand, std::uint16_t p1,
                            std::uint16_t p2 = 0);

    QTemporaryDir dir;
    ScaledClock clock;
    QtTransportFactory transports;
    ScriptedDialogs dialogs;
    ScriptedPortLister ports;
    SwitcherDevice device;
    SimPty pty{device};
    std::unique_ptr<ProgramWindows> windows;
};
