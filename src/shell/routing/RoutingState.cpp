#include "shell/routing/RoutingState.h"

#include <algorithm>

int RoutingState::input(int output) const
{
    if (output < 1 || output > Outputs)
        return 0;
    return m_inputs[std::size_t(output - 1)];
}

RoutingState::Certainty RoutingState::certainty(int output) const
{
    if (output < 1 || output > Outputs)
        return Certainty::Unknown;
    return m_certainty[std::size_t(output - 1)];
}

void RoutingState::setInput(int output, int input)
{
    set(output, input, Certainty::Confirmed);
}

void RoutingState::setPending(int output, int input)
{
    set(output, input, Certainty::Pending);
}

void RoutingState::confirm(int output)
{
    if (certainty(output) != Certainty::Pending)
        return;
    m_certainty[std::size_t(output - 1)] = Certainty::Confirmed;
    emit certaintyChanged(output, Certainty::Confirmed);
}

void RoutingState::restore(int output, int input, Certainty certainty)
{
    set(output, input, certainty);
}

void RoutingState::set(int output, int input, Certainty certainty)
{
    if (output < 1 || output > Outputs)
        return;
    const auto index = std::size_t(output - 1);
    m_inputs[index] = input;
    const bool newCertainty = m_certainty[index] != certainty;
    m_certainty[index] = certainty;
    emit changed(output, input);
    if (newCertainty)
        emit certaintyChanged(output, certainty);
}

void RoutingState::setSize(int inputs, int outputs)
{
    const int boundedInputs = std::clamp(inputs, 1, Inputs);
    const int boundedOutputs = std::clamp(outputs, 1, Outputs);
    if (boundedInputs == m_inputCount && boundedOutputs == m_outputCount)
        return;
    m_inputCount = boundedInputs;
    m_outputCount = boundedOutputs;
    emit sizeChanged(boundedInputs, boundedOutputs);
}
