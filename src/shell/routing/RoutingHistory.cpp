#include "shell/routing/RoutingHistory.h"

#include "shell/routing/RoutingController.h"

#include <QScopedValueRollback>

RoutingHistory::RoutingHistory(RoutingController &controller, QObject *parent)
    : QObject(parent), m_controller(controller)
{
    connect(&controller, &RoutingController::routed, this, &RoutingHistory::record);
    connect(&controller, &RoutingController::batchBegun, this, [this] { m_inBatch = true; });
    connect(&controller, &RoutingController::batchEnded, this, [this] {
        m_inBatch = false;
        closeStep();
    });
}

void RoutingHistory::record(int output, int previous, int input)
{
    if (m_replaying || previous == input)
        return;
    m_open.push_back({output, previous, input});
    if (!m_inBatch)
        closeStep();
}

void RoutingHistory::closeStep()
{
    if (m_open.empty())
        return;
    m_undo.push_back(std::move(m_open));
    m_open.clear();
    if (m_undo.size() > Depth)
        m_undo.erase(m_undo.begin());
    m_redo.clear();
    emit changed();
}

bool RoutingHistory::replay(const Step &step, bool backwards)
{
    const QScopedValueRollback replaying(m_replaying, true);
    const RoutingController::Batch action(m_controller);
    auto send = [this, backwards](const Change &change) {
        const int input = backwards ? change.before : change.after;
        return input == 0 || m_controller.route(change.output, input);
    };
    if (backwards) {
        for (auto change = step.rbegin(); change != step.rend(); ++change) {
            if (!send(*change))
                return false;
        }
        return true;
    }
    for (const Change &change : step) {
        if (!send(change))
            return false;
    }
    return true;
}

bool RoutingHistory::undo()
{
    if (m_undo.empty())
        return false;
    if (!replay(m_undo.back(), true))
        return false;
    m_redo.push_back(std::move(m_undo.back()));
    m_undo.pop_back();
    emit changed();
    return true;
}

bool RoutingHistory::redo()
{
    if (m_redo.empty())
        return false;
    if (!replay(m_redo.back(), false))
        return false;
    m_undo.push_back(std::move(m_redo.back()));
    m_redo.pop_back();
    emit changed();
    return true;
}

void RoutingHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
    m_open.clear();
    emit changed();
}
