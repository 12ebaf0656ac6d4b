#pragma once

#include "ui/AccessibleValue.h"

#include <QAccessibleWidget>

/// A control that shows a value, as assistive technology sees it: read only, its text is what
/// it shows, and so is its name (its fixed accessible name when it shows nothing, or when it
/// is named by its label); a control with a range also offers its number.
class AccessibleValueDisplay : public QAccessibleWidget,
                               public QAccessibleTextInterface,
                               public QAccessibleValueInterface
{
public:
    AccessibleValueDisplay(QWidget *widget, const AccessibleValue &value);

    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    // Text: what the control shows, read only.
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // Value: the number of a control with a range.
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override { return 1; }

private:
    QString shown() const { return m_value.accessibleValue(); }

    const AccessibleValue &m_value;
};
