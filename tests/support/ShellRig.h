#pragma once

#include "FakeTransports.h"
#include "ScriptedDialogs.h"
#include "VirtualClock.h"

#include "shell/PortLister.h"
#include "shell/ui/ProgramWindows.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class TForm1;

/// A port list the test writes.
class ScriptedPortLister final : public PortLister
{
public:
    QStringList ports() const override { return names; }
    QStringList names;
};

/// The program's windows on fake transports, the virtual clock, scripted dialogs and a
/// settings file in a fresh temporary folder.
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
    FakeStreamEndpoint &serial() const { return *transports.serial; }
    FakeStreamEndpoint &tcp() const { return *transports.tcp; }
    QString settingsPath() const;
    void writeSettings(const QByteArray &content) const;
    QByteArray readSettings() const;

    /// The serial port answers every command frame like a switcher that accepts it: the
    /// request echoed with r4 = `r4`, W2 = `w2` and a fresh checksum.
    void answerEveryCommand(std::uint8_t r4 = 0, std::uint16_t w2 = 0,
                            std::chrono::milliseconds delay = std::chrono::milliseconds(0));

    /// The answer a switcher gives to `request`.
    static QByteArray answerTo(const QByteArray &request, std::uint8_t r4, std::uint16_t w2);

    QTemporaryDir dir;
    VirtualClock clock;
    FakeTransportFactory transports{&clock};
    ScriptedDialogs dialogs;
    ScriptedPortLister portLister;
    std::unique_ptr<ProgramWindows> windows;
};
