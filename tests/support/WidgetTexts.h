#pragma once

#include <QComboBox>
#include <QStringList>

/// Every entry of a drop-down list, in order.
inline QStringList ComboItems(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}
