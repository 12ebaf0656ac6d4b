#pragma once

#include <QString>

#include <memory>

class AutoReconnect;
class Dialogs;
class InputHold;
class ProgramMenus;
class ProgramWindows;
class RoutingFollower;
class RoutingHistory;
class SetupCommands;
class SetupTransfer;
class Timers;
class ViewOptions;

/// What the menus of the live window add to the delivered program: the per-user View
/// choices (advanced controls, following the switcher, reconnecting by itself), undo and redo
/// of routing, reading the routing again, the keyboard help, export and import of the setup,
/// and holding the operator's input while a background read of the routing runs. Everything
/// is off, or sends nothing, until the operator turns it on or acts.
class LiveFeatures
{
public:
    /// `viewFilePath` empty: the View choices are not remembered.
    LiveFeatures(ProgramWindows &windows, Dialogs &dialogs, Timers &timers,
                 const QString &viewFilePath);
    ~LiveFeatures();

    ViewOptions &view() const { return *m_view; }
    ProgramMenus &menus() const { return *m_menus; }
    RoutingFollower &follower() const { return *m_follower; }
    AutoReconnect &reconnect() const { return *m_reconnect; }
    RoutingHistory &history() const { return *m_history; }
    SetupCommands &setup() const { return *m_setup; }
    InputHold &inputHold() const { return *m_inputHold; }

private:
    void connectMenus(Dialogs &dialogs);
    void showAdvanced(bool on);
    void showSize();

    ProgramWindows &m_windows;
    std::unique_ptr<ViewOptions> m_view;
    ProgramMenus *m_menus = nullptr; // owned by the main window
    std::unique_ptr<RoutingFollower> m_follower;
    std::unique_ptr<AutoReconnect> m_reconnect;
    std::unique_ptr<RoutingHistory> m_history;
    std::unique_ptr<SetupTransfer> m_transfer;
    std::unique_ptr<SetupCommands> m_setup;
    std::unique_ptr<InputHold> m_inputHold;
    /// The size the switcher reported last: inputs, outputs.
    int m_inputs = 0;
    int m_outputs = 0;
};
