#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QtGlobal>

#include <optional>

/// Names and numbers of the Videohub Ethernet Protocol that the parser and the writers share.
namespace Videohub {

/// The TCP port Videohub clients connect to.
inline constexpr quint16 DefaultTcpPort = 9990;
/// The protocol version the preamble announces: the one whose initial dump ends with
/// "END PRELUDE:".
inline constexpr QByteArrayView ProtocolVersion = "2.8";

inline constexpr QByteArrayView PingHeader = "PING:";
inline constexpr QByteArrayView EndPreludeHeader = "END PRELUDE:";
inline constexpr QByteArrayView AckWord = "ACK";
inline constexpr QByteArrayView NakWord = "NAK";

/// The status blocks served: each can be sent whole on request (a header with no lines),
/// and the last four can be changed by a client.
enum class StatusBlock {
    ProtocolPreamble,
    Device,
    InputLabels,
    OutputLabels,
    OutputRouting,
    OutputLocks,
};

QByteArrayView HeaderOf(StatusBlock block);
/// The status block with this header line (exact letters, colon included), if served.
std::optional<StatusBlock> StatusBlockFor(QByteArrayView header);

/// Blanks separate the fields of a line; a line of blanks only is a blank line.
constexpr bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

/// Control characters (line ends included) are never part of a label or name on the wire.
inline bool IsControlCharacter(QChar c)
{
    return c.category() == QChar::Other_Control;
}

/// The switcher's port counts; its ports are numbered 1..inputs and 1..outputs.
struct PortCounts
{
    int inputs = 0;
    int outputs = 0;
};

/// The protocol numbers ports from 0, the switcher from 1. These two functions are the only
/// place that converts between them.
constexpr int WireIndexOf(int port)
{
    return port - 1;
}
/// The switcher port at `wireIndex` when it is one of `count` ports.
constexpr std::optional<int> PortAt(qint64 wireIndex, int count)
{
    if (wireIndex < 0 || wireIndex >= count)
        return std::nullopt;
    return int(wireIndex) + 1;
}

} // namespace Videohub
