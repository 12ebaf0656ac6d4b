#pragma once

#include <QAccessibleWidget>

class QAbstractButton;

/// A button, check box or radio button as assistive technology sees it. Its Press and Toggle
/// actions click the button as the mouse does, so the operator's handler runs (Qt's own
/// Toggle only flips the state); a control the operator cannot reach offers no action.
class AccessibleButton : public QAccessibleWidget
{
public:
    explicit AccessibleButton(QAbstractButton *button);

    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    QAbstractButton *button() const;
};
