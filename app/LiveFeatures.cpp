#include "LiveFeatures.h"

#include "ProgramWindows.h"
#include "edid/ui/EdidPage.h"
#include "firmware/ui/FirmwarePage.h"
#include "lanmodule/ui/LanDevicePanel.h"
#include "shell/ShellContext.h"
#include "shell/ViewOptions.h"
#include "shell/connection/AutoReconnect.h"
#include "shell/connection/ui/ConnectionPanel.h"
#include "shell/devicestatus/DeviceStatusReader.h"
#include "shell/presets/ui/PresetsView.h"
#include "shell/routing/RoutingController.h"
#include "shell/routing/RoutingFollower.h"
#include "shell/routing/RoutingHistory.h"
#include "shell/routing/RoutingState.h"
#include "shell/routing/ui/RoutingKeys.h"
#include "shell/settings/AppSettings.h"
#include "shell/setup/SetupTransfer.h"
#include "shell/setup/ui/SetupCommands.h"
#include "shell/ui/InputHold.h"
#include "shell/ui/KeyboardHelp.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramMenus.h"
#include "ui/Dialogs.h"

#include <QAction>

namespace {

SetupParts PartsOf(ProgramWindows &windows)
{
    PresetsView &presets = windows.presets();
    EdidPage &edid = windows.edid();
    LanDevicePanel &devices = windows.lanDevices();
    auto collected = [](const SettingsPart &part) {
        AppSettings settings;
        part.collectSettings(settings);
        return settings;
    };
    SetupParts parts;
    parts.presets = [&presets] { return presets.rows(); };
    parts.setPresets = [&presets](const QList<PresetRow> &rows) { presets.setRows(rows); };
    parts.edidSelections = [&edid, collected] { return collected(edid).edid; };
    parts.setEdidSelections = [&edid, collected](const EdidSelections &selections) {
        AppSettings settings = collected(edid);
        settings.edid = selections;
        edid.applySettings(settings);
    };
    parts.device = [&devices, collected] { return collected(devices).device; };
    parts.devices = [&devices, collected] { return collected(devices).devices; };
    parts.setDevices = [&devices](const QString &device, const QStringList &list) {
        devices.replaceDevices(device, list);
    };
    return parts;
}

} // namespace

LiveFeatures::LiveFeatures(ProgramWindows &windows, Dialogs &dialogs, Timers &timers,
                           const QString &viewFilePath)
    : m_windows(windows)
{
    ShellContext &context = windows.context();
    TForm1 &form = windows.mainWindow();
    m_view = std::make_unique<ViewOptions>(viewFilePath);
    m_menus = new ProgramMenus(form);
    m_follower = std::make_unique<RoutingFollower>(context, timers);
    m_reconnect = std::make_unique<AutoReconnect>(context, timers);
    m_history = std::make_unique<RoutingHistory>(windows.routingController());
    m_transfer =
        std::make_unique<SetupTransfer>(context, windows.routingController(), PartsOf(windows));
    m_setup = std::make_unique<SetupCommands>(context, *m_transfer, windows.routingController(),
                                              dialogs, form, [&form] { form.SaveSettings(); });
    m_inputHold = std::make_unique<InputHold>(context.gate());
    connectMenus(dialogs);

    m_menus->mnuAdvancedControls->setChecked(m_view->advancedControls());
    m_menus->mnuFollowSwitcher->setChecked(m_view->followSwitcher());
    m_menus->mnuReconnect->setChecked(m_view->reconnectAutomatically());
    showAdvanced(m_view->advancedControls());
    m_follower->setEnabled(m_view->followSwitcher());
    m_reconnect->setEnabled(m_view->reconnectAutomatically());
}

LiveFeatures::~LiveFeatures() = default;

void LiveFeatures::connectMenus(Dialogs &dialogs)
{
    ProgramMenus &menus = *m_menus;
    ViewOptions &view = *m_view;
    QObject::connect(menus.mnuAdvancedControls, &QAction::toggled, &view,
                     &ViewOptions::setAdvancedControls);
    QObject::connect(menus.mnuFollowSwitcher, &QAction::toggled, &view,
                     &ViewOptions::setFollowSwitcher);
    QObject::connect(menus.mnuReconnect, &QAction::toggled, &view,
                     &ViewOptions::setReconnectAutomatically);
    QObject::connect(&view, &ViewOptions::advancedControlsChanged, &view,
                     [this](bool on) { showAdvanced(on); });
    QObject::connect(&view, &ViewOptions::followSwitcherChanged, m_follower.get(),
                     &RoutingFollower::setEnabled);
    QObject::connect(&view, &ViewOptions::reconnectAutomaticallyChanged, m_reconnect.get(),
                     &AutoReconnect::setEnabled);
    QObject::connect(m_reconnect.get(), &AutoReconnect::reconnected, m_follower.get(),
                     &RoutingFollower::readNow);

    RoutingHistory &history = *m_history;
    QObject::connect(menus.mnuUndo, &QAction::triggered, &history, &RoutingHistory::undo);
    QObject::connect(menus.mnuRedo, &QAction::triggered, &history, &RoutingHistory::redo);
    QObject::connect(&history, &RoutingHistory::changed, menus.mnuUndo, [&history, &menus] {
        menus.mnuUndo->setEnabled(history.canUndo());
        menus.mnuRedo->setEnabled(history.canRedo());
    });
    RoutingController &routing = m_windows.routingController();
    QObject::connect(menus.mnuRefreshRouting, &QAction::triggered, &routing,
                     [&routing] { routing.RefreshRouting(); });

    TForm1 &form = m_windows.mainWindow();
    QObject::connect(menus.mnuKeyboardShortcuts, &QAction::triggered, &form, [&dialogs, &form] {
        KeyboardHelp help(RoutingKeys::Scheme(), &form);
        dialogs.showModal(&help);
    });
    SetupCommands &setup = *m_setup;
    QObject::connect(menus.mnuExportSetup, &QAction::triggered, &setup,
                     &SetupCommands::exportSetup);
    QObject::connect(menus.mnuImportSetup, &QAction::triggered, &setup,
                     &SetupCommands::importSetup);

    QObject::connect(&m_windows.deviceStatusReader(), &DeviceStatusReader::sizeRead, m_view.get(),
                     [this](int inputs, int outputs) {
                         m_inputs = inputs;
                         m_outputs = outputs;
                         showSize();
                     });
}

void LiveFeatures::showAdvanced(bool on)
{
    m_windows.mainWindow().showAdvanced(on);
    m_windows.connection().setAdvanced(on);
    m_windows.lanDevices().setAdvanced(on);
    m_windows.firmware().setMergeOffered(on);
    showSize();
}

void LiveFeatures::showSize()
{
    // Without the advanced controls the view stays at four inputs and outputs.
    const bool reported = m_inputs > 0 && m_outputs > 0;
    RoutingState &state = m_windows.context().routing();
    if (m_view->advancedControls() && reported)
        state.setSize(m_inputs, m_outputs);
    else
        state.setSize(RoutingState::DefaultPorts, RoutingState::DefaultPorts);
}
