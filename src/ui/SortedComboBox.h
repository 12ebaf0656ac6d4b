#pragma once

#include <QComboBox>

/// A drop-down list that keeps its items in alphabetical order, without regard to letter
/// case, however they are added (addItem, insertItem, setItemText). The current item stays
/// current when the order changes.
class SortedComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit SortedComboBox(QWidget *parent = nullptr);

private:
    void sortItems();

    bool m_sorting = false;
};
