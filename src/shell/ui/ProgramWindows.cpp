#include "shell/ui/ProgramWindows.h"

#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/EnterYes.h"
#include "lanmodule/ui/Search.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/PreSettingEdit.h"
#include "shell/ui/ShowInOutInfo.h"

ProgramWindows::ProgramWindows(Dialogs &dialogs, TransportFactory &transports, WaitClock &clock,
                               PortLister &ports, const SettingsLocation &location)
{
    m_form = std::make_unique<TForm1>(dialogs, transports, clock, ports, location);
    // The secondary windows are top-level windows of their own, so that a name used both in
    // the main window and in one of them (btnStop) is found in the right one.
    m_preSettingEdit = std::make_unique<TfrmPreSettingEdit>();
    m_showInOutInfo = std::make_unique<TfrmShowInOutInfo>();
    m_editLAN = std::make_unique<TfrmEditLAN>(dialogs, m_form->random());
    m_search = std::make_unique<TfrmSearch>(dialogs);
    m_enterYes = std::make_unique<TfrmEnterYes>();
    m_windows = {m_preSettingEdit.get(), m_showInOutInfo.get(), m_editLAN.get(), m_search.get(),
                 m_enterYes.get()};
    m_form->setSecondaryWindows(m_windows);
}

ProgramWindows::~ProgramWindows()
{
    m_enterYes.reset();
    m_search.reset();
    m_editLAN.reset();
    m_showInOutInfo.reset();
    m_preSettingEdit.reset();
    m_form.reset();
}
