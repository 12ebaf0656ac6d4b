#include "LiveRig.h"
#include "SimExchange.h"
#include "TestBytes.h"
#include "TestFiles.h"

#include "link/KXCOMControl.h"
#include "shell/ShellContext.h"
#include "shell/settings/SettingsLocation.h"
#include "shell/ui/MainWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QHostAddress>
#include <QTest>

using namespace std::chrono_literals;

LiveRig::LiveRig(Line line, const QString &address) : line(line), address(address)
{
    clock.setRealPausePerStep(200us);
    if (line == Line::Pty) {
        pty = std::make_unique<SimPty>(device);
        if (!pty->open())
            qFatal("no pseudo-terminal: %s", qPrintable(pty->errorString()));
        ports.names = {pty->slavePath()};
    } else {
        server = std::make_unique<SimTcpServer>(device);
        if (!server->listen(QHostAddress(address)))
            qFatal("cannot listen on %s: %s", qPrintable(address),
                   qPrintable(server->errorString()));
        const QString entry = QStringLiteral("[Simulator]-[Static IP]-[") + address +
                              QStringLiteral("]-[00-1A-2B-3C-4D-5E]-[Same Subnet]");
        WriteFileBytes(dir.filePath(QStringLiteral("Settings.ini")),
                       ("[Control mode]\r\nMode=1\r\n[TCP control device]\r\nName=" + entry +
                        "\r\n[TCP control device list]\r\nDevice No.1=" + entry + "\r\n")
                           .toUtf8());
    }
    windows = std::make_unique<ProgramWindows>(dialogs, transports, clock, ports,
                                               SettingsLocation::inDirectory(dir.path()), &timers,
                                               viewFilePath());
    form().show();
}

LiveRig::~LiveRig()
{
    windows.reset();
}

bool LiveRig::connect()
{
    if (!context().link()->Connected())
        form().btnConnectClick();
    clearReceived();
    return context().link()->Connected();
}

void LiveRig::run(std::chrono::milliseconds duration)
{
    runUntil([] { return false; }, duration);
}

std::chrono::milliseconds LiveRig::runUntil(const std::function<bool()> &done,
                                            std::chrono::milliseconds limit)
{
    const std::int64_t start = clock.elapsedMs();
    while (!done() && clock.elapsedMs() - start < limit.count()) {
        clock.advance(10ms);
        QCoreApplication::processEvents();
    }
    return std::chrono::milliseconds(clock.elapsedMs() - start);
}

void LiveRig::onFrame(std::function<void(const TCommandFrame &frame)> action)
{
    OnEveryFrame(device, std::move(action));
}

void LiveRig::setChecked(QAction *entry, bool on)
{
    if (entry->isChecked() != on)
        entry->trigger();
}

QByteArray LiveRig::GetRoute(int output)
{
    return FrameBytes(2, 1, std::uint16_t(output));
}

QByteArray LiveRig::SetRoute(int input, int output)
{
    return FrameBytes(2, 3, std::uint16_t(input), std::uint16_t(output));
}
