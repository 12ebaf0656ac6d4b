#pragma once

#include "ContextRig.h"
#include "TestBytes.h"
#include "WidgetFinder.h"

#include "SwitcherDevice.h"
#include "edid/ui/EdidPage.h"
#include "shell/StatusBoard.h"
#include "shell/devicestatus/DeviceStatusReader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>

class QComboBox;

/// The EDID page alone on a shell context, with the simulated switcher behind the fake serial
/// port: every byte the page writes goes to the simulator, every answer comes back after
/// `answerDelay` of virtual time. The page is shown, with the mode list and the empty grid as
/// the program's start leaves them.
struct EdidPageRig
{
    EdidPageRig();

    EdidPage &page() { return edid; }
    SwitcherState &sim() { return device.state(); }
    ShellContext &context() { return shell.context; }
    ScriptedDialogs &dialogs() { return shell.dialogs; }
    template <typename T> T *child(const char *name) const { return Child<T>(&edid, name); }
    QComboBox *list(const char *name) const;
    /// Clicks the button of that name.
    void click(const char *name) const;
    QString status(StatusPanel panel) const { return shell.context.status().text(panel); }
    bool idle() const { return shell.context.flags().CommandIdle; }

    /// What the simulator received, one text per unit: "3.2 F00C 3" for command 3,
    /// subcommand 2, p1 = 0xF00C, p2 = 3; "packet" for a data packet.
    QStringList received() const;
    static QString frame(int command, int subcommand, std::uint16_t p1, std::uint16_t p2 = 0);

    /// Picks the entry of a list whose text is `text` (fails the test when missing).
    static void pick(QComboBox *list, const QString &text);

    /// The 256 data cells in row order, empty texts included.
    QStringList gridTexts() const;
    bool gridEmpty() const;
    /// The block the grid shows, empty unless complete.
    QByteArray gridBlock() const;

    ContextRig shell;
    SwitcherDevice device;
    DeviceStatusReader deviceStatus{shell.context};
    EdidPage edid{shell.context, deviceStatus, shell.dialogs, &shell.window};
    std::chrono::milliseconds answerDelay{0};
};
