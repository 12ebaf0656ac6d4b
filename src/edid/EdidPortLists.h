#pragma once

#include "link/Commands.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

/// Parameter values of the EDID commands.
inline constexpr std::uint16_t EdidPortCodeBase = 0xF000;
inline constexpr std::uint16_t EdidAllInputsCode = 0xF0FE;
inline constexpr std::uint16_t EdidPrepareCode = 0x00F0;
inline constexpr std::uint16_t EdidDefaultAllCode = 0x00FE;
inline constexpr std::uint16_t EdidUserMemoryStep = 0x0100;
/// The control mode in which the switcher's EDID selector forbids software control.
inline constexpr std::uint8_t EdidControlLockedMode = 15;
/// The output connection query's answer for an output without a display.
inline constexpr std::uint8_t OutputNotConnected = 240;
/// What the switcher queries give when the exchange failed.
inline constexpr std::uint8_t QueryFailed = 255;

/// The entries of the EDID page's drop-down lists and the codes the switcher is sent for them.
/// Pure text and number rules; the page fills its lists from here.
class EdidPortLists
{
public:
    static constexpr int PortCount = 4;
    static constexpr int OutputTagBase = 40;

    /// The 20 entries `cbEDIDMode` is created with (the last is removed at start-up).
    static QStringList ModeEntries();

    /// The text, in upper case, contains "USER".
    static bool IsUserMemoryText(const QString &text);
    /// Position of the first entry that names a user memory, or -1.
    static int FirstUserMemoryIndex(const QStringList &entries);
    /// The mode code sent for `entry` of the mode list: a user memory entry gets
    /// 0xF000 + (its place among the user entries) * 0x100, any other 0xF000 + entry. Nothing
    /// for the prompt (entry 0) and for the last entry, which restores the default instead.
    static std::optional<std::uint16_t> ModeCode(const QStringList &entries, int entry);

    /// "In" + n, or "In" + n + " - [" + tag + "]" when the port has a tag; "Out" likewise.
    static QString PortEntry(const QString &prefix, int port, const QString &tag);

    using TagOf = std::function<QString(int port)>;
    /// "Select Input", the inputs, "All Inputs" (lists of Set and Copy).
    static QStringList InputEntries(const TagOf &inputTag);
    /// The input entries followed by the two user memories (list of Download).
    static QStringList DownloadEntries(const TagOf &inputTag);
    /// "Select Output" and the outputs (list of Copy).
    static QStringList OutputEntries(const TagOf &outputTag);
    /// The output entries followed by the two user memories (list of Read).
    static QStringList ReadEntries(const TagOf &outputTag);

    /// Subcommand and p1 of a download to `entry` of the Download list (1..7).
    struct Target
    {
        EdidSub subcommand = EdidSub::DownloadOne;
        std::uint16_t code = 0;
    };
    static std::optional<Target> DownloadTarget(int entry);
    /// p1 of a read from `entry` of the Read list (1..6).
    static std::optional<std::uint16_t> ReadCode(int entry);
    /// Whether `entry` of the Read list is an output, which needs a display to be read.
    static bool ReadsOutput(int entry) { return entry >= 1 && entry <= PortCount; }

    static QString SelectInput() { return QStringLiteral("Select Input"); }
    static QString SelectOutput() { return QStringLiteral("Select Output"); }
    static QString AllInputs() { return QStringLiteral("All Inputs"); }
    static std::array<QString, 2> UserMemories();
};
