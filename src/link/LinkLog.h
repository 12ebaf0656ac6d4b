#pragma once

#include <QString>

#include <cstdint>
#include <span>
#include <string_view>

// Trace texts of the link. Pure functions so that their exact form is testable.

/// Two uppercase hexadecimal digits.
QString HexByte(std::uint8_t value);
/// "[" attempt "]" rest: the caption of a frame or packet sent on an attempt.
QString AttemptCaption(int attempt, std::string_view rest);
/// caption, line break, the 13 bytes with their fields bracketed, ", RC=" number.
QString FrameTraceText(const QString &caption, std::span<const std::uint8_t> frame, int number);
/// caption, then "0x" HH ", " per byte, a line break before every 16th byte after the first and
/// "|" before bytes 4, 6, 8, 10 and 12.
QString DataDumpText(const QString &caption, std::span<const std::uint8_t> bytes);
/// The dump of bytes received over TCP, framed by lines of asterisks.
QString TcpDumpText(std::span<const std::uint8_t> bytes);
