#include "ui/SortedComboBox.h"

#include <QStandardItemModel>

namespace {
constexpr int SortKeyRole = Qt::UserRole + 100;
}

SortedComboBox::SortedComboBox(QWidget *parent) : QComboBox(parent)
{
    // QComboBox inserts an item at the position asked for; the model is re-sorted after every
    // insertion or text change instead. Connected after QComboBox's own handlers, so the
    // combo box has settled its current index before the rows move.
    auto *items = qobject_cast<QStandardItemModel *>(model());
    Q_ASSERT(items);
    items->setSortRole(SortKeyRole);
    connect(items, &QAbstractItemModel::rowsInserted, this, &SortedComboBox::sortItems);
    connect(items, &QAbstractItemModel::dataChanged, this, &SortedComboBox::sortItems);
}

void SortedComboBox::sortItems()
{
    if (m_sorting)
        return;
    m_sorting = true;
    auto *items = static_cast<QStandardItemModel *>(model());
    for (int row = 0; row < items->rowCount(); ++row) {
        QStandardItem *item = items->item(row);
        const QString key = item->text().toCaseFolded();
        if (item->data(SortKeyRole).toString() != key)
            item->setData(key, SortKeyRole);
    }
    items->sort(0);
    m_sorting = false;
}
