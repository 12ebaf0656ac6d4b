#pragma once

#include "ContextRig.h"
#include "ScriptedDialogs.h"
#include "TestLine.h"
#include "VirtualClock.h"
#include "VirtualTimers.h"

#include "LiveFeatures.h"
#include "ProgramWindows.h"
#include "SimPty.h"
#include "SimTcpServer.h"
#include "SwitcherDevice.h"
#include "link/Frames.h"
#include "link/QtTransportFactory.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>

class QAbstractButton;
class RoutingView;
class TForm1;

/// The whole program against the simulated switcher over a real line (a pseudo-terminal in
/// serial control mode, or loopback TCP in TCP control mode), on the virtual clock: the
/// window's timers run when virtual time reaches them, and each waiting step still gives the
/// line a little real time. The View choices are remembered in the rig's folder.
struct LiveRig
{
    using Line = TestLine;

    /// `address` is the loopback address of the TCP line.
    explicit LiveRig(Line line, const QString &address = QStringLiteral("127.0.0.71"));
    ~LiveRig();

    TForm1 &form() const { return windows->mainWindow(); }
    ShellContext &context() const { return windows->context(); }
    LiveFeatures &live() const { return windows->live(); }
    RoutingView &routing() const { return windows->routing(); }
    SwitcherState &sim() { return device.state(); }
    QString viewFilePath() const { return dir.filePath(QStringLiteral("View.ini")); }

    /// Connects through the Connect button and forgets what the switcher received so far.
    bool connect();
    /// Lets `duration` of virtual time pass in 10 ms steps, running timers and events.
    void run(std::chrono::milliseconds duration);
    /// Runs until `done` holds or `limit` of virtual time has passed; the time it took.
    std::chrono::milliseconds runUntil(const std::function<bool()> &done,
                                       std::chrono::milliseconds limit);
    /// Frames the switcher received since the last clear.
    QList<QByteArray> received() const { return device.state().received; }
    void clearReceived() { device.state().clearLogs(); }
    /// Runs `action` with each frame the switcher receives, before it answers.
    void onFrame(std::function<void(const TCommandFrame &frame)> action);
    /// Turns a View menu entry on or off as the operator does.
    static void setChecked(QAction *entry, bool on);

    static QByteArray GetRoute(int output);
    static QByteArray SetRoute(int input, int output);

    Line line;
    QString address;
    QTemporaryDir dir;
    VirtualClock clock;
    VirtualTimers timers{clock};
    QtTransportFactory transports;
    ScriptedDialogs dialogs;
    ScriptedPortLister ports;
    SwitcherDevice device;
    std::unique_ptr<SimPty> pty;
    std::unique_ptr<SimTcpServer> server;
    std::unique_ptr<ProgramWindows> windows;
};
