#pragma once

#include <Qt>

#include <QString>

/// The keyboard scheme of the routing area: Alt+1..8 picks an output, 1..8 routes that
/// input to the picked output. Pure key rules; the routing view acts on them while one of
/// its buttons has the focus, so keys typed into edit fields are never taken.
namespace RoutingKeys {

enum class Kind { None, PickOutput, PickInput };

struct Action
{
    Kind kind = Kind::None;
    int number = 0;
};

/// What `key` with `modifiers` does with `inputs` inputs and `outputs` outputs offered.
Action Interpret(int key, Qt::KeyboardModifiers modifiers, int inputs, int outputs);

/// The keyboard shortcuts of the window, one per line, for Help > Keyboard shortcuts.
QString Scheme();

} // namespace RoutingKeys
