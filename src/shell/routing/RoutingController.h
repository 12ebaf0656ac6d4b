#pragma once

#include <QObject>

class ShellContext;

/// Routing through the command gate: one input to one output, several outputs at once, and
/// reading the outputs back. The routing state shows every choice at once, as pending until
/// the switcher accepts it; when the switcher refuses it, the previous input returns and
/// RoutingAborted is set.
class RoutingController : public QObject
{
    Q_OBJECT
public:
    /// The menu's tags that route all outputs: from one input, or each from its own number.
    static constexpr int AllOutputsTag = 4;
    static constexpr int PortToPortTag = 100;

    explicit RoutingController(ShellContext &context, QObject *parent = nullptr);

    /// Routes `input` to `output`; whether the switcher took it.
    bool route(int output, int input);
    /// The previous or next of the offered inputs for `output`, wrapping around.
    void step(int output, bool previous);
    /// The popup menu: `count` outputs from `output` on (or all of them for the two tags
    /// above) get `input`, or each its own number for "Port to Port". Stops at the first
    /// refusal.
    void routeSeveral(int count, int output, int input);
    /// Reads the offered outputs from the switcher; the Success of the last exchange made.
    bool RefreshRouting();

    /// Set when a route was refused; the preset and menu sequences stop on it.
    bool RoutingAborted = true;

    /// The routes made while one lives are one operator action (a menu action, a preset),
    /// undone and redone together.
    class Batch
    {
    public:
        explicit Batch(RoutingController &controller);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        RoutingController &m_controller;
    };

signals:
    /// The switcher refused a route to `output`; its previous input is shown again.
    void routeRefused(int output);
    /// The switcher accepted `input` for `output`; `previous` was shown before as the
    /// switcher had it, 0 when that was not known.
    void routed(int output, int previous, int input);
    /// The first Batch begins, the last one ends.
    void batchBegun();
    void batchEnded();

private:
    ShellContext &m_context;
    int m_batchDepth = 0;
};
