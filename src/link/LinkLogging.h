#pragma once

#include <QLoggingCategory>

#include <cstdint>
#include <span>

// The link's logging category, "matrix.link". With QT_LOGGING_RULES="matrix.link.debug=true"
// every write to the switcher and every arrival from it is traced in hex, one line each;
// while the category is off a trace costs one flag test.
Q_DECLARE_LOGGING_CATEGORY(lcLink)

/// Logs `bytes` that went out ("sent") or came in ("received") on `line` ("COM", "TCP",
/// "UDP"), as one line of hex.
void LogWireBytes(const char *line, const char *direction, std::span<const std::uint8_t> bytes);

inline void TraceWire(const char *line, const char *direction, std::span<const std::uint8_t> bytes)
{
    if (lcLink().isDebugEnabled())
        LogWireBytes(line, direction, bytes);
}
