#include "shell/ui/ConnectionPanel.h"
#include "ui/WidgetNames.h"

#include "link/KXCOMControl.h"
#include "link/WaitClock.h"
#include "shell/PortLister.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ShellPictures.h"
#include "shell/ui/SortedComboBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto SettleAfterConnect = 100ms;
constexpr int PictureSize = 33;
constexpr int DeviceListWidth = 545;

const QString ConnectedWord = QStringLiteral("Connected");
const QString DisconnectedWord = QStringLiteral("Disconnect");

} // namespace

ConnectionPanel::ConnectionPanel(TForm1 &form, QWidget *advancedPage, QWidget *parent)
    : QWidget(parent), m_form(form)
{
    setObjectName(QStringLiteral("pnlConnection"));
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(0, 0, 0, 0);
    buildComGroup();
    buildModeGroup();
    buildLanGroup();
    buildConnectionGroup();
    m_column->addStretch(1);
    buildAdvancedGroups(advancedPage);
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
    connect(rbCOMMode, &QRadioButton::clicked, this, &ConnectionPanel::rbCOMModeClick);
    connect(rbLANMode, &QRadioButton::clicked, this, &ConnectionPanel::rbLANModeClick);
    layout->addWidget(rbCOMMode);
    layout->addWidget(rbLANMode);
    m_column->addWidget(gbModeSelect);
    gbModeSelect->hide();
}

void ConnectionPanel::buildLanGroup()
{
    gbLANMode = named(new QGroupBox(QStringLiteral("TCP control mode"), this), "gbLANMode",
                      QStringLiteral("TCP control mode"));
    auto *layout = new QGridLayout(gbLANMode);
    cbLANDevice = named(new SortedComboBox(gbLANMode), "cbLANDevice",
                        QStringLiteral("Network control device"));
    cbLANDevice->setFixedWidth(DeviceListWidth);
    btnDeleteDevice = named(new QPushButton(QStringLiteral("×"), gbLANMode), "btnDeleteDevice",
                            QStringLiteral("Delete network device"));
    btnDeleteDevice->setFixedWidth(28);
    btnSearchDevice = named(new QPushButton(QStringLiteral("Search ..."), gbLANMode),
                            "btnSearchDevice", QStringLiteral("Search network devices"));
    btnConfig = named(new QPushButton(QStringLiteral("Config ..."), gbLANMode), "btnConfig",
                      QStringLiteral("Configure network device"));
    layout->addWidget(cbLANDevice, 0, 0, 1, 2);
    layout->addWidget(btnDeleteDevice, 0, 2);
    layout->addWidget(btnSearchDevice, 1, 0);
    layout->addWidget(btnConfig, 1, 1);
    m_column->addWidget(gbLANMode);
    gbLANMode->hide();
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
                       QStringLiteral("Connect or disconnect"));
    connect(btnConnect, &QPushButton::clicked, this, &ConnectionPanel::btnConnectClick);
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

void ConnectionPanel::buildAdvancedGroups(QWidget *page)
{
    gbTCPModInfo = named(new QGroupBox(QStringLiteral("TCP Module infomation"), page),
                         "gbTCPModInfo", QStringLiteral("TCP Module information"));
    auto *info = new QVBoxLayout(gbTCPModInfo);
    lblTCPVersion = named(new QLabel(QStringLiteral("Version: "), gbTCPModInfo), "lblTCPVersion",
                          QStringLiteral("Network module version"));
    lblTCPDHCP = named(new QLabel(QStringLiteral("DHCP: "), gbTCPModInfo), "lblTCPDHCP",
                       QStringLiteral("Network module DHCP"));
    lblTCPIPAddr = named(new QLabel(QStringLiteral("IP Address: "), gbTCPModInfo), "lblTCPIPAddr",
                         QStringLiteral("Network module IP address"));
    btnQueryTCPModInfo =
        named(new QPushButton(QStringLiteral("&Query"), gbTCPModInfo), "btnQueryTCPModInfo",
              QStringLiteral("Query network module information"));
    info->addWidget(lblTCPVersion);
    info->addWidget(lblTCPDHCP);
    info->addWidget(lblTCPIPAddr);
    info->addWidget(btnQueryTCPModInfo, 0, Qt::AlignLeft);

    gbResetDefault = named(new QGroupBox(QStringLiteral("Reset TCP Module"), page),
                           "gbResetDefault", QStringLiteral("Reset TCP Module"));
    auto *reset = new QVBoxLayout(gbResetDefault);
    btnReset = named(new QPushButton(QStringLiteral("&Reset ..."), gbResetDefault), "btnReset",
                     QStringLiteral("Reset network module to defaults"));
    reset->addWidget(btnReset, 0, Qt::AlignLeft);

    auto *column = new QWidget(page);
    column->setObjectName(QStringLiteral("pnlTCPModule"));
    auto *columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->addWidget(gbTCPModInfo);
    columnLayout->addWidget(gbResetDefault);
    columnLayout->addStretch(1);
    page->layout()->addWidget(column);
    gbTCPModInfo->hide();
    gbResetDefault->hide();
}

QColor ConnectionPanel::captionColor(bool enabled)
{
    return enabled ? QColor(Qt::black) : QColor(128, 128, 128);
}

void ConnectionPanel::setGroupEnabled(QGroupBox *group, bool enabled)
{
    group->setEnabled(enabled);
    QPalette colours = group->palette();
    const QColor caption = captionColor(enabled);
    colours.setColor(QPalette::WindowText, caption);
    colours.setColor(QPalette::Text, caption);
    group->setPalette(colours);
}

