#pragma once

#include "link/Commands.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// The records of the network module: discovery answers (55 bytes), configuration records
// (76 bytes) and LDCD records (32 bytes). Pure code: bytes in, texts and verdicts out. The
// bytes come from anyone on the network, so every reader checks the length it is given.

/// The most of one datagram the controller looks at.
inline constexpr std::size_t DatagramKeep = 2048;
/// Devices kept in the link's device list; further unknown devices are dropped.
inline constexpr int DeviceListLimit = 256;
inline constexpr std::size_t DeviceTagSize = 32;
inline constexpr std::size_t ConfigStatusByte = 74;
inline constexpr std::size_t ConfigChecksumByte = 75;
inline constexpr std::size_t ConfigTagOffset = 42;
inline constexpr std::size_t LdcdCommandByte = 16;
inline constexpr std::size_t LdcdReceiveMarkByte = 30;
inline constexpr std::size_t LdcdChecksumByte = 31;
inline constexpr std::uint8_t RequestMark = 0xFF;

inline constexpr std::array<std::uint8_t, 16> LdcdHeader = {
    0x5E, 0x17, 0xC2, 0xA0, 0x4B, 0x9D, 0x38, 0xE6, 0xF1, 0x02, 0x7A, 0x4C, 0xD9, 0x5B, 0x6E, 0x13,
};

namespace LanRecords {

/// Six bytes as two-digit uppercase hexadecimal numbers joined by "-"; the zero MAC text when
/// fewer than six bytes are given.
QString MacText(std::span<const std::uint8_t> bytes);
/// Four bytes in dotted decimal; "0.0.0.0" when fewer than four are given.
QString DottedIPv4(std::span<const std::uint8_t> bytes);
/// The text of a NUL-terminated tag field, at most `bytes.size()` characters. Control
/// characters and anything outside printable ASCII become "?", so the text stays one line.
QString TagText(std::span<const std::uint8_t> bytes);
/// The same rule applied to a text typed by the operator.
QString SafeTag(const QString &text);

/// The eight device-list items of one 55-byte discovery answer; empty for another size.
QStringList DeviceItems(std::span<const std::uint8_t> record);

/// How many whole discovery answers a datagram of `size` bytes holds: size / 55 when the
/// size is a nonzero multiple of 55 within the kept 2048 bytes, else 0.
std::size_t DiscoveryRecordCount(std::size_t size);
/// The first configuration answer of a datagram whose status is not 0xFF, if the size is a
/// nonzero multiple of 76 within the kept 2048 bytes.
std::optional<TLANConfigRecord> FirstConfigAnswer(std::span<const std::uint8_t> datagram);

/// Result of ConfigureDevice for an answer's status byte: 0 accepted, 2 address conflict,
/// 1 failed or unknown.
int ConfigResultFor(std::uint8_t status);

/// Sum of bytes 0..74 modulo 256 (of as many as are given).
std::uint8_t RecordChecksum(std::span<const std::uint8_t> record);
/// Sum of bytes 0..30 modulo 256 (of as many as are given).
std::uint8_t LDCDChecksum(std::span<const std::uint8_t> record);

/// The request record as it goes on the wire: fixed header, request mark, checksum.
TLDCDRecord LdcdWireRecord(const TLDCDRecord &request);

enum class LdcdVerdict { Accepted, Refused, BadChecksum, BadHeader, Short };
/// Checks an answer against the request it answers, in this order: the receive mark in
/// byte 30, the checksum, the echoed header.
LdcdVerdict CheckLdcdAnswer(std::span<const std::uint8_t> answer,
                            std::span<const std::uint8_t> request);

/// The trace text of an LDCD record.
QString LdcdLogText(const QString &caption, std::span<const std::uint8_t> record);
/// The trace text of an arriving datagram.
QString DatagramTraceText(const QString &sender, quint16 port, const QString &localIP);

} // namespace LanRecords
