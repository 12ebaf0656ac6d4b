#pragma once

#include "SimFrontPanelScript.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <vector>

struct SwitcherState;

/// Plays a front-panel script on the simulated switcher's state, on the event loop: each step
/// is due its delay after the one before, counted from start() without drift.
class SimFrontPanel : public QObject
{
    Q_OBJECT
public:
    SimFrontPanel(SwitcherState &state, std::vector<SimFrontPanelStep> steps,
                  QObject *parent = nullptr);

    void start();
    std::size_t stepsDone() const { return m_next; }

signals:
    /// After each step; `accepted` is false for a port the switcher does not have.
    void routed(int output, int input, bool accepted);
    void finished();

private:
    void scheduleNext();
    void runStep();

    SwitcherState &m_state;
    std::vector<SimFrontPanelStep> m_steps;
    std::size_t m_next = 0;
    std::chrono::milliseconds m_due{0};
    QElapsedTimer m_clock;
    QTimer m_timer;
};
