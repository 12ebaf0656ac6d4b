#include "ui/AccessibleTabBar.h"

#include "ui/OperatorReach.h"

#include <QPointer>
#include <QTabBar>
#include <QWindow>

namespace {

/// One tab: not a widget of its own, so its interface is made and kept by the tab bar's.
class AccessibleTab final : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    AccessibleTab(QTabBar *tabs, int index) : m_tabs(tabs), m_index(index) {}

    bool isValid() const override { return m_tabs && m_index < m_tabs->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_tabs ? m_tabs->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_tabs.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    void setText(QAccessible::Text, const QString &) override {}

    QString text(QAccessible::Text kind) const override
    {
        if (!isValid())
            return {};
        if (kind == QAccessible::Name)
            return QString(m_tabs->tabText(m_index)).remove(QLatin1Char('&'));
        if (kind == QAccessible::Description)
            return m_tabs->tabToolTip(m_index);
        return {};
    }

    QRect rect() const override
    {
        if (!shown())
            return {};
        const QRect tab = m_tabs->tabRect(m_index);
        return QRect(m_tabs->mapToGlobal(tab.topLeft()), tab.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.invisible = !shown();
        state.disabled = !m_tabs->isEnabled() || !m_tabs->isTabEnabled(m_index);
        state.selectable = true;
        state.selected = m_index == m_tabs->currentIndex();
        state.focusable = m_tabs->focusPolicy() != Qt::NoFocus;
        state.focused = state.selected && m_tabs->hasFocus();
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }

    QStringList actionNames() const override
    {
        return reachable() ? QStringList{pressAction()} : QStringList();
    }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction() && reachable())
            m_tabs->setCurrentIndex(m_index);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    bool shown() const { return isValid() && m_tabs->isVisible() && m_tabs->isTabVisible(m_index); }
    bool reachable() const
    {
        return shown() && OperatorCanReach(m_tabs) && m_tabs->isTabEnabled(m_index);
    }

    QPointer<QTabBar> m_tabs;
    int m_index;
};

} // namespace

AccessibleTabBar::AccessibleTabBar(QTabBar *tabs)
    : QAccessibleWidget(tabs, QAccessible::PageTabList)
{
}

AccessibleTabBar::~AccessibleTabBar()
{
    for (const auto &[index, id] : m_tabIds)
        QAccessible::deleteAccessibleInterface(id);
}

QTabBar *AccessibleTabBar::tabs() const
{
    return static_cast<QTabBar *>(object());
}

int AccessibleTabBar::childCount() const
{
    return tabs()->count();
}

QAccessibleInterface *AccessibleTabBar::child(int index) const
{
    if (index < 0 || index >= tabs()->count())
        return nullptr;
    const auto known = m_tabIds.find(index);
    if (known != m_tabIds.end())
        return QAccessible::accessibleInterface(known->second);
    auto *tab = new AccessibleTab(tabs(), index);
    m_tabIds[index] = QAccessible::registerAccessibleInterface(tab);
    return tab;
}

int AccessibleTabBar::indexOfChild(const QAccessibleInterface *child) const
{
    for (const auto &[index, id] : m_tabIds) {
        if (QAccessible::accessibleInterface(id) == child)
            return index;
    }
    return -1;
}

QAccessibleInterface *AccessibleTabBar::childAt(int x, int y) const
{
    const QPoint local = tabs()->mapFromGlobal(QPoint(x, y));
    const int index = tabs()->tabAt(local);
    return index >= 0 && tabs()->isTabVisible(index) ? child(index) : nullptr;
}
