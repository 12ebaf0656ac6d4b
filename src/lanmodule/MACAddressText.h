#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// MAC address texts: six two-digit hexadecimal bytes joined by "-".

namespace MACAddressText {

using MACBytes = std::array<std::uint8_t, 6>;
using MACParts = std::array<QString, 6>;

/// The six bytes of a MAC text. The text is trimmed and upper-cased and may hold only hex
/// digits and "-"; it is cut at its first five "-"; an empty part counts as "00" and a
/// one-character part gets a leading "0"; the first two digits of a part make its byte.
/// Empty result when five dashes are not found or a part does not start with two digits.
std::optional<MACBytes> ParseMACAddress(const QString &text);
/// The six bytes of a MAC text as two-digit uppercase hexadecimal texts.
std::optional<MACParts> SplitMACAddress(const QString &text);
/// Six bytes as the MAC text.
QString MACText(const MACBytes &bytes);
/// Six field texts joined by "-".
QString JoinParts(const MACParts &parts);

/// The key as a MAC field takes it: upper-cased when it is a hex digit or backspace, else
/// nothing (the key is dropped).
std::optional<QChar> FilterMACKey(QChar key);

} // namespace MACAddressText
