#include "ui/ProgramAccessibility.h"

#include "ui/AccessibleButton.h"
#include "ui/AccessibleComboBox.h"
#include "ui/AccessibleTabBar.h"
#include "ui/AccessibleValueDisplay.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QTabBar>

namespace {

QAccessibleInterface *programInterface(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (const auto *value = dynamic_cast<const AccessibleValue *>(widget))
        return new AccessibleValueDisplay(widget, *value);
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return new AccessibleButton(button);
    if (auto *box = qobject_cast<QComboBox *>(widget))
        return new AccessibleComboBox(box);
    if (auto *tabs = qobject_cast<QTabBar *>(widget))
        return new AccessibleTabBar(tabs);
    return nullptr;
}

} // namespace

void InstallProgramAccessibility()
{
    // Factories installed later are asked first, so this one comes before Qt's own.
    QAccessible::removeFactory(programInterface);
    QAccessible::installFactory(programInterface);
}
