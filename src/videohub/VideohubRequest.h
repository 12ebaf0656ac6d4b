#pragma once

#include "videohub/VideohubProtocol.h"

#include <QString>

#include <variant>
#include <vector>

/// What a Videohub client asks for, one request per block it sends. Every port is the
/// switcher's port, numbered from 1; the parser has checked it against the port counts.
namespace Videohub {

/// "PING:" alone: answered with ACK only.
struct Ping
{
    friend bool operator==(const Ping &, const Ping &) = default;
};

/// A status block header with no lines: ACK, then the whole block.
struct StateQuery
{
    StatusBlock block = StatusBlock::OutputRouting;
    friend bool operator==(const StateQuery &, const StateQuery &) = default;
};

struct Route
{
    int output = 0;
    int input = 0;
    friend bool operator==(const Route &, const Route &) = default;
};

/// "VIDEO OUTPUT ROUTING:" with lines: routes in the order given (a repeated output takes
/// the input of its last line).
struct RouteChange
{
    std::vector<Route> routes;
    friend bool operator==(const RouteChange &, const RouteChange &) = default;
};

enum class PortKind { Input, Output };

struct Label
{
    int port = 0;
    /// One line of text without control characters; may be empty.
    QString text;
    friend bool operator==(const Label &, const Label &) = default;
};

/// "INPUT LABELS:" or "OUTPUT LABELS:" with lines.
struct LabelChange
{
    PortKind kind = PortKind::Input;
    std::vector<Label> labels;
    friend bool operator==(const LabelChange &, const LabelChange &) = default;
};

/// The lock letters a client sends: "O" take the lock, "U" release it, "F" force it open.
enum class LockAction { Lock, Unlock, ForceUnlock };

struct Lock
{
    int output = 0;
    LockAction action = LockAction::Unlock;
    friend bool operator==(const Lock &, const Lock &) = default;
};

/// "VIDEO OUTPUT LOCKS:" with lines. The switcher has no locks; see VideohubBlocks.h.
struct LockChange
{
    std::vector<Lock> locks;
    friend bool operator==(const LockChange &, const LockChange &) = default;
};

enum class RefusalReason {
    UnknownBlock,   ///< a header that is not served (or no header the protocol knows)
    ReadOnlyBlock,  ///< lines in a block only the server sends (preamble, device)
    MalformedLine,  ///< a line that is not "<number> <value>" as the block needs
    PortOutOfRange, ///< a port number beyond the switcher's ports
    BadLabel,       ///< a label with control characters or bytes that are not UTF-8
    LineTooLong,    ///< limits of the block assembler
    TooManyLines,
    BlockTooLarge,
};

/// A block answered with NAK. Nothing of it is carried out, even when some lines were good.
struct Refusal
{
    RefusalReason reason = RefusalReason::UnknownBlock;
    /// The offending line, counted from 1 at the header; 0 for the block as a whole.
    int line = 0;
    friend bool operator==(const Refusal &, const Refusal &) = default;
};

using Request = std::variant<Ping, StateQuery, RouteChange, LabelChange, LockChange, Refusal>;

/// A short English name of the reason, for logs ("port out of range").
QByteArrayView RefusalText(RefusalReason reason);

} // namespace Videohub