void ConnectionPanel::RefreshComPortList()
{
    TKXCOMControl *link = m_form.link();
    QStringList ports;
    const QStringList listed = m_form.portLister().ports();
    for (const QString &name : listed) {
        if (!ports.contains(name))
            ports.append(name);
    }
    bool changed = ports.size() != cbCOMList->count();
    for (const QString &name : std::as_const(ports)) {
        if (cbCOMList->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            changed = true;
    }
    if (!changed)
        return;

    {
        const QSignalBlocker blocker(cbCOMList);
        cbCOMList->clear();
        cbCOMList->addItems(ports);
        cbCOMList->setCurrentIndex(-1);
    }
    const QString current = link ? link->ComPort() : QString();
    const int index = cbCOMList->findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
        cbCOMList->setCurrentIndex(index);
        return;
    }
    if (link && link->Connected() && link->ControlMode() == cmCOM)
        btnConnectClick(); // the port has gone: close its connection
    cbCOMList->setCurrentIndex(cbCOMList->count() > 0 ? 0 : -1);
}

void ConnectionPanel::btnConnectClick()
{
    TKXCOMControl *link = m_form.link();
    if (!link)
        return;
    m_form.ShowStatus(2, QString());
    if (link->Connected()) {
        link->Close();
    } else {
        if (link->ControlMode() == cmCOM) {
            link->setComPort(cbCOMList->currentText());
            m_form.ShowStatus(2, QStringLiteral("Opening [") + link->ComPort() +
                                     QStringLiteral("] ..."));
        } else {
            m_form.ShowStatus(2, QStringLiteral("Connecting [") + link->DeviceIP() +
                                     QStringLiteral("] ..."));
        }
        btnConnect->setEnabled(false);
        link->Open();
        btnConnect->setEnabled(true);
        if (m_form.pcContainer->currentWidget() == m_form.tsGeneral)
            btnConnect->setFocus();
    }
    showConnectionState();
    m_form.clock().sleep(SettleAfterConnect);
}

void ConnectionPanel::showConnectionState()
{
    TKXCOMControl *link = m_form.link();
    const bool connected = link && link->Connected();
    cbCOMList->setEnabled(!connected);
    imgOpen->setVisible(connected);
    imgClose->setVisible(!connected);
    // "Connect" is the state word "Connected" without its last two characters.
    btnConnect->setText(QLatin1Char('&') +
                        (connected ? DisconnectedWord : ConnectedWord.chopped(2)));
    if (connected) {
        const QString where = link->ControlMode() == cmCOM ? link->ComPort() : link->DeviceIP();
        m_form.ShowStatus(1, where + QStringLiteral(": ") + ConnectedWord);
        m_form.ShowStatus(2, QString());
    } else {
        m_form.ShowStatus(1, DisconnectedWord);
    }
}

void ConnectionPanel::rbCOMModeClick()
{
    TKXCOMControl *link = m_form.link();
    if (!link)
        return;
    m_form.ShowStatus(2, QString());
    if (link->Connected())
        btnConnectClick();
    m_form.ClearPortTags();
    link->setControlMode(cmCOM);
    UpdateModeControls(cmCOM, false);
    m_form.LoadPortTags(cmCOM, m_form.CurrentDeviceMAC);
}

void ConnectionPanel::rbLANModeClick()
{
    TKXCOMControl *link = m_form.link();
    if (!link || link->Searching())
        return;
    if (link->Connected())
        btnConnectClick();
    m_form.ClearPortTags();
    link->setControlMode(cmLAN);
    m_form.LoadPortTags(cmLAN, m_form.CurrentDeviceMAC);
    m_form.ShowStatus(3, QString());
    UpdateModeControls(cmLAN, false);
    if (!rbLANMode->isChecked())
        m_form.ShowStatus(2, QString());
    m_form.mmoMsg->appendPlainText(m_form.CurrentDeviceMAC);
}

void ConnectionPanel::UpdateModeControls(TControlMode mode, bool busy)
{
    const bool lan = mode == cmLAN && !busy;
    const bool com = mode == cmCOM && !busy;

    setGroupEnabled(gbLANMode, lan);
    for (QWidget *control :
         {static_cast<QWidget *>(cbLANDevice), static_cast<QWidget *>(btnSearchDevice),
          static_cast<QWidget *>(btnConfig), static_cast<QWidget *>(btnDeleteDevice)})
        control->setEnabled(lan);

    setGroupEnabled(gbCOMMode, com);
    lblPort->setEnabled(com);
    cbCOMList->setEnabled(com);

    setGroupEnabled(gbModeSelect, !busy);
    rbCOMMode->setEnabled(!busy);
    rbLANMode->setEnabled(!busy);
    btnConnect->setEnabled(!busy);
    if (auto *status = m_form.findChild<QWidget *>(QStringLiteral("btnGetDevStatus")))
        status->setEnabled(!busy);

    // The network module is maintained through the serial connection.
    setGroupEnabled(gbTCPModInfo, com);
    setGroupEnabled(gbResetDefault, com);
    for (QWidget *control :
         {static_cast<QWidget *>(lblTCPVersion), static_cast<QWidget *>(lblTCPDHCP),
          static_cast<QWidget *>(lblTCPIPAddr), static_cast<QWidget *>(btnQueryTCPModInfo),
          static_cast<QWidget *>(btnReset)})
        control->setEnabled(com);
}
