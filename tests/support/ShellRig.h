#pragma once

#include "ContextRig.h"

#include "ProgramWindows.h"
#include "shell/settings/SettingsLocation.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class TForm1;

/// The whole program on fake transports, the virtual clock, scripted dialogs and a settings
/// file in a fresh temporary folder.
struct ShellRig
{
    explicit ShellRig(const QStringList &ports = {QStringLiteral("ttyS0"),
                                                  QStringLiteral("ttyUSB0")});
    ~ShellRig();

    /// Creates the windows; call after preparing the settings file or the port list.
    TForm1 &create();
    /// Creates the windows if needed and shows the main window (FormShow runs).
    TForm1 &show();
    TForm1 &form() const;
    ShellContext &context() const { return windows->context(); }
    FakeStreamEndpoint &serial() const { return *transports.serial; }
    FakeStreamEndpoint &tcp() const { return *transports.tcp; }
    QString settingsPath() const;
    void writeSettings(const QByteArray &content) const;
    QByteArray readSettings() const;

    void answerEveryCommand(std::uint8_t r4 = 0, std::uint16_t w2 = 0,
                            std::chrono::milliseconds delay = std::chrono::milliseconds(0))
    {
        AnswerEveryCommand(serial(), r4, w2, delay);
    }

    QTemporaryDir dir;
    /// The per-user file of the View menu's choices; empty: not remembered.
    QString viewFile;
    VirtualClock clock;
    FakeTransportFactory transports{&clock};
    ScriptedDialogs dialogs;
    ScriptedPortLister portLister;
    /// Where the program keeps Settings.ini: in `dir` unless a test says otherwise before
    /// create().
    SettingsLocation location = SettingsLocation::inDirectory(dir.path());
    std::unique_ptr<ProgramWindows> windows;
};
