#include "shell/connection/ui/ConnectionPanel.h"

#include "link/KXCOMControl.h"
#include "shell/ShellContext.h"
#include "shell/connection/ConnectionController.h"
#include "shell/settings/AppSettings.h"
#include "ui/GroupEnabling.h"
#include "ui/ShellPictures.h"
#include "ui/WidgetNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int PictureSize = 33;

} // namespace

ConnectionPanel::ConnectionPanel(ShellContext &context, QWidget *parent)
    : QWidget(parent), m_context(context), m_controller(context.connection())
{
    setObjectName(QStringLiteral("pnlConnection"));
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(0, 0, 0, 0);
    buildComGroup();
    buildModeGroup();
    buildConnectionGroup();
    m_column->addStretch(1);

    connect(&m_controller, &ConnectionController::portsChanged, this, &ConnectionPanel::showPorts);
    connect(&m_controller, &ConnectionController::portSelected, this, [this](int index) {
        const QSignalBlocker blocker(cbCOMList);
        cbCOMList->setCurrentIndex(index);
    });
    connect(cbCOMList, &QComboBox::currentIndexChanged, &m_controller,
            &ConnectionController::selectPort);
    connect(&m_controller, &ConnectionController::lanSelectedChanged, this,
            [this](bool lan) { (lan ? rbLANMode : rbCOMMode)->setChecked(true); });
    connect(&m_controller, &ConnectionController::connectionChanged, this,
            &ConnectionPanel::showConnection);
    connect(&m_controller, &ConnectionController::openingChanged, this,
            &ConnectionPanel::showOpening);
    connect(&m_controller, &ConnectionController::modeControlsChanged, this,
            &ConnectionPanel::showModeControls);
    connect(&m_controller, &ConnectionController::reconnectingChanged, this,
            &ConnectionPanel::showButtonCaption);
    // A panel made for a context that already lists its ports shows them.
    showPorts();
}

void ConnectionPanel::buildComGroup()
{
    gbCOMMode = named(new QGroupBox(QStringLiteral("COM control mode"), this), "gbCOMMode",
                      QStringLiteral("COM control mode"));
    auto *layout = new QHBoxLayout(gbCOMMode);
    lblPort =
        named(new QLabel(QStringLiteral("Port"), gbCOMMode), "lblPort", QStringLiteral("Port"));
    cbCOMList = named(new QComboBox(gbCOMMode), "cbCOMList", QStringLiteral("Serial port"));
    cbCOMList->setMinimumWidth(160);
    lblPort->setBuddy(cbCOMList);
    layout->addWidget(lblPort);
    layout->addWidget(cbCOMList, 1);
    m_column->addWidget(gbCOMMode);
}

void ConnectionPanel::buildModeGroup()
{
    gbModeSelect = named(new QGroupBox(QStringLiteral("Control mode select"), this), "gbModeSelect",
                         QStringLiteral("Control mode select"));
    auto *layout = new QHBoxLayout(gbModeSelect);
    rbCOMMode = named(new QRadioButton(QStringLiteral("COM control mode"), gbModeSelect),
                      "rbCOMMode", QStringLiteral("COM control mode"));
    rbLANMode = named(new QRadioButton(QStringLiteral("TCP control mode"), gbModeSelect),
                      "rbLANMode", QStringLiteral("TCP control mode"));
    rbCOMMode->setChecked(true);
    connect(rbCOMMode, &QRadioButton::clicked, this, [this] {
        m_controller.setLanSelected(false);
        m_controller.rbCOMModeClick();
    });
    connect(rbLANMode, &QRadioButton::clicked, this, [this] {
        m_controller.setLanSelected(true);
        m_controller.rbLANModeClick();
    });
    layout->addWidget(rbCOMMode);
    layout->addWidget(rbLANMode);
    m_column->addWidget(gbModeSelect);
    gbModeSelect->hide();
}

