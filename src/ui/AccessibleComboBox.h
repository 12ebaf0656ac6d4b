#pragma once

#include <QAccessibleWidget>

class QComboBox;

/// A drop-down list as assistive technology sees it: its name is its label (an editable box
/// keeps its label while it holds text), its value the text it shows. Its actions open the
/// list only while the operator can reach the box.
class AccessibleComboBox : public QAccessibleWidget
{
public:
    explicit AccessibleComboBox(QComboBox *box);

    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    QComboBox *box() const;
};
