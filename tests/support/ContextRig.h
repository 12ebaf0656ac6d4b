#pragma once

#include "FakeTransports.h"
#include "ScriptedDialogs.h"
#include "VirtualClock.h"

#include "shell/ShellContext.h"
#include "shell/connection/PortLister.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <chrono>
#include <cstdint>

/// A port list the test writes.
class ScriptedPortLister final : public PortLister
{
public:
    QStringList ports() const override { return names; }
    QString describe(const QString &name) const override { return descriptions.value(name); }
    QStringList names;
    QHash<QString, QString> descriptions;
};

/// Makes a fake serial port answer every command frame like a switcher that accepts it: the
/// request echoed with r4 = `r4`, W2 = `w2` and a fresh checksum, after `delay`.
void AnswerEveryCommand(FakeStreamEndpoint &port, std::uint8_t r4 = 0, std::uint16_t w2 = 0,
                        std::chrono::milliseconds delay = std::chrono::milliseconds(0));

/// A shell context on fake transports, the virtual clock and a settings file in a fresh
/// temporary folder, with scripted dialogs and a window to put one page on: what a page needs
/// to run without the rest of the program. The link is in serial control mode and the port
/// list is read, so the first port is the chosen one.
struct ContextRig
{
    explicit ContextRig(const QStringList &ports = {QStringLiteral("ttyS0"),
                                                    QStringLiteral("ttyUSB0")});
    ~ContextRig();

    FakeStreamEndpoint &serial() const { return *transports.serial; }
    FakeStreamEndpoint &tcp() const { return *transports.tcp; }
    QString settingsPath() const;
    void writeSettings(const QByteArray &content) const;
    QByteArray readSettings() const;
    /// Opens the serial connection on the chosen port; false when it did not open.
    bool connect();

    void answerEveryCommand(std::uint8_t r4 = 0, std::uint16_t w2 = 0,
                            std::chrono::milliseconds delay = std::chrono::milliseconds(0))
    {
        AnswerEveryCommand(serial(), r4, w2, delay);
    }
    /// The answer a switcher gives to `request`.
    static QByteArray answerTo(const QByteArray &request, std::uint8_t r4, std::uint16_t w2);

    QTemporaryDir dir;
    VirtualClock clock;
    FakeTransportFactory transports{&clock};
    ScriptedDialogs dialogs;
    ScriptedPortLister portLister;
    ShellContext context;
    /// The page under test goes here; shown by the test when it needs a visible page.
    QWidget window;
};
