#pragma once

#include "ContextRig.h"
#include "ScaledClock.h"
#include "ScriptedDialogs.h"

#include "SimPty.h"
#include "SwitcherDevice.h"
#include "link/QtTransportFactory.h"
#include "shell/ShellContext.h"

#include <QTemporaryDir>
#include <QWidget>

/// A shell context on the real serial transport, talking to the simulated switcher over a
/// pseudo-terminal (the only port listed, chosen, in serial control mode), with scaled time
/// (`clockDivisor` times faster), scripted dialogs and a window to put one page on: what a
/// page needs to run against the simulator without the rest of the program.
struct SimContextRig
{
    explicit SimContextRig(int clockDivisor = 20);
    ~SimContextRig();

    /// Opens the serial connection and forgets what the switcher received so far; false when
    /// it did not open.
    bool connect();

    QTemporaryDir dir;
    ScaledClock clock;
    QtTransportFactory transports;
    ScriptedDialogs dialogs;
    ScriptedPortLister ports;
    SwitcherDevice device;
    SimPty pty{device};
    ShellContext context;
    /// The page under test goes here; shown by the test when it needs a visible page.
    QWidget window;
};
