#pragma once

#include "SimEdid.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <cstdint>
#include <optional>

inline constexpr int SimMaxPorts = 8;

inline constexpr std::uint8_t EdidControlSoftware = 0x00;
/// The EDID selector switch is not in its software position: EDID changes are refused.
inline constexpr std::uint8_t EdidControlLocked = 0x0F;

/// What the simulated switcher knows and remembers. Plain data: tests set it up before an
/// exchange and read it afterwards. Ports are numbered from 1; the arrays are indexed by
/// port - 1. Only ports 1..inputs and 1..outputs exist for the commands.
struct SwitcherState
{
    SwitcherState();

    std::uint8_t kind = 1; // 1 HDMI, 2 HDBT, 3 HDMI+HDBT
    std::uint8_t inputs = 4;
    std::uint8_t outputs = 4;
    std::uint8_t versionMajor = 1;
    std::uint8_t versionMinor = 2;

    /// routing[output - 1] = the input that feeds the output.
    std::array<std::uint8_t, SimMaxPorts> routing{1, 2, 3, 4, 5, 6, 7, 8};
    std::array<bool, SimMaxPorts> sourceConnected{true, true, false, true};
    std::array<bool, SimMaxPorts> displayConnected{true, true, false, true};
    /// Connection answers (r6) that take the place of 0x00/0xFF for a port, as a switcher
    /// that reports an unexpected value would give them.
    std::array<std::optional<std::uint8_t>, SimMaxPorts> sourceAnswer{};
    std::array<std::optional<std::uint8_t>, SimMaxPorts> displayAnswer{};

    std::uint8_t edidControlMode = EdidControlSoftware;
    bool irEnabled = true;

    /// The EDID each input presents to its source, and the mode code it was last set from
    /// (0 after a download or a copy from a display).
    std::array<SimEdidBlock, SimMaxPorts> inputEdid{};
    std::array<std::uint16_t, SimMaxPorts> inputEdidMode{};
    std::array<SimEdidBlock, 2> userMemory{};
    std::array<SimEdidBlock, SimMaxPorts> displayEdid{};
    std::array<SimEdidBlock, BuiltinEdidCount> builtinEdid{};
    SimEdidBlock defaultEdid{};

    /// How long the switcher stays deaf after a restart command, in milliseconds.
    int restartSilenceMs = 0;
    int restarts = 0;

    /// Every complete frame, data packet and record received, as received.
    QList<QByteArray> received;
    /// Frames dropped because their checksum was wrong.
    QList<QByteArray> rejected;
    /// Every chunk of bytes handed to the line, in order (after fault injection).
    QList<QByteArray> sent;

    bool isInput(int port) const { return port >= 1 && port <= inputs && port <= SimMaxPorts; }
    bool isOutput(int port) const { return port >= 1 && port <= outputs && port <= SimMaxPorts; }
    /// Routes `input` to `output` as the front panel or the IR remote does: nothing goes out
    /// on the line, the controller sees the change only when it next asks. False, and no
    /// change, for a port the switcher does not have.
    bool frontPanelRoute(int output, int input);
    /// The block a mode code names (built-in 0xF001..0xF00F, user memory 0xF100/0xF200), or
    /// nullptr for any other code.
    const SimEdidBlock *edidForMode(std::uint16_t code) const;
    /// The user memory 0xF100 or 0xF200 names, or nullptr.
    SimEdidBlock *userMemoryFor(std::uint16_t code);
    /// All received bytes concatenated; convenient for byte-for-byte comparisons.
    QByteArray receivedBytes() const;
    QByteArray sentBytes() const;
    void clearLogs();
};