void ConnectionPanel::buildConnectionGroup()
{
    GroupBox10 = named(new QGroupBox(QStringLiteral("Connection"), this), "GroupBox10",
                       QStringLiteral("Connection"));
    auto *layout = new QGridLayout(GroupBox10);
    imgClose = named(new QLabel(GroupBox10), "imgClose", QStringLiteral("Connection closed"));
    imgClose->setPixmap(ShellPictures::connectionClosed(PictureSize));
    imgClose->setFixedSize(PictureSize, PictureSize);
    imgOpen = named(new QLabel(GroupBox10), "imgOpen", QStringLiteral("Connection open"));
    imgOpen->setPixmap(ShellPictures::connectionOpen(PictureSize));
    imgOpen->setFixedSize(PictureSize, PictureSize);
    imgOpen->hide();
    btnConnect = named(new QPushButton(QStringLiteral("&Connect"), GroupBox10), "btnConnect",
                       QStringLiteral("Connect"));
    connect(btnConnect, &QPushButton::clicked, &m_controller,
            &ConnectionController::btnConnectClick);
    // Wide enough for the longer of its two captions, so it does not jump or clip.
    btnConnect->setMinimumWidth(
        btnConnect->fontMetrics().horizontalAdvance(QStringLiteral("Disconnect")) + 32);
    // Both pictures share one place; only one is visible at a time.
    layout->addWidget(imgClose, 0, 0);
    layout->addWidget(imgOpen, 0, 0);
    layout->addWidget(btnConnect, 0, 1);
    layout->setColumnStretch(2, 1);
    m_column->addWidget(GroupBox10);
}

void ConnectionPanel::addDeviceGroup(QWidget *group)
{
    m_column->insertWidget(m_column->indexOf(GroupBox10), group);
}

void ConnectionPanel::addOption(QWidget *option)
{
    // Above the stretch that closes the column.
    m_column->insertWidget(m_column->count() - 1, option);
}

void ConnectionPanel::showPorts()
{
    const QSignalBlocker blocker(cbCOMList);
    cbCOMList->clear();
    cbCOMList->addItems(m_controller.portTexts());
    cbCOMList->setCurrentIndex(m_controller.selectedPort());
}

void ConnectionPanel::showConnection(bool connected)
{
    cbCOMList->setEnabled(!connected);
    imgOpen->setVisible(connected);
    imgClose->setVisible(!connected);
    showButtonCaption();
}

void ConnectionPanel::showButtonCaption()
{
    // While the program reconnects by itself, the button stops that.
    const TKXCOMControl *link = m_context.link();
    const bool open = (link && link->Connected()) || m_controller.reconnecting();
    btnConnect->setText(open ? QStringLiteral("&Disconnect") : QStringLiteral("&Connect"));
    // A screen reader says what the button does now.
    btnConnect->setAccessibleName(open ? QStringLiteral("Disconnect") : QStringLiteral("Connect"));
}

void ConnectionPanel::setAdvanced(bool on)
{
    m_advanced = on;
    gbModeSelect->setVisible(on);
}

void ConnectionPanel::showOpening(bool opening)
{
    btnConnect->setEnabled(!opening);
    if (!opening && btnConnect->isVisible())
        btnConnect->setFocus();
}

void ConnectionPanel::showModeControls(TControlMode mode, bool busy)
{
    const bool com = mode == cmCOM && !busy;
    SetGroupEnabled(gbCOMMode, com);
    lblPort->setEnabled(com);
    cbCOMList->setEnabled(com);
    SetGroupEnabled(gbModeSelect, !busy);
    rbCOMMode->setEnabled(!busy);
    rbLANMode->setEnabled(!busy);
    btnConnect->setEnabled(!busy);
}

void ConnectionPanel::applySettings(const AppSettings &settings)
{
    m_controller.setLanSelected(settings.lanMode);
    if (settings.lanMode)
        m_controller.rbLANModeClick();
    else
        m_controller.rbCOMModeClick();
    if (TKXCOMControl *link = m_context.link()) {
        link->setComPort(settings.comPort);
        m_controller.selectPortName(link->ComPort());
    }
}

void ConnectionPanel::collectSettings(AppSettings &settings) const
{
    // The delivered controller always starts in serial mode; TCP mode only by hand, or
    // remembered while the advanced controls are on.
    settings.lanMode = m_advanced && m_controller.lanSelected();
    settings.comPort = m_controller.selectedPortName();
}
