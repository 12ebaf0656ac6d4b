#pragma once

#include "link/Commands.h"

#include <QString>

#include <array>

// The records the main window sends to a network module: the configuration record of the
// Config action and the LDCD query and reset requests, and the texts of a query answer.

namespace ModuleRecords {

/// What the configuration dialog holds when the operator confirms it.
struct ConfigChoice
{
    QString mac;                 ///< the device's MAC text
    QString tag;                 ///< at most 32 characters are sent
    bool sameSubnet = true;      ///< address and DHCP choice only for a module on this subnet
    bool autoIP = true;          ///< "Auto IP" selected
    std::array<int, 4> octets{}; ///< the four IP fields, already clamped
};

/// The 76-byte configuration record, checksum included; bytes not named stay zero.
TLANConfigRecord BuildConfigRecord(const ConfigChoice &choice);

/// The LDCD query request (command 1).
TLDCDRecord QueryRequest();
/// The LDCD reset request (command 255, fixed address 192.168.0.100).
TLDCDRecord ResetRequest();

struct ModuleInfo
{
    QString version; ///< "Version: Ver" major "." minor
    QString dhcp;    ///< "DHCP: Auto IP" or "DHCP: Static IP"
    QString address; ///< "IP Address: " dotted
};
/// The label texts of a query answer.
ModuleInfo InfoTexts(const TLDCDRecord &reply);
/// The bare label captions.
ModuleInfo EmptyInfoTexts();

} // namespace ModuleRecords
