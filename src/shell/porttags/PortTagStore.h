#pragma once

#include "link/Commands.h"

#include <QString>

#include <array>

class IniDocument;

/// The port tags of one switcher: inputs 1..4 and outputs 1..4.
struct PortTagSet
{
    static constexpr int Ports = 4;
    std::array<QString, Ports> inputs;
    std::array<QString, Ports> outputs;

    bool operator==(const PortTagSet &) const = default;
};

/// Where the port tags live in the settings file: one pair of sections for the switcher on
/// the serial port, one pair per network device (by the MAC text of its network module).
class PortTagStore
{
public:
    /// The MAC text that stands for "no network device selected".
    static QString noDeviceMAC() { return QLatin1String(NoDeviceMACText); }

    static QString inputSection(TControlMode mode, const QString &mac);
    static QString outputSection(TControlMode mode, const QString &mac);

    /// The stored set of the mode (and device); missing sections or keys give empty tags.
    static PortTagSet load(const IniDocument &ini, TControlMode mode, const QString &mac);
    /// Writes the set, then removes tag sections without any tag. In TCP control mode with no
    /// device selected nothing is written. Returns whether the set was written.
    static bool save(IniDocument &ini, TControlMode mode, const QString &mac,
                     const PortTagSet &tags);
    /// Removes every section whose name contains "Tag of" (letter case counts) and whose
    /// values are all blank, of any mode and device.
    static void purgeEmptySections(IniDocument &ini);
};
