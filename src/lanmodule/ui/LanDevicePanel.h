#pragma once

#include "link/Commands.h"
#include "shell/settings/SettingsPart.h"

#include <QGroupBox>
#include <QObject>
#include <QPointer>
#include <QString>

class Dialogs;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;
class ShellContext;
class TfrmEditLAN;
class TfrmEnterYes;
class TfrmSearch;

/// The network devices: the "TCP control mode" group of the General page (the list of known
/// devices, search, delete and configure) and the Advanced page's module maintenance (query
/// and reset of the network module over the serial line).
class LanDevicePanel : public QObject, public SettingsPart
{
    Q_OBJECT
public:
    LanDevicePanel(ShellContext &context, Dialogs &dialogs, TfrmSearch &search,
                   TfrmEditLAN &editLAN, TfrmEnterYes &enterYes, QObject *parent = nullptr);
    ~LanDevicePanel() override;

    /// The group for the General page (hidden, as delivered).
    QGroupBox *deviceGroup() const { return gbLANMode; }
    /// The column for the Advanced page.
    QWidget *maintenanceColumn() const { return m_maintenance; }

    void btnSearchDeviceClick();
    void cbLANDeviceChange();
    void btnDeleteDeviceClick();
    void btnConfigClick();
    void btnQueryTCPModInfoClick();
    void btnResetClick();

    /// Advanced controls: the device group and the module maintenance are shown, and the
    /// configuration dialog asks before it sends an address or tag other than the one typed.
    void setAdvanced(bool on);
    /// The device list `devices` with `device` selected. The selection step runs only when the
    /// selected device changes (it closes the connection of that mode).
    void replaceDevices(const QString &device, const QStringList &devices);

    /// The device list and the selected device.
    void applySettings(const AppSettings &settings) override;
    void collectSettings(AppSettings &settings) const override;

private:
    void buildDeviceGroup();
    void buildMaintenance();
    void showModeControls(TControlMode mode, bool busy);
    void showSearchProgress(qint64 wParam, qint64 lParam, const QString &text);
    /// The query of the module's information, on an exchange already begun.
    void queryModule();
    void focusConfig();

    ShellContext &m_context;
    Dialogs &m_dialogs;
    TfrmSearch &m_search;
    TfrmEditLAN &m_editLAN;
    TfrmEnterYes &m_enterYes;

    QPointer<QGroupBox> gbLANMode;
    QComboBox *cbLANDevice = nullptr;
    QPushButton *btnDeleteDevice = nullptr;
    QPushButton *btnSearchDevice = nullptr;
    QPushButton *btnConfig = nullptr;

    QPointer<QWidget> m_maintenance;
    QGroupBox *gbTCPModInfo = nullptr;
    QLabel *lblTCPVersion = nullptr;
    QLabel *lblTCPDHCP = nullptr;
    QLabel *lblTCPIPAddr = nullptr;
    QPushButton *btnQueryTCPModInfo = nullptr;
    QGroupBox *gbResetDefault = nullptr;
    QPushButton *btnReset = nullptr;
};
