#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class CommandGate;
class WaitClock;

// The switcher's answers about itself, through the command gate with the desktop program's
// status texts, one exchange per query: for the device status of the window and for
// matrixctl. Each gives nothing when its exchange failed (the link has reported why).

/// The switcher's size as it reports it.
struct SwitcherSize
{
    int inputs = 0;
    int outputs = 0;

    bool hasInput(int port) const { return port >= 1 && port <= inputs; }
    bool hasOutput(int port) const { return port >= 1 && port <= outputs; }
};

struct SwitcherInfo
{
    int kind = 0;
    SwitcherSize size;
    int major = 0;
    int minor = 0;
};

enum class PortState { Connected, NotConnected, NotKnown };

std::optional<SwitcherSize> ReadSize(CommandGate &gate);
/// Kind, size and version, in the desktop program's order.
std::optional<SwitcherInfo> ReadInfo(CommandGate &gate);
/// Whether a source (`output` false) or a display is connected to the port. NotKnown for an
/// answer that is neither; nothing when the exchange failed.
std::optional<PortState> ReadPortState(CommandGate &gate, bool output, int port);
/// Asks for the connection of inputs 1..`inputs`, then of outputs 1..`outputs`, with a
/// pause of 5 ms between two input queries, and hands each answer to `answered` as it comes.
/// A failed query does not stop the next one.
void ReadPortStates(
    CommandGate &gate, WaitClock &clock, int inputs, int outputs,
    const std::function<void(bool output, int port, std::optional<PortState> state)> &answered);
/// The input that feeds each of outputs 1..`outputs`, in output order.
std::optional<QList<int>> ReadRouting(CommandGate &gate, int outputs);

/// "Input3", "Output2".
QString PortName(bool output, int port);
