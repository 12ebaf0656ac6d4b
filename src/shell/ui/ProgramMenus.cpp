#include "shell/ui/ProgramMenus.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

ProgramMenus::ProgramMenus(QMainWindow &window) : QObject(&window)
{
    QMenuBar *bar = window.menuBar();
    bar->setObjectName(QStringLiteral("mnuMain"));
    bar->setAccessibleName(QStringLiteral("Menu bar"));
    // The window's large serif font is for its pages; the menus use the system's.
    bar->setFont(QFont());
    auto menu = [bar](const char *name, const QString &title) {
        QMenu *made = bar->addMenu(title);
        made->setObjectName(QLatin1String(name));
        made->setAccessibleName(QString(title).remove(QLatin1Char('&')));
        return made;
    };

    QMenu *file = menu("mnuFile", QStringLiteral("&File"));
    mnuExportSetup = add(file, "mnuExportSetup", QStringLiteral("Export setup..."));
    mnuImportSetup = add(file, "mnuImportSetup", QStringLiteral("Import setup..."));

    QMenu *edit = menu("mnuEdit", QStringLiteral("&Edit"));
    mnuUndo = add(edit, "mnuUndo", QStringLiteral("Undo routing"));
    mnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = add(edit, "mnuRedo", QStringLiteral("Redo routing"));
    mnuRedo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    mnuUndo->setEnabled(false);
    mnuRedo->setEnabled(false);

    QMenu *view = menu("mnuView", QStringLiteral("&View"));
    mnuAdvancedControls = add(view, "mnuAdvancedControls", QStringLiteral("Advanced controls"));
    mnuFollowSwitcher = add(view, "mnuFollowSwitcher", QStringLiteral("Follow switcher changes"));
    mnuReconnect = add(view, "mnuReconnect", QStringLiteral("Reconnect automatically"));
    for (QAction *option : {mnuAdvancedControls, mnuFollowSwitcher, mnuReconnect})
        option->setCheckable(true);
    view->addSeparator();
    mnuRefreshRouting = add(view, "mnuRefreshRouting", QStringLiteral("Read routing again"));
    mnuRefreshRouting->setShortcut(QKeySequence(Qt::Key_F5));

    QMenu *help = menu("mnuHelp", QStringLiteral("&Help"));
    mnuKeyboardShortcuts = add(help, "mnuKeyboardShortcuts", QStringLiteral("Keyboard shortcuts"));
}

QAction *ProgramMenus::add(QMenu *menu, const char *name, const QString &text)
{
    auto *action = new QAction(text, menu);
    action->setObjectName(QLatin1String(name));
    menu->addAction(action);
    return action;
}
