#include "SimFrontPanel.h"

#include "SimLog.h"
#include "SwitcherState.h"

SimFrontPanel::SimFrontPanel(SwitcherState &state, std::vector<SimFrontPanelStep> steps,
                             QObject *parent)
    : QObject(parent), m_state(state), m_steps(std::move(steps))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SimFrontPanel::runStep);
}

void SimFrontPanel::start()
{
    m_next = 0;
    m_due = std::chrono::milliseconds(0);
    m_clock.start();
    scheduleNext();
}

void SimFrontPanel::scheduleNext()
{
    if (m_next >= m_steps.size()) {
        emit finished();
        return;
    }
    m_due += m_steps[m_next].delay;
    const auto elapsed = std::chrono::milliseconds(m_clock.elapsed());
    m_timer.start(std::max(m_due - elapsed, std::chrono::milliseconds(0)));
}

void SimFrontPanel::runStep()
{
    const SimFrontPanelStep &step = m_steps[m_next++];
    const bool accepted = m_state.frontPanelRoute(step.output, step.input);
    if (accepted)
        qCInfo(lcSim) << "front panel: input" << step.input << "to output" << step.output;
    else
        qCWarning(lcSim) << "front panel: no output" << step.output << "or input" << step.input;
    emit routed(step.output, step.input, accepted);
    scheduleNext();
}
