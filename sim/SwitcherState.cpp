#include "SwitcherState.h"

SwitcherState::SwitcherState()
{
    for (std::size_t i = 0; i < builtinEdid.size(); ++i)
        builtinEdid[i] = SimEdid::Builtin(std::uint16_t(FirstBuiltinEdidCode + i));
    defaultEdid = SimEdid::Default();
    for (std::size_t i = 0; i < SimMaxPorts; ++i) {
        inputEdid[i] = defaultEdid;
        displayEdid[i] = SimEdid::Display(int(i) + 1);
    }
    userMemory[0] = SimEdid::UserMemory(1);
    userMemory[1] = SimEdid::UserMemory(2);
}

const SimEdidBlock *SwitcherState::edidForMode(std::uint16_t code) const
{
    if (code >= FirstBuiltinEdidCode && code <= LastBuiltinEdidCode)
        return &builtinEdid[code - FirstBuiltinEdidCode];
    if (code == 0xF100)
        return &userMemory[0];
    if (code == 0xF200)
        return &userMemory[1];
    return nullptr;
}

SimEdidBlock *SwitcherState::userMemoryFor(std::uint16_t code)
{
    if (code == 0xF100)
        return &userMemory[0];
    if (code == 0xF200)
        return &userMemory[1];
    return nullptr;
}

bool SwitcherState::frontPanelRoute(int output, int input)
{
    if (!isOutput(output) || !isInput(input))
        return false;
    routing[std::size_t(output - 1)] = std::uint8_t(input);
    return true;
}

QByteArray SwitcherState::receivedBytes() const
{
    QByteArray all;
    for (const QByteArray &unit : received)
        all += unit;
    return all;
}

QByteArray SwitcherState::sentBytes() const
{
    QByteArray all;
    for (const QByteArray &chunk : sent)
        all += chunk;
    return all;
}

void SwitcherState::clearLogs()
{
    received.clear();
    rejected.clear();
    sent.clear();
}
