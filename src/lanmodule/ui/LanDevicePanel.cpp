#include "lanmodule/ui/LanDevicePanel.h"

#include "lanmodule/DeviceEntry.h"
#include "lanmodule/LanLogging.h"
#include "lanmodule/ModuleRecords.h"
#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/EnterYes.h"
#include "lanmodule/ui/Search.h"
#include "link/KXCOMControl.h"
#include "link/LanRecords.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/connection/ConnectionController.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/settings/AppSettings.h"
#include "ui/Dialogs.h"
#include "ui/GroupEnabling.h"
#include "ui/SortedComboBox.h"
#include "ui/WidgetNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int DeviceListWidth = 545;

} // namespace

LanDevicePanel::LanDevicePanel(ShellContext &context, Dialogs &dialogs, TfrmSearch &search,
                               TfrmEditLAN &editLAN, TfrmEnterYes &enterYes, QObject *parent)
    : QObject(parent), m_context(context), m_dialogs(dialogs), m_search(search), m_editLAN(editLAN),
      m_enterYes(enterYes)
{
    setObjectName(QStringLiteral("LanDevicePanel"));
    buildDeviceGroup();
    buildMaintenance();
    connect(&context.connection(), &ConnectionController::modeControlsChanged, this,
            &LanDevicePanel::showModeControls);
    connect(&context, &ShellContext::searchProgress, this, &LanDevicePanel::showSearchProgress);
}

LanDevicePanel::~LanDevicePanel()
{
    // The two widgets belong to the pages they were put on; one never put anywhere goes here.
    for (QWidget *widget : {static_cast<QWidget *>(gbLANMode), m_maintenance.data()}) {
        if (widget && !widget->parent())
            delete widget;
    }
}

