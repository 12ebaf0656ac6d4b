#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class CommandGate;
class QEvent;

/// Keeps the operator's input for later while a background read (the routing poll) holds
/// the link. The read waits in a nested event loop, so a click handled there could not wait
/// for it; instead the click, key, wheel, shortcut or close is held, the read is asked to
/// yield (it ends after the frame in flight), and the held input is sent again in the order
/// it came as soon as the read has ended. Every control therefore behaves as if no read were
/// running, and no operator action meets "In processing, command ignored" because of one.
/// Mouse moves pass at once, so hover texts keep following the mouse.
class InputHold : public QObject
{
    Q_OBJECT
public:
    /// Watches the whole application's input from now until destroyed.
    explicit InputHold(CommandGate &gate, QObject *parent = nullptr);
    ~InputHold() override;

    std::size_t heldCount() const { return m_held.size(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Held
    {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };

    static bool IsOperatorInput(const QObject *watched, const QEvent *event);
    void replay();

    CommandGate &m_gate;
    std::vector<Held> m_held;
    bool m_replaying = false;
};
