#include "shell/routing/ui/RoutingKeys.h"

namespace RoutingKeys {

Action Interpret(int key, Qt::KeyboardModifiers modifiers, int inputs, int outputs)
{
    if (key < Qt::Key_1 || key > Qt::Key_9)
        return {};
    const int number = key - Qt::Key_0;
    // The keypad gives the same digits; Shift, Ctrl and Meta leave them to others.
    const Qt::KeyboardModifiers rest = modifiers & ~Qt::KeypadModifier;
    if (rest == Qt::AltModifier && number <= outputs)
        return {Kind::PickOutput, number};
    if (rest == Qt::NoModifier && number <= inputs)
        return {Kind::PickInput, number};
    return {};
}

QString Scheme()
{
    return QStringLiteral(
        "In the routing area of the \"Setting\" page (Tab moves the focus there):\n"
        "Alt+1 .. Alt+4: pick Output1 .. Output4\n"
        "1 .. 4: route that input to the picked output\n"
        "Space: route the input of the button that has the focus\n"
        "\n"
        "Anywhere in the window:\n"
        "Ctrl+Z: undo the last routing change or preset\n"
        "Ctrl+Shift+Z: redo it\n"
        "F5: read the routing from the switcher again\n"
        "\n"
        "With a switcher of more ports (advanced controls), the numbers go up to its size.");
}

} // namespace RoutingKeys
