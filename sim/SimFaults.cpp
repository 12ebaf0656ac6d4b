#include "SimFaults.h"

#include <algorithm>

void SimFaults::arm(SimFault fault, int answers)
{
    m_counts[std::size_t(fault)] = answers < 0 ? Always : answers;
}

int SimFaults::remaining(SimFault fault) const
{
    return m_counts[std::size_t(fault)];
}

void SimFaults::clear()
{
    m_counts.fill(0);
    m_paced = false;
    m_flood = 0;
}

qint64 SimFaults::takeFlood(qint64 wanted)
{
    if (m_flood == Always)
        return wanted;
    const qint64 taken = std::clamp<qint64>(wanted, 0, m_flood);
    m_flood -= taken;
    return taken;
}

bool SimFaults::consume(SimFault fault)
{
    int &count = m_counts[std::size_t(fault)];
    if (count == 0)
        return false;
    if (count > 0)
        --count;
    return true;
}

SimFaults::Plan SimFaults::takeNext()
{
    Plan plan;
    plan.silent = consume(SimFault::Silence);
    plan.badChecksum = consume(SimFault::BadChecksum);
    plan.refuse = consume(SimFault::Refuse);
    plan.split = consume(SimFault::Split);
    plan.extraBytes = consume(SimFault::ExtraBytes);
    plan.delay = consume(SimFault::Delay);
    return plan;
}
