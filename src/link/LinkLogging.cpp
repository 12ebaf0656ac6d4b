#include "link/LinkLogging.h"

#include <QByteArray>

// Debug messages (the wire trace) stay off unless the logging rules ask for them.
Q_LOGGING_CATEGORY(lcLink, "matrix.link", QtInfoMsg)

void LogWireBytes(const char *line, const char *direction, std::span<const std::uint8_t> bytes)
{
    const QByteArray hex = QByteArray::fromRawData(reinterpret_cast<const char *>(bytes.data()),
                                                   qsizetype(bytes.size()))
                               .toHex(' ')
                               .toUpper();
    qCDebug(lcLink, "%s %s %zu: %s", line, direction, bytes.size(), hex.constData());
}
