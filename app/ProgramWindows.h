#pragma once

#include "shell/settings/SettingsLocation.h"

#include <QString>

#include <memory>

class ConnectionPanel;
class DeviceStatusReader;
class DeviceStatusView;
class Dialogs;
class EdidPage;
class FirmwarePage;
class IrControl;
class LanDevicePanel;
class LiveFeatures;
class PortLister;
class PortTagsPage;
class PresetsView;
class QWidget;
class RoutingController;
class RoutingView;
class ShellContext;
class TForm1;
class TfrmEditLAN;
class TfrmEnterYes;
class TfrmPreSettingEdit;
class TfrmSearch;
class TfrmShowInOutInfo;
class Timers;
class TransportFactory;
class WaitClock;

/// The program put together: the shell context, the six windows in their fixed order (the
/// main window first, then the five secondary windows, all hidden), and the features of the
/// pages. It runs the start-up, show and close steps in their order, from one place.
class ProgramWindows
{
public:
    /// `timers` runs the timed work of the View menu's choices (Qt's timers when null);
    /// `viewFilePath` is the per-user file of those choices (not remembered when empty).
    ProgramWindows(Dialogs &dialogs, TransportFactory &transports, WaitClock &clock,
                   PortLister &ports, const SettingsLocation &location, Timers *timers = nullptr,
                   const QString &viewFilePath = {});
    ~ProgramWindows();

    ShellContext &context() const { return *m_context; }
    TForm1 &mainWindow() const { return *m_form; }

    TfrmPreSettingEdit &preSettingEdit() const { return *m_preSettingEdit; }
    TfrmShowInOutInfo &showInOutInfo() const { return *m_showInOutInfo; }
    TfrmEditLAN &editLAN() const { return *m_editLAN; }
    TfrmSearch &search() const { return *m_search; }
    TfrmEnterYes &enterYes() const { return *m_enterYes; }

    ConnectionPanel &connection() const { return *m_connection; }
    DeviceStatusReader &deviceStatusReader() const { return *m_deviceStatusReader; }
    DeviceStatusView &deviceStatus() const { return *m_deviceStatus; }
    RoutingController &routingController() const { return *m_routingController; }
    RoutingView &routing() const { return *m_routing; }
    PresetsView &presets() const { return *m_presets; }
    PortTagsPage &portTags() const { return *m_portTags; }
    EdidPage &edid() const { return *m_edid; }
    FirmwarePage &firmware() const { return *m_firmware; }
    LanDevicePanel &lanDevices() const { return *m_lanDevices; }
    /// The menus and what they switch on.
    LiveFeatures &live() const { return *m_live; }

private:
    void createPages(Dialogs &dialogs);
    void registerSettings();
    void FormCreate();
    void FormShow();
    void FormClose();
    void pageShown(QWidget *page);

    std::unique_ptr<ShellContext> m_context;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<TfrmPreSettingEdit> m_preSettingEdit;
    std::unique_ptr<TfrmShowInOutInfo> m_showInOutInfo;
    std::unique_ptr<TfrmEditLAN> m_editLAN;
    std::unique_ptr<TfrmSearch> m_search;
    std::unique_ptr<TfrmEnterYes> m_enterYes;
    std::unique_ptr<DeviceStatusReader> m_deviceStatusReader;
    std::unique_ptr<RoutingController> m_routingController;
    std::unique_ptr<LanDevicePanel> m_lanDevices;
    std::unique_ptr<Timers> m_ownTimers;
    std::unique_ptr<LiveFeatures> m_live;

    // Widgets owned by the main window's pages.
    ConnectionPanel *m_connection = nullptr;
    DeviceStatusView *m_deviceStatus = nullptr;
    RoutingView *m_routing = nullptr;
    PresetsView *m_presets = nullptr;
    PortTagsPage *m_portTags = nullptr;
    EdidPage *m_edid = nullptr;
    FirmwarePage *m_firmware = nullptr;
    IrControl *m_ir = nullptr;
};
