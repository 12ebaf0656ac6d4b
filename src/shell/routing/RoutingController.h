#pragma once

#include <QObject>

class ShellContext;

/// Routing through the command gate: one input to one output, several outputs at once, and
/// reading outputs 1..4 back. The routing state shows every choice at once; when the switcher
/// refuses it, the previous input returns and RoutingAborted is set.
class RoutingController : public QObject
{
    Q_OBJECT
public:
    static constexpr int VisiblePorts = 4;
    /// The menu's tags that route all outputs: from one input, or each from its own number.
    static constexpr int AllOutputsTag = 4;
    static constexpr int PortToPortTag = 100;

    explicit RoutingController(ShellContext &context, QObject *parent = nullptr);

    /// Routes `input` to `output`; whether the switcher took it.
    bool route(int output, int input);
    /// The previous or next of inputs 1..4 for `output`, wrapping around.
    void step(int output, bool previous);
    /// The popup menu: `count` outputs from `output` on (or all four for the two tags above)
    /// get `input`, or each its own number for "Port to Port". Stops at the first refusal.
    void routeSeveral(int count, int output, int input);
    /// Reads outputs 1..4 from the switcher; the Success of the last exchange made.
    bool RefreshRouting();

    /// Set when a route was refused; the preset and menu sequences stop on it.
    bool RoutingAborted = true;

signals:
    /// The switcher refused a route to `output`; its previous input is shown again.
    void routeRefused(int output);

private:
    ShellContext &m_context;
};