void LanDevicePanel::buildDeviceGroup()
{
    gbLANMode = named(new QGroupBox(QStringLiteral("TCP control mode")), "gbLANMode",
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
    gbLANMode->hide();

    // Only the operator's picks run the selection step; filling the list does not.
    connect(cbLANDevice, &QComboBox::activated, this, &LanDevicePanel::cbLANDeviceChange);
    connect(btnDeleteDevice, &QPushButton::clicked, this, &LanDevicePanel::btnDeleteDeviceClick);
    connect(btnSearchDevice, &QPushButton::clicked, this, &LanDevicePanel::btnSearchDeviceClick);
    connect(btnConfig, &QPushButton::clicked, this, &LanDevicePanel::btnConfigClick);
}

void LanDevicePanel::buildMaintenance()
{
    m_maintenance = new QWidget;
    m_maintenance->setObjectName(QStringLiteral("pnlTCPModule"));
    gbTCPModInfo = named(new QGroupBox(QStringLiteral("TCP Module infomation"), m_maintenance),
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

    gbResetDefault = named(new QGroupBox(QStringLiteral("Reset TCP Module"), m_maintenance),
                           "gbResetDefault", QStringLiteral("Reset TCP Module"));
    auto *reset = new QVBoxLayout(gbResetDefault);
    btnReset = named(new QPushButton(QStringLiteral("&Reset ..."), gbResetDefault), "btnReset",
                     QStringLiteral("Reset network module to defaults"));
    reset->addWidget(btnReset, 0, Qt::AlignLeft);

    auto *column = new QVBoxLayout(m_maintenance);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(gbTCPModInfo);
    column->addWidget(gbResetDefault);
    column->addStretch(1);
    gbTCPModInfo->hide();
    gbResetDefault->hide();

    connect(btnQueryTCPModInfo, &QPushButton::clicked, this,
            &LanDevicePanel::btnQueryTCPModInfoClick);
    connect(btnReset, &QPushButton::clicked, this, &LanDevicePanel::btnResetClick);
}

void LanDevicePanel::showModeControls(TControlMode mode, bool busy)
{
    const bool lan = mode == cmLAN && !busy;
    const bool com = mode == cmCOM && !busy;
    SetGroupEnabled(gbLANMode, lan);
    for (QWidget *control :
         {static_cast<QWidget *>(cbLANDevice), static_cast<QWidget *>(btnSearchDevice),
          static_cast<QWidget *>(btnConfig), static_cast<QWidget *>(btnDeleteDevice)})
        control->setEnabled(lan);
    // The network module is maintained through the serial connection.
    SetGroupEnabled(gbTCPModInfo, com);
    SetGroupEnabled(gbResetDefault, com);
    for (QWidget *control :
         {static_cast<QWidget *>(lblTCPVersion), static_cast<QWidget *>(lblTCPDHCP),
          static_cast<QWidget *>(lblTCPIPAddr), static_cast<QWidget *>(btnQueryTCPModInfo),
          static_cast<QWidget *>(btnReset)})
        control->setEnabled(com);
}

void LanDevicePanel::showSearchProgress(qint64 wParam, qint64 lParam, const QString &text)
{
    m_search.SearchNotify(TfrmSearch::NotifySearchText, wParam, lParam, text);
}

void LanDevicePanel::focusConfig()
{
    if (btnConfig->isEnabled() && btnConfig->isVisible())
        btnConfig->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Device list

void LanDevicePanel::btnSearchDeviceClick()
{
    TKXCOMControl *link = m_context.link();
    if (!link || link->Searching())
        return;
    ConnectionController &connection = m_context.connection();
    if (link->Connected())
        connection.btnConnectClick();
    m_context.ShowStatus(StatusPanel::Operation,
                         QStringLiteral("Searching TCP control device ..."));
    m_context.ShowStatus(StatusPanel::Hint, QString());
    link->setUDPMode(umBROADCAST);
    link->DeviceList.clear();

    if (const std::optional<QStringList> found = m_search.search(*link)) {
        qCDebug(lcLan) << "search took" << found->size() << "devices:" << *found;
        QString lastAdded;
        for (const QString &entry : *found) {
            bool known = false;
            for (int i = 0; i < cbLANDevice->count() && !known; ++i)
                known = DeviceEntry::SameEntry(cbLANDevice->itemText(i), entry);
            if (!known) {
                cbLANDevice->addItem(entry);
                lastAdded = entry;
            }
        }
        if (!lastAdded.isEmpty())
            cbLANDevice->setCurrentIndex(
                cbLANDevice->findText(lastAdded, Qt::MatchExactly | Qt::MatchCaseSensitive));
        cbLANDeviceChange();
        m_context.ShowStatus(StatusPanel::Operation,
                             QStringLiteral("Search TCP control device ok"));
    } else {
        m_context.ShowStatus(StatusPanel::Operation,
                             QStringLiteral("Search TCP control device cancelled"));
    }
    m_context.ShowStatus(StatusPanel::Hint, QString());
    if (!connection.lanSelected())
        m_context.ShowStatus(StatusPanel::Operation, QString());
}

void LanDevicePanel::cbLANDeviceChange()
{
    m_context.portTags().ClearPortTags();
    TKXCOMControl *link = m_context.link();
    if (!link)
        return;
    if (link->Connected())
        m_context.connection().btnConnectClick();
    if (cbLANDevice->currentIndex() < 0) {
        m_context.selectDevice(QString::fromLatin1(DeviceEntry::NoMACText),
                               QString::fromLatin1(DeviceEntry::NoIPText));
    } else {
        const QString entry = cbLANDevice->currentText();
        m_context.selectDevice(DeviceEntry::GetEntryField(entry, DeviceEntry::MAC),
                               DeviceEntry::GetEntryField(entry, DeviceEntry::IP));
    }
    m_context.portTags().LoadPortTags(link->ControlMode(), m_context.CurrentDeviceMAC());
}

void LanDevicePanel::btnDeleteDeviceClick()
{
    const int index = cbLANDevice->currentIndex();
    if (index < 0)
        return;
    const QString entry = cbLANDevice->currentText();
    if (!m_dialogs.confirm(gbLANMode->window(), QStringLiteral("Sure to delete device: ") + entry +
                                                    QStringLiteral(" ?")))
        return;
    cbLANDevice->removeItem(index);
    cbLANDevice->setCurrentIndex(index < cbLANDevice->count() ? index : cbLANDevice->count() - 1);
    cbLANDevice->update();
    cbLANDeviceChange();
}

void LanDevicePanel::btnConfigClick()
{
    TKXCOMControl *link = m_context.link();
    if (!link)
        return;
    if (cbLANDevice->currentIndex() < 0) {
        m_dialogs.information(gbLANMode->window(), QStringLiteral("TCP control deivce not found."));
        return;
    }
    const int index = cbLANDevice->currentIndex();
    ConnectionController &connection = m_context.connection();
    if (link->Connected())
        connection.btnConnectClick();
    m_context.ShowStatus(StatusPanel::Operation, QString());
    m_context.ShowStatus(StatusPanel::Hint, QString());

    const QString entry = cbLANDevice->itemText(index);
    LanDeviceForm form;
    form.tag = DeviceEntry::GetEntryField(entry, DeviceEntry::Tag);
    form.dhcp = DeviceEntry::GetEntryField(entry, DeviceEntry::Mode) !=
                QLatin1String(DeviceEntry::StaticIPText);
    form.ip = DeviceEntry::GetEntryField(entry, DeviceEntry::IP);
    form.mac = m_context.CurrentDeviceMAC();
    const bool sameSubnet = DeviceEntry::GetEntryField(entry, DeviceEntry::Subnet) ==
                            QLatin1String(DeviceEntry::SameSubnetText);
    form.addressEditable = sameSubnet;

    const std::optional<LanDeviceForm> chosen = m_editLAN.edit(form);
    if (!chosen) {
        m_context.ShowStatus(StatusPanel::Operation,
                             QStringLiteral("Modify TCP configuration cancelled"));
        return;
    }

    connection.UpdateModeControls(link->ControlMode(), true);
    m_context.ShowStatus(StatusPanel::Operation,
                         QStringLiteral("Setting TCP control configuration ..."));
    ModuleRecords::ConfigChoice choice;
    choice.mac = m_context.CurrentDeviceMAC();
    choice.tag = chosen->tag;
    choice.sameSubnet = sameSubnet;
    choice.autoIP = chosen->dhcp;
    for (std::size_t i = 0; i < 4; ++i)
        choice.octets[i] = chosen->octets[i];
    const int result = link->ConfigureDevice(ModuleRecords::BuildConfigRecord(choice));
    link->Delay(2);
    qCDebug(lcLan) << "configuration of" << choice.mac << "ended with" << result;

    if (result == 0) {
        m_context.ShowStatus(StatusPanel::Operation, QString());
        m_context.ShowStatus(StatusPanel::Operation, QStringLiteral("Modify TCP configuration ok"));
        const QString updated =
            DeviceEntry::Make(LanRecords::SafeTag(chosen->tag), DeviceEntry::ModeText(chosen->dhcp),
                              chosen->ip, chosen->mac, DeviceEntry::SubnetText(!sameSubnet));
        // The list keeps its order: the rewritten entry may move, and stays selected.
        cbLANDevice->setItemText(index, updated);
        cbLANDevice->setCurrentIndex(
            cbLANDevice->findText(updated, Qt::MatchExactly | Qt::MatchCaseSensitive));
        cbLANDeviceChange();
    } else if (result == 2) {
        m_context.ShowStatus(StatusPanel::Operation,
                             QStringLiteral("Setting IP conflict:") + chosen->ip, true);
        m_context.ShowStatus(StatusPanel::Hint, QString());
    } else {
        m_context.ShowStatus(StatusPanel::Operation,
                             QStringLiteral("Modify TCP configuration failed"), true);
        m_context.ShowStatus(StatusPanel::Hint, QString());
    }
    connection.UpdateModeControls(link->ControlMode(), false);
    focusConfig();
}

// ---------------------------------------------------------------------------------------------
// Module maintenance

void LanDevicePanel::queryModule()
{
    btnQueryTCPModInfo->setEnabled(false);
    m_context.ShowStatus(StatusPanel::Operation,
                         QStringLiteral("Query TCP Module information ..."));
    const auto bare = ModuleRecords::EmptyInfoTexts();
    lblTCPVersion->setText(bare.version);
    lblTCPDHCP->setText(bare.dhcp);
    lblTCPIPAddr->setText(bare.address);

    TLDCDResult result;
    m_context.link()->SendLDCD(ModuleRecords::QueryRequest(), result);
    if (result.Success) {
        m_context.ShowStatus(StatusPanel::Operation, QStringLiteral("Query TCP Module ok"));
        const auto info = ModuleRecords::InfoTexts(result.Reply);
        lblTCPVersion->setText(info.version);
        lblTCPDHCP->setText(info.dhcp);
        lblTCPIPAddr->setText(info.address);
    } else {
        m_context.ShowStatus(StatusPanel::Operation, QStringLiteral("Query TCP Module failed"),
                             true);
    }
    btnQueryTCPModInfo->setEnabled(true);
}

void LanDevicePanel::btnQueryTCPModInfoClick()
{
    if (const std::optional<ExchangeGuard> exchange = m_context.gate().tryBegin())
        queryModule();
}

void LanDevicePanel::btnResetClick()
{
    if (!m_context.gate().canBegin())
        return;
    m_context.ShowStatus(StatusPanel::Operation, QStringLiteral("Reset Default ..."));
    if (m_dialogs.showModal(&m_enterYes) != QDialog::Accepted) {
        m_context.ShowStatus(StatusPanel::Operation, QStringLiteral("Reset Default cancelled"));
        m_context.ShowStatus(StatusPanel::Hint, QString());
        return;
    }
    TKXCOMControl *link = m_context.link();
    if (!link || !link->Connected())
        return;
    const ExchangeGuard reset = m_context.gate().hold();
    TLDCDResult result;
    link->SendLDCD(ModuleRecords::ResetRequest(), result);
    if (result.Success) {
        m_context.ShowStatus(StatusPanel::Operation, QStringLiteral("Reset Default ok"));
        queryModule();
    } else {
        m_context.ShowStatus(StatusPanel::Operation, QStringLiteral("Reset Default failed"), true);
    }
}

// ---------------------------------------------------------------------------------------------
// Advanced controls and the setup file

void LanDevicePanel::setAdvanced(bool on)
{
    gbLANMode->setVisible(on);
    gbTCPModInfo->setVisible(on);
    gbResetDefault->setVisible(on);
    m_editLAN.ConfirmAdjustedValues = on;
}

void LanDevicePanel::replaceDevices(const QString &device, const QStringList &devices)
{
    const QString before = cbLANDevice->currentText();
    {
        const QSignalBlocker blocker(cbLANDevice);
        cbLANDevice->clear();
        cbLANDevice->addItems(devices);
        const int found = cbLANDevice->findText(device, Qt::MatchFixedString);
        cbLANDevice->setCurrentIndex(found >= 0 ? found : (cbLANDevice->count() > 0 ? 0 : -1));
    }
    if (cbLANDevice->currentText() != before)
        cbLANDeviceChange();
}

// ---------------------------------------------------------------------------------------------
// Settings

void LanDevicePanel::applySettings(const AppSettings &settings)
{
    {
        // The selection step runs once, below, not for every item added.
        const QSignalBlocker blocker(cbLANDevice);
        cbLANDevice->clear();
        cbLANDevice->addItems(settings.devices);
        const int found = cbLANDevice->findText(settings.device, Qt::MatchFixedString);
        cbLANDevice->setCurrentIndex(found >= 0 ? found : (cbLANDevice->count() > 0 ? 0 : -1));
    }
    cbLANDeviceChange();
}

void LanDevicePanel::collectSettings(AppSettings &settings) const
{
    settings.device = cbLANDevice->currentText();
    settings.devices.clear();
    for (int i = 0; i < cbLANDevice->count(); ++i)
        settings.devices.append(cbLANDevice->itemText(i));
}
