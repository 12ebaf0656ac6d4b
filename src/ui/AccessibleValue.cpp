#include "ui/AccessibleValue.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QWidget>

void AnnounceValueChange(QWidget *widget, const QString &before)
{
    if (!widget || !QAccessible::isActive())
        return;
    const auto *value = dynamic_cast<const AccessibleValue *>(widget);
    if (!value)
        return;
    const QString now = value->accessibleValue();
    if (now == before)
        return;
    QAccessibleEvent named(widget, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleTextUpdateEvent text(widget, 0, before, now);
    QAccessible::updateAccessibility(&text);
    const auto range = value->accessibleRange();
    QAccessibleValueChangeEvent changed(widget, range ? QVariant(range->current) : QVariant(now));
    QAccessible::updateAccessibility(&changed);
}

void AnnounceCellChange(QAbstractItemView *view, int row, int column)
{
    if (!view || !QAccessible::isActive())
        return;
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(view);
    QAccessibleTableInterface *cells = table ? table->tableInterface() : nullptr;
    QAccessibleInterface *cell = cells ? cells->cellAt(row, column) : nullptr;
    if (!cell)
        return;
    QAccessibleEvent named(cell, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleValueChangeEvent changed(cell, cell->text(QAccessible::Name));
    QAccessible::updateAccessibility(&changed);
}
