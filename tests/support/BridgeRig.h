#pragma once

#include "FakeTransports.h"
#include "VirtualClock.h"
#include "VirtualTimers.h"

#include "ConnectionTarget.h"
#include "SwitcherDevice.h"
#include "SwitcherSession.h"
#include "VideohubBridge.h"
#include "shell/ShellContext.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>

/// A client as the bridge's core sees it: what it is sent is recorded.
class RecordingChannel final : public Bridge::ClientChannel
{
public:
    explicit RecordingChannel(QString name = QStringLiteral("client")) : m_name(std::move(name)) {}
    void send(const QByteArray &bytes) override { received += bytes; }
    void close() override { closed = true; }
    QString peer() const override { return m_name; }

    /// What arrived since the last call.
    QByteArray take() { return std::exchange(received, {}); }

    QByteArray received;
    bool closed = false;

private:
    QString m_name;
};

/// Cuts what a client received into blocks, each without its blank line.
QList<QByteArray> SplitBlocks(const QByteArray &text);

/// The bridge's core on a shell context with fake transports and the virtual clock, the
/// simulated switcher behind both the fake serial port and the fake TCP connection, and a
/// Settings.ini in a fresh temporary folder. Log lines are kept with their virtual time.
struct BridgeRig
{
    /// `settings` is written to Settings.ini before anything reads it.
    explicit BridgeRig(const ConnectionTarget &target = SerialTarget(),
                       const QByteArray &settings = {}, Bridge::BridgeConfig config = {});

    static ConnectionTarget SerialTarget();

    /// Starts the bridge and runs events until it has reached the switcher (or given up).
    bool start();
    /// Lets `duration` of virtual time pass in 10 ms steps, running events.
    void advance(std::chrono::milliseconds duration);
    /// Runs events until `done` holds, for at most `limit` of real time.
    static bool waitFor(const std::function<bool()> &done, int limitMs = 5000);

    QString settingsPath() const;
    /// The switcher's routing of outputs 1..4, "1,2,3,4".
    QString simRouting() const;
    /// The routes the switcher was sent, in order: "2<3" for input 3 to output 2.
    QStringList sentRoutes() const;

    QTemporaryDir dir;
    VirtualClock clock;
    FakeTransportFactory transports{&clock};
    SwitcherSession session;
    ShellContext &context;
    SwitcherDevice device;
    VirtualTimers timers{clock};
    Bridge::VideohubBridge bridge;
    /// "1250 ms: switcher on ... lost (...)".
    QStringList log;
    std::chrono::milliseconds answerDelay{0};
};
