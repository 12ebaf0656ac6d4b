#pragma once

#include "link/Commands.h"
#include "shell/settings/SettingsPart.h"

#include <QWidget>

class ConnectionController;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QVBoxLayout;
class ShellContext;

/// The connection column of the General page: the serial port choice, the hidden mode
/// selector and the Connect button with its pictures. Other groups of the page join the
/// column (the network device group under the mode selector, options at the end).
class ConnectionPanel : public QWidget, public SettingsPart
{
    Q_OBJECT
public:
    explicit ConnectionPanel(ShellContext &context, QWidget *parent = nullptr);

    /// Puts a group under the mode selector, above the connection group.
    void addDeviceGroup(QWidget *group);
    /// Puts a control at the end of the column.
    void addOption(QWidget *option);
    /// Advanced controls: the mode selector is shown, and the chosen control mode is stored.
    void setAdvanced(bool on);

    /// The control mode, the serial port; the mode is stored as serial control unless the
    /// advanced controls are on.
    void applySettings(const AppSettings &settings) override;
    void collectSettings(AppSettings &settings) const override;

private:
    void buildComGroup();
    void buildModeGroup();
    void buildConnectionGroup();
    void showPorts();
    void showConnection(bool connected);
    void showButtonCaption();
    void showOpening(bool opening);
    void showModeControls(TControlMode mode, bool busy);

    ShellContext &m_context;
    ConnectionController &m_controller;
    QVBoxLayout *m_column = nullptr;
    QGroupBox *gbCOMMode = nullptr;
    QLabel *lblPort = nullptr;
    QComboBox *cbCOMList = nullptr;
    QGroupBox *gbModeSelect = nullptr;
    QRadioButton *rbCOMMode = nullptr;
    QRadioButton *rbLANMode = nullptr;
    QGroupBox *GroupBox10 = nullptr;
    QLabel *imgClose = nullptr;
    QLabel *imgOpen = nullptr;
    QPushButton *btnConnect = nullptr;
    bool m_advanced = false;
};
