#pragma once

#include "shell/SettingsLocation.h"
#include "shell/ui/SecondaryWindows.h"

#include <memory>

class Dialogs;
class PortLister;
class TForm1;
class TransportFactory;
class WaitClock;

/// The six windows of the program, created in their fixed order: the main window first,
/// then the five secondary windows, all hidden. The secondary windows are handed to the main
/// window once they exist. Destroyed in reverse order.
class ProgramWindows
{
public:
    ProgramWindows(Dialogs &dialogs, TransportFactory &transports, WaitClock &clock,
                   PortLister &ports, const SettingsLocation &location);
    ~ProgramWindows();

    TForm1 &mainWindow() const { return *m_form; }
    const SecondaryWindows &secondary() const { return m_windows; }

private:
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<TfrmPreSettingEdit> m_preSettingEdit;
    std::unique_ptr<TfrmShowInOutInfo> m_showInOutInfo;
    std::unique_ptr<TfrmEditLAN> m_editLAN;
    std::unique_ptr<TfrmSearch> m_search;
    std::unique_ptr<TfrmEnterYes> m_enterYes;
    SecondaryWindows m_windows;
};
