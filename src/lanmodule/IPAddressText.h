#pragma once

#include <QString>

#include <array>
#include <optional>

// Texts of the IPv4 octet fields: splitting an address into four octet texts and holding a
// field within its range when the operator leaves it.

namespace IPAddressText {

using Octets = std::array<QString, 4>;

/// The four octet texts of a dotted address. The text may hold only digits and "."; it is cut
/// at its first three dots; a part above 255 becomes "255", other parts stay as they stand.
/// Empty result when fewer than three dots are found or a part is not a number.
std::optional<Octets> SplitIPAddress(const QString &text);

/// The four octet texts joined by ".".
QString JoinOctets(const Octets &octets);

struct Clamped
{
    bool valid = true; ///< false: the text was not a number; `text` is then the field's floor
    QString text;
};
/// The text of the octet field with Tag `tag` after leaving it: empty becomes "0"; the last
/// octet (Tag 4) is held within 2..252, the others within 0..255. Text within the range stays
/// as typed, leading zeros included.
Clamped ClampIPField(const QString &text, int tag);

/// Whether a key of the octet fields passes the filter: the digits and backspace.
bool IsOctetKey(QChar key);

} // namespace IPAddressText
