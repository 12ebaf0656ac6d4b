#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;

/// The main window's menu bar: File (export and import of the setup), Edit (undo and redo of
/// routing), View (the per-user choices and reading the routing again) and Help (the
/// keyboard scheme). It only makes the entries; the program's composition root connects them.
class ProgramMenus : public QObject
{
    Q_OBJECT
public:
    explicit ProgramMenus(QMainWindow &window);

    QAction *mnuExportSetup = nullptr;
    QAction *mnuImportSetup = nullptr;
    QAction *mnuUndo = nullptr;
    QAction *mnuRedo = nullptr;
    QAction *mnuAdvancedControls = nullptr;
    QAction *mnuFollowSwitcher = nullptr;
    QAction *mnuReconnect = nullptr;
    QAction *mnuRefreshRouting = nullptr;
    QAction *mnuKeyboardShortcuts = nullptr;

private:
    QAction *add(QMenu *menu, const char *name, const QString &text);
};
