#pragma once

#include "videohub/VideohubProtocol.h"
#include "videohub/VideohubRequest.h"

#include <QByteArray>
#include <QString>

#include <span>
#include <vector>

/// The text the server sends: whole blocks, each ended by its blank line, ready to write to
/// the socket. Ports are the switcher's, numbered from 1; the blocks number them from 0.
/// Texts (labels, names) are put on one line: control characters become blanks.
namespace Videohub {

struct DeviceInfo
{
    /// False while the switcher cannot be reached: the block then says only that.
    bool present = true;
    QString modelName;
    /// Left out of the block when empty.
    QString friendlyName;
    QString uniqueId;
    PortCounts ports;
};

/// Everything the initial dump and the status queries show.
struct HubState
{
    DeviceInfo device;
    std::vector<Label> inputLabels;
    std::vector<Label> outputLabels;
    std::vector<Route> routing;
};

QByteArray PreambleBlock();
QByteArray DeviceBlock(const DeviceInfo &device);
/// "INPUT LABELS:" or "OUTPUT LABELS:" with the given labels: all of them for a dump, the
/// changed ones for an update.
QByteArray LabelsBlock(PortKind kind, std::span<const Label> labels);
QByteArray RoutingBlock(std::span<const Route> routes);
/// "VIDEO OUTPUT LOCKS:" with every given output unlocked ("U"): the switcher has no locks.
/// A lock request is answered with ACK and this block for the outputs it named, which shows
/// the client that the lock was not taken.
QByteArray LocksBlock(std::span<const int> outputs);
QByteArray AckBlock();
QByteArray NakBlock();
QByteArray EndPreludeBlock();

/// The whole of one status block, as a status query is answered after its ACK.
QByteArray StatusBlockText(StatusBlock block, const HubState &state);
/// What a client gets on connecting: preamble, device, input and output labels, routing,
/// locks and "END PRELUDE:". Without a switcher present: preamble, device and the end.
QByteArray Prelude(const HubState &state);

} // namespace Videohub
