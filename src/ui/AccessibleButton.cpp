#include "ui/AccessibleButton.h"

#include "ui/OperatorReach.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeySequence>
#include <QPushButton>
#include <QRadioButton>

namespace {

QAccessible::Role roleOf(const QAbstractButton *button)
{
    if (qobject_cast<const QCheckBox *>(button))
        return QAccessible::CheckBox;
    if (qobject_cast<const QRadioButton *>(button))
        return QAccessible::RadioButton;
    return QAccessible::PushButton;
}

QString withoutMnemonic(QString text)
{
    for (qsizetype i = text.indexOf(QLatin1Char('&')); i >= 0 && i < text.size();
         i = text.indexOf(QLatin1Char('&'), i + 1))
        text.remove(i, 1); // "&&" keeps one ampersand
    return text;
}

} // namespace

AccessibleButton::AccessibleButton(QAbstractButton *button)
    : QAccessibleWidget(button, roleOf(button))
{
}

QAbstractButton *AccessibleButton::button() const
{
    return static_cast<QAbstractButton *>(object());
}

QAccessible::State AccessibleButton::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const QAbstractButton *control = button();
    state.checkable = control->isCheckable();
    state.checked = control->isChecked();
    if (const auto *box = qobject_cast<const QCheckBox *>(control))
        state.checkStateMixed = box->checkState() == Qt::PartiallyChecked;
    state.pressed = control->isDown();
    if (const auto *push = qobject_cast<const QPushButton *>(control))
        state.defaultButton = push->isDefault();
    state.invisible = !control->isVisible();
    return state;
}

QString AccessibleButton::text(QAccessible::Text kind) const
{
    const QAbstractButton *control = button();
    switch (kind) {
    case QAccessible::Name:
        if (!control->accessibleName().isEmpty())
            return control->accessibleName();
        return withoutMnemonic(control->text());
    case QAccessible::Accelerator: {
        const QKeySequence key = QKeySequence::mnemonic(control->text());
        return key.isEmpty() ? QString() : key.toString(QKeySequence::NativeText);
    }
    default:
        return QAccessibleWidget::text(kind);
    }
}

QStringList AccessibleButton::actionNames() const
{
    if (!OperatorCanReach(button()))
        return {};
    QStringList names{button()->isCheckable() ? toggleAction() : pressAction()};
    names << QAccessibleWidget::actionNames();
    return names;
}

void AccessibleButton::doAction(const QString &actionName)
{
    QAbstractButton *control = button();
    if (!OperatorCanReach(control))
        return;
    if (actionName == pressAction() || actionName == toggleAction())
        control->click();
    else
        QAccessibleWidget::doAction(actionName);
}

QStringList AccessibleButton::keyBindingsForAction(const QString &actionName) const
{
    if (actionName != pressAction() && actionName != toggleAction())
        return QAccessibleWidget::keyBindingsForAction(actionName);
    const QString key = text(QAccessible::Accelerator);
    return key.isEmpty() ? QStringList() : QStringList{key};
}
