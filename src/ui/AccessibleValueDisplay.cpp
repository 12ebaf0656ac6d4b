#include "ui/AccessibleValueDisplay.h"

#include <QWidget>

AccessibleValueDisplay::AccessibleValueDisplay(QWidget *widget, const AccessibleValue &value)
    : QAccessibleWidget(widget, value.accessibleRange() ? QAccessible::ProgressBar
                                : value.namedByValue()  ? QAccessible::StaticText
                                                        : QAccessible::EditableText),
      m_value(value)
{
}

QString AccessibleValueDisplay::text(QAccessible::Text kind) const
{
    switch (kind) {
    case QAccessible::Name: {
        const QString value = shown();
        return value.isEmpty() || !m_value.namedByValue() ? widget()->accessibleName() : value;
    }
    case QAccessible::Value:
        return shown();
    case QAccessible::Description:
        return widget()->accessibleDescription().isEmpty() ? widget()->accessibleName()
                                                           : widget()->accessibleDescription();
    default:
        return QAccessibleWidget::text(kind);
    }
}

QAccessible::State AccessibleValueDisplay::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    return state;
}

void *AccessibleValueDisplay::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::ValueInterface && m_value.accessibleRange())
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void AccessibleValueDisplay::selection(int, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
}

QString AccessibleValueDisplay::text(int startOffset, int endOffset) const
{
    const QString value = shown();
    if (startOffset < 0 || endOffset < startOffset || startOffset > value.size())
        return {};
    return value.mid(startOffset, endOffset - startOffset);
}

int AccessibleValueDisplay::characterCount() const
{
    return int(shown().size());
}

QRect AccessibleValueDisplay::characterRect(int) const
{
    return rect();
}

int AccessibleValueDisplay::offsetAtPoint(const QPoint &) const
{
    return -1;
}

QString AccessibleValueDisplay::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = offset;
    *endOffset = offset;
    return {};
}

QVariant AccessibleValueDisplay::currentValue() const
{
    const auto range = m_value.accessibleRange();
    return range ? QVariant(range->current) : QVariant();
}

QVariant AccessibleValueDisplay::maximumValue() const
{
    const auto range = m_value.accessibleRange();
    return range ? QVariant(range->maximum) : QVariant();
}

QVariant AccessibleValueDisplay::minimumValue() const
{
    const auto range = m_value.accessibleRange();
    return range ? QVariant(range->minimum) : QVariant();
}
