#include "shell/routing/RoutingState.h"

int RoutingState::input(int output) const
{
    if (output < 1 || output > Outputs)
        return 0;
    return m_inputs[std::size_t(output - 1)];
}

void RoutingState::setInput(int output, int input)
{
    if (output < 1 || output > Outputs)
        return;
    m_inputs[std::size_t(output - 1)] = input;
    emit changed(output, input);
}
