#pragma once

#include <QObject>

#include <array>

/// Which input feeds each output, as the routing view shows it: what was read from the
/// switcher or sent to it last. Outputs and inputs are numbered from 1.
class RoutingState : public QObject
{
    Q_OBJECT
public:
    static constexpr int Outputs = 8;
    /// What the view shows before anything was read.
    static constexpr int InitialInput = 8;

    using QObject::QObject;

    int input(int output) const;
    /// Sets the input of `output` (1..8) and tells the views, also when it is the same.
    void setInput(int output, int input);

signals:
    void changed(int output, int input);

private:
    std::array<int, Outputs> m_inputs = [] {
        std::array<int, Outputs> initial{};
        initial.fill(InitialInput);
        return initial;
    }();
};
