#pragma once

#include "ShellRig.h"

#include "SwitcherDevice.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>

class EdidPage;
class QComboBox;
class TForm1;

/// The main window on the fake serial port, with the simulated switcher behind it: every byte
/// the controller writes goes to the simulator, every answer comes back after `answerDelay`
/// of virtual time.
struct EdidPageRig
{
    EdidPageRig();

    TForm1 &form() const { return shell.form(); }
    EdidPage &page() const;
    SwitcherState &sim() { return device.state(); }

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

    ShellRig shell;
    SwitcherDevice device;
    std::chrono::milliseconds answerDelay{0};
};

/// A 256-byte block as bytes.
QByteArray AsByteArray(const std::array<std::uint8_t, 256> &block);
