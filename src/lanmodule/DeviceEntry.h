#pragma once

#include <QString>

// The text of one known network device: five bracketed fields joined by "-",
// [tag]-[mode]-[IP]-[MAC]-[subnet]. It is the item text of the device lists and the form in
// which the settings file keeps a device.

namespace DeviceEntry {

enum Field { Tag = 0, Mode = 1, IP = 2, MAC = 3, Subnet = 4 };

inline constexpr auto StaticIPText = "Static IP";
inline constexpr auto AutoIPText = "Auto IP";
inline constexpr auto SameSubnetText = "Same Subnet";
inline constexpr auto CrossSubnetText = "Cross Subnet";
inline constexpr auto NoMACText = "00-00-00-00-00-00";
inline constexpr auto NoIPText = "0.0.0.0";

/// "Auto IP" when DHCP is on, else "Static IP".
QString ModeText(bool dhcpOn);
/// "Cross Subnet" for a module found only at a typed address, else "Same Subnet".
QString SubnetText(bool crossSubnet);
/// The mode of a link device item 7 (DHCP flag as a decimal number): only "0" is static.
QString ModeOfDhcpItem(const QString &dhcpItem);

/// [tag]-[mode]-[ip]-[mac]-[subnet]
QString Make(const QString &tag, const QString &mode, const QString &ip, const QString &mac,
             const QString &subnet);
/// [tag]-[mode]-[ip]-[mac], the entry without its subnet field.
QString MakeBase(const QString &tag, const QString &mode, const QString &ip, const QString &mac);
/// The base followed by its subnet field.
QString WithSubnet(const QString &base, const QString &subnet);

/// Field k (0..4): the text after the (k+1)-th "[" up to the next "]". An empty entry, or one
/// with too few "[", gives the field's default; a field without its "]" runs to the end.
QString GetEntryField(const QString &entry, int k);
/// The default of field k for an empty entry.
QString DefaultField(int k);

/// Two entries name the same device when their texts are equal regardless of letter case.
bool SameEntry(const QString &a, const QString &b);

} // namespace DeviceEntry
