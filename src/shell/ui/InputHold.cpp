#include "shell/ui/InputHold.h"

#include "shell/CommandGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScopedValueRollback>
#include <QWidget>
#include <QWindow>

InputHold::InputHold(CommandGate &gate, QObject *parent) : QObject(parent), m_gate(gate)
{
    QCoreApplication::instance()->installEventFilter(this);
    connect(&gate, &CommandGate::backgroundEnded, this, [this] {
        // From the event loop, once the read has left the stack.
        if (!m_held.empty())
            QMetaObject::invokeMethod(this, &InputHold::replay, Qt::QueuedConnection);
    });
}

InputHold::~InputHold()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputHold::IsOperatorInput(const QObject *watched, const QEvent *event)
{
    switch (event->type()) {
    case QEvent::Shortcut:
        // A menu entry or action reached from the keyboard.
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Close:
        // What comes from the operator arrives spontaneously, at a window or a widget.
        return event->spontaneous() && (watched->isWidgetType() || watched->isWindowType());
    default:
        return false;
    }
}

bool InputHold::eventFilter(QObject *watched, QEvent *event)
{
    // Once something is held, later input waits behind it, so that the order stays.
    const bool holding = m_gate.backgroundRunning() || !m_held.empty();
    if (m_replaying || !holding || !IsOperatorInput(watched, event))
        return false;
    m_held.push_back({watched, std::unique_ptr<QEvent>(event->clone())});
    m_gate.pauseBackground();
    m_gate.requestYield();
    if (!m_gate.backgroundRunning())
        QMetaObject::invokeMethod(this, &InputHold::replay, Qt::QueuedConnection);
    return true;
}

void InputHold::replay()
{
    if (m_held.empty() || m_gate.backgroundRunning())
        return;
    std::vector<Held> held = std::move(m_held);
    m_held.clear();
    {
        const QScopedValueRollback replaying(m_replaying, true);
        for (Held &input : held) {
            if (input.receiver)
                QCoreApplication::sendEvent(input.receiver, input.event.get());
        }
    }
    m_gate.resumeBackground();
}
