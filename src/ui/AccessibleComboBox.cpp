#include "ui/AccessibleComboBox.h"

#include "ui/OperatorReach.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

AccessibleComboBox::AccessibleComboBox(QComboBox *box)
    : QAccessibleWidget(box, QAccessible::ComboBox)
{
}

QComboBox *AccessibleComboBox::box() const
{
    return static_cast<QComboBox *>(object());
}

QString AccessibleComboBox::text(QAccessible::Text kind) const
{
    const QComboBox *control = box();
    switch (kind) {
    case QAccessible::Name:
        return control->accessibleName().isEmpty() ? control->currentText()
                                                   : control->accessibleName();
    case QAccessible::Value:
        return control->isEditable() && control->lineEdit() ? control->lineEdit()->text()
                                                            : control->currentText();
    default:
        return QAccessibleWidget::text(kind);
    }
}

QAccessible::State AccessibleComboBox::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.expandable = true;
    state.expanded = box()->view() && box()->view()->isVisible();
    state.editable = box()->isEditable();
    return state;
}

// Children: the list (0) and, in an editable box, the text field (1).
int AccessibleComboBox::childCount() const
{
    return box()->isEditable() && box()->lineEdit() ? 2 : 1;
}

QAccessibleInterface *AccessibleComboBox::child(int index) const
{
    if (index == 0)
        return QAccessible::queryAccessibleInterface(box()->view());
    if (index == 1 && box()->isEditable())
        return QAccessible::queryAccessibleInterface(box()->lineEdit());
    return nullptr;
}

int AccessibleComboBox::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    if (child->object() == box()->view())
        return 0;
    if (box()->isEditable() && child->object() == box()->lineEdit())
        return 1;
    return -1;
}

QStringList AccessibleComboBox::actionNames() const
{
    if (!OperatorCanReach(box()))
        return {};
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
}

void AccessibleComboBox::doAction(const QString &actionName)
{
    QComboBox *control = box();
    if (!OperatorCanReach(control))
        return;
    if (actionName == showMenuAction() || actionName == pressAction()) {
        if (control->view() && control->view()->isVisible())
            control->hidePopup();
        else
            control->showPopup();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}
