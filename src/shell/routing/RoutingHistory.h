#pragma once

#include <QObject>

#include <vector>

class RoutingController;

/// Undo and redo of the operator's routing: each accepted route, each menu action and each
/// preset application is one step. Undoing a step sends the routes that give each output of
/// it its earlier input again, through the routing controller (and so through the command
/// gate); redoing sends the step's routes again. Routes are idempotent, so a step that fails
/// halfway stays where it was and can simply be tried again.
class RoutingHistory : public QObject
{
    Q_OBJECT
public:
    /// Steps kept for undo.
    static constexpr std::size_t Depth = 50;

    explicit RoutingHistory(RoutingController &controller, QObject *parent = nullptr);

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    /// Whether every route of the step was accepted.
    bool undo();
    bool redo();
    void clear();

signals:
    void changed();

private:
    struct Change
    {
        int output = 0;
        int before = 0; // 0: not known, not undone
        int after = 0;
    };
    using Step = std::vector<Change>;

    void record(int output, int previous, int input);
    void closeStep();
    /// Sends the step's routes, forwards or backwards; whether all were accepted.
    bool replay(const Step &step, bool backwards);

    RoutingController &m_controller;
    std::vector<Step> m_undo;
    std::vector<Step> m_redo;
    Step m_open;
    bool m_inBatch = false;
    bool m_replaying = false;
};
