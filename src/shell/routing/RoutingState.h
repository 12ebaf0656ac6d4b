#pragma once

#include <QObject>

#include <array>

/// Which input feeds each output, as the routing view shows it: what was read from the
/// switcher or sent to it last, and how sure that is. Outputs and inputs are numbered from 1.
class RoutingState : public QObject
{
    Q_OBJECT
public:
    static constexpr int Outputs = 8;
    /// What the view shows before anything was read.
    static constexpr int InitialInput = 8;
    /// The inputs and outputs the view offers unless the switcher's size says otherwise.
    static constexpr int DefaultPorts = 4;
    static constexpr int Inputs = 8;

    /// How sure the view is of an output's input.
    enum class Certainty {
        Unknown,   ///< never read
        Pending,   ///< sent to the switcher, not answered yet
        Confirmed, ///< read from the switcher, or a route it accepted
    };

    using QObject::QObject;

    int input(int output) const;
    Certainty certainty(int output) const;
    /// Sets the input of `output` (1..8) as the switcher has it, and tells the views, also
    /// when it is the same.
    void setInput(int output, int input);
    /// Shows a choice sent to the switcher that it has not confirmed yet.
    void setPending(int output, int input);
    /// The pending choice of `output` was accepted.
    void confirm(int output);
    /// Puts back an earlier input with its certainty (the switcher refused a route).
    void restore(int output, int input, Certainty certainty);

    /// The inputs and outputs the view offers: 4 each, or the switcher's size (1..8 each).
    int inputs() const { return m_inputCount; }
    int outputs() const { return m_outputCount; }
    void setSize(int inputs, int outputs);

signals:
    void changed(int output, int input);
    void certaintyChanged(int output, RoutingState::Certainty certainty);
    void sizeChanged(int inputs, int outputs);

private:
    void set(int output, int input, Certainty certainty);

    std::array<int, Outputs> m_inputs = [] {
        std::array<int, Outputs> initial{};
        initial.fill(InitialInput);
        return initial;
    }();
    std::array<Certainty, Outputs> m_certainty{};
    int m_inputCount = DefaultPorts;
    int m_outputCount = DefaultPorts;
};
