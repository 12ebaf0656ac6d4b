#pragma once

#include <QAccessibleWidget>

#include <map>

class QTabBar;

/// A row of page tabs as assistive technology sees it. A tab the window hides is not showing
/// and its Press action does nothing; a shown tab opens its page as a click does.
class AccessibleTabBar : public QAccessibleWidget
{
public:
    explicit AccessibleTabBar(QTabBar *tabs);
    ~AccessibleTabBar() override;

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

private:
    QTabBar *tabs() const;

    mutable std::map<int, QAccessible::Id> m_tabIds;
};
