#include "ProgramWindows.h"

#include "LiveFeatures.h"

#include "edid/ui/EdidPage.h"
#include "firmware/ui/FirmwarePage.h"
#include "firmware/ui/IrControl.h"
#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/EnterYes.h"
#include "lanmodule/ui/LanDevicePanel.h"
#include "lanmodule/ui/Search.h"
#include "link/KXCOMControl.h"
#include "shell/ShellContext.h"
#include "shell/Timers.h"
#include "shell/connection/ui/ConnectionPanel.h"
#include "shell/devicestatus/DeviceStatusReader.h"
#include "shell/devicestatus/ui/DeviceStatusView.h"
#include "shell/porttags/ui/PortTagsPage.h"
#include "shell/presets/ui/PreSettingEdit.h"
#include "shell/presets/ui/PresetsView.h"
#include "shell/routing/RoutingController.h"
#include "shell/routing/ui/RoutingView.h"
#include "shell/routing/ui/ShowInOutInfo.h"
#include "shell/settings/SettingsFile.h"
#include "shell/ui/MainWindow.h"
#include "ui/ProgramAccessibility.h"
#include "ui/ProgramFont.h"

#include <QApplication>
#include <QCheckBox>
#include <QLayout>
#include <QTabWidget>
#include <QTimer>

ProgramWindows::ProgramWindows(Dialogs &dialogs, TransportFactory &transports, WaitClock &clock,
                               PortLister &ports, const SettingsLocation &location, Timers *timers,
                               const QString &viewFilePath)
{
    InstallProgramAccessibility();
    // One font family in every window, message boxes and file dialogs included.
    QApplication::setFont(ProgramFont());
    m_context = std::make_unique<ShellContext>(transports, clock, ports, location);
    m_form = std::make_unique<TForm1>(*m_context, dialogs);
    // The secondary windows are top-level windows of their own, so that a name used both in
    // the main window and in one of them (btnStop) is found in the right one.
    m_preSettingEdit = std::make_unique<TfrmPreSettingEdit>(dialogs, m_form.get());
    m_showInOutInfo = std::make_unique<TfrmShowInOutInfo>();
    m_editLAN = std::make_unique<TfrmEditLAN>(dialogs, m_context->random());
    m_search = std::make_unique<TfrmSearch>(dialogs);
    m_enterYes = std::make_unique<TfrmEnterYes>();
    createPages(dialogs);
    registerSettings();
    FormCreate();
    if (!timers) {
        m_ownTimers = std::make_unique<QtTimers>();
        timers = m_ownTimers.get();
    }
    m_live = std::make_unique<LiveFeatures>(*this, dialogs, *timers, viewFilePath);

    QObject::connect(m_form.get(), &TForm1::showing, m_form.get(), [this] { FormShow(); });
    QObject::connect(m_form.get(), &TForm1::closing, m_form.get(), [this] { FormClose(); });
    QObject::connect(m_form.get(), &TForm1::pageShown, m_form.get(),
                     [this](QWidget *page) { pageShown(page); });
}

ProgramWindows::~ProgramWindows()
{
    m_live.reset();
    m_enterYes.reset();
    m_search.reset();
    m_editLAN.reset();
    m_showInOutInfo.reset();
    m_preSettingEdit.reset();
    m_form.reset();
    m_lanDevices.reset();
    m_routingController.reset();
    m_deviceStatusReader.reset();
    m_context.reset();
}

void ProgramWindows::createPages(Dialogs &dialogs)
{
    TForm1 &form = *m_form;
    ShellContext &context = *m_context;

    m_connection = new ConnectionPanel(context, form.tsGeneral);
    form.tsGeneral->layout()->addWidget(m_connection);
    m_deviceStatusReader = std::make_unique<DeviceStatusReader>(context);
    m_deviceStatus =
        new DeviceStatusView(*m_deviceStatusReader, context.connection(), form.tsGeneral);
    form.tsGeneral->layout()->addWidget(m_deviceStatus);

    m_lanDevices =
        std::make_unique<LanDevicePanel>(context, dialogs, *m_search, *m_editLAN, *m_enterYes);
    m_connection->addDeviceGroup(m_lanDevices->deviceGroup());
    form.tsIR->layout()->addWidget(m_lanDevices->maintenanceColumn());
    m_ir = new IrControl(context, form.tsIR);
    form.tsIR->layout()->addWidget(m_ir);

    m_routingController = std::make_unique<RoutingController>(context);
    m_routing = new RoutingView(*m_routingController, context.routing(), context.portTags(),
                                *m_showInOutInfo, form.tsSetting);
    form.tsSetting->layout()->addWidget(m_routing);
    m_connection->addOption(m_routing->displayTagOption());
    m_presets =
        new PresetsView(context, *m_routingController, *m_preSettingEdit, dialogs, form.tsSetting);
    form.tsSetting->layout()->addWidget(m_presets);

    m_firmware = new FirmwarePage(context, dialogs, form.tsFWUpgrade);
    form.tsFWUpgrade->layout()->addWidget(m_firmware);
    m_edid = new EdidPage(context, *m_deviceStatusReader, dialogs, form.tsEDIDCtrl);
    form.tsEDIDCtrl->layout()->addWidget(m_edid);
    m_portTags = new PortTagsPage(context, *m_preSettingEdit, dialogs, form.tsPortTag);
    form.tsPortTag->layout()->addWidget(m_portTags);

    // Where the mouse leaves the routing buttons, the note returns to its idle text.
    for (QWidget *area :
         {static_cast<QWidget *>(&form), static_cast<QWidget *>(form.pcContainer), form.tsSetting,
          static_cast<QWidget *>(m_presets), m_presets->presetList()})
        m_routing->watchLeaveArea(area);
}

void ProgramWindows::registerSettings()
{
    // In the order Settings.ini is applied when the window is first shown.
    SettingsFile &settings = m_context->settings();
    settings.addPart(*m_connection);
    settings.addPart(*m_lanDevices);
    settings.addPart(*m_portTags);
    settings.addPart(*m_presets);
    settings.addPart(*m_preSettingEdit);
    settings.addPart(*m_edid);
    settings.addPart(*m_routing);
}

void ProgramWindows::FormCreate()
{
    m_routingController->RoutingAborted = true;
    m_firmware->setMergeOffered(false);
    m_edid->removeLastMode();
}

void ProgramWindows::FormShow()
{
    TForm1 &form = *m_form;
    m_routing->SetDisplayDigits();
    m_presets->FixPresetColumns();
    form.RefreshComPortList();
    form.LoadSettings();
    TKXCOMControl *link = m_context->link();
    form.ShowStatus(1, link && link->Connected() ? QStringLiteral("Connected")
                                                 : QStringLiteral("Disconnect"));
    form.tmr->start();
    m_edid->ShowEDIDData(nullptr);
    m_deviceStatusReader->ResetDeviceInfo();
    m_edid->showPathEnds();
    m_firmware->showPathEnds();
    form.SaveSettings();
    m_routing->enableAllOutputs();
}

void ProgramWindows::FormClose()
{
    m_showInOutInfo->hide();
    m_form->SaveSettings();
}

void ProgramWindows::pageShown(QWidget *page)
{
    if (page == m_form->tsSetting) {
        m_presets->selectFirstPreset();
        m_routing->tsSettingShow();
    } else if (page == m_form->tsEDIDCtrl) {
        m_edid->tsEDIDCtrlShow();
    }
}
