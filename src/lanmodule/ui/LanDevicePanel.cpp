#include "lanmodule/ui/LanDevicePanel.h"

#include "lanmodule/DeviceEntry.h"
#include "lanmodule/IPAddressText.h"
#include "lanmodule/MACAddressText.h"
#include "lanmodule/ModuleRecords.h"
#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/EnterYes.h"
#include "lanmodule/ui/MACField.h"
#include "lanmodule/ui/OctetField.h"
#include "lanmodule/ui/Search.h"
#include "link/KXCOMControl.h"
#include "link/LanRecords.h"
#include "shell/ui/ConnectionPanel.h"
#include "shell/ui/MainWindow.h"
#include "ui/Dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

LanDevicePanel::LanDevicePanel(TForm1 &form) : QObject(&form), m_form(form)
{
    ConnectionPanel &controls = panel();
    // Only the operator's picks run the selection step; filling the list does not.
    connect(controls.cbLANDevice, &QComboBox::activated, this, &LanDevicePanel::cbLANDeviceChange);
    connect(controls.btnDeleteDevice, &QPushButton::clicked, this,
            &LanDevicePanel::btnDeleteDeviceClick);
    connect(controls.btnSearchDevice, &QPushButton::clicked, this,
            &LanDevicePanel::btnSearchDeviceClick);
    connect(controls.btnConfig, &QPushButton::clicked, this, &LanDevicePanel::btnConfigClick);
    connect(controls.btnQueryTCPModInfo, &QPushButton::clicked, this,
            &LanDevicePanel::btnQueryTCPModInfoClick);
    connect(controls.btnReset, &QPushButton::clicked, this, &LanDevicePanel::btnResetClick);

    m_form.hooks().cbLANDeviceChange = [this] { cbLANDeviceChange(); };
    m_form.hooks().SearchNotify = [this](qint64 wParam, qint64 lParam, const QString &text) {
        if (TfrmSearch *search = m_form.windows().frmSearch)
            search->SearchNotify(TfrmSearch::NotifySearchText, wParam, lParam, text);
    };
}

ConnectionPanel &LanDevicePanel::panel() const
{
    return *m_form.connection();
}

QComboBox &LanDevicePanel::devices() const
{
    return *panel().cbLANDevice;
}

void LanDevicePanel::btnSearchDeviceClick()
{
    TKXCOMControl *link = m_form.link();
    TfrmSearch *search = m_form.windows().frmSearch;
    if (!link || !search || link->Searching())
        return;
    if (link->Connected())
        m_form.btnConnectClick();
    m_form.ShowStatus(2, QStringLiteral("Searching TCP control device ..."));
    m_form.ShowStatus(3, QString());
    link->setUDPMode(umBROADCAST);
    link->DeviceList.clear();
    search->FoundDevices.clear();
    search->attach(*link);

    if (m_form.dialogs().showModal(search) == QDialog::Accepted) {
        QComboBox &list = devices();
        QString lastAdded;
        for (const QString &entry : std::as_const(search->FoundDevices)) {
            bool known = false;
            for (int i = 0; i < list.count() && !known; ++i)
                known = DeviceEntry::SameEntry(list.itemText(i), entry);
            if (!known) {
                list.addItem(entry);
                lastAdded = entry;
            }
        }
        if (!lastAdded.isEmpty())
            list.setCurrentIndex(
                list.findText(lastAdded, Qt::MatchExactly | Qt::MatchCaseSensitive));
        cbLANDeviceChange();
        m_form.ShowStatus(2, QStringLiteral("Search TCP control device ok"));
    } else {
        m_form.ShowStatus(2, QStringLiteral("Search TCP control device cancelled"));
    }
    m_form.ShowStatus(3, QString());
    if (!panel().rbLANMode->isChecked())
        m_form.ShowStatus(2, QString());
}

void LanDevicePanel::cbLANDeviceChange()
{
    m_form.ClearPortTags();
    TKXCOMControl *link = m_form.link();
    if (!link)
        return;
    if (link->Connected())
        m_form.btnConnectClick();
    const QComboBox &list = devices();
    if (list.currentIndex() < 0) {
        m_form.CurrentDeviceMAC = QString::fromLatin1(DeviceEntry::NoMACText);
        link->setDeviceIP(QString::fromLatin1(DeviceEntry::NoIPText));
    } else {
        const QString entry = list.currentText();
        m_form.CurrentDeviceMAC = DeviceEntry::GetEntryField(entry, DeviceEntry::MAC);
        link->setDeviceIP(DeviceEntry::GetEntryField(entry, DeviceEntry::IP));
    }
    m_form.LoadPortTags(link->ControlMode(), m_form.CurrentDeviceMAC);
}

void LanDevicePanel::btnDeleteDeviceClick()
{
    QComboBox &list = devices();
    const int index = list.currentIndex();
    if (index < 0)
        return;
    const QString entry = list.currentText();
    if (!m_form.dialogs().confirm(&m_form, QStringLiteral("Sure to delete device: ") + entry +
                                               QStringLiteral(" ?")))
        return;
    list.removeItem(index);
    list.setCurrentIndex(index < list.count() ? index : list.count() - 1);
    list.update();
    cbLANDeviceChange();
}

void LanDevicePanel::btnConfigClick()
{
    TKXCOMControl *link = m_form.link();
    TfrmEditLAN *dialog = m_form.windows().frmEditLAN;
    QComboBox &list = devices();
    if (!link || !dialog)
        return;
    if (list.currentIndex() < 0) {
        m_form.dialogs().information(&m_form, QStringLiteral("TCP control deivce not found."));
        return;
    }
    const int index = list.currentIndex();
    if (link->Connected())
        m_form.btnConnectClick();
    m_form.ShowStatus(2, QString());
    m_form.ShowStatus(3, QString());

    const QString entry = list.itemText(index);
    dialog->leDeviceTag->setText(DeviceEntry::GetEntryField(entry, DeviceEntry::Tag));
    const bool dhcp = DeviceEntry::GetEntryField(entry, DeviceEntry::Mode) !=
                      QLatin1String(DeviceEntry::StaticIPText);
    (dhcp ? dialog->rbDHCP : dialog->rbStaticIP)->setChecked(true);
    const auto octets =
        IPAddressText::SplitIPAddress(DeviceEntry::GetEntryField(entry, DeviceEntry::IP));
    for (std::size_t i = 0; i < 4; ++i)
        dialog->edtIPFields[i]->setText(octets ? (*octets)[i] : QString());
    const auto mac = MACAddressText::SplitMACAddress(m_form.CurrentDeviceMAC);
    for (std::size_t i = 0; i < 6; ++i)
        dialog->edtMACFields[i]->setText(mac ? (*mac)[i] : QString());
    dialog->SetMACEditable(false);
    dialog->CheckMACInUse = false;
    const bool sameSubnet = DeviceEntry::GetEntryField(entry, DeviceEntry::Subnet) ==
                            QLatin1String(DeviceEntry::SameSubnetText);
    dialog->SetAddressControlsEnabled(sameSubnet);

    if (m_form.dialogs().showModal(dialog) != QDialog::Accepted) {
        m_form.ShowStatus(2, QStringLiteral("Modify TCP configuration cancelled"));
        return;
    }

    m_form.UpdateModeControls(link->ControlMode(), true);
    m_form.ShowStatus(2, QStringLiteral("Setting TCP control configuration ..."));
    ModuleRecords::ConfigChoice choice;
    choice.mac = m_form.CurrentDeviceMAC;
    choice.tag = dialog->leDeviceTag->text();
    choice.sameSubnet = sameSubnet;
    choice.autoIP = dialog->rbDHCP->isChecked();
    for (std::size_t i = 0; i < 4; ++i)
        choice.octets[i] = dialog->edtIPFields[i]->text().toInt();
    const int result = link->ConfigureDevice(ModuleRecords::BuildConfigRecord(choice));
    link->Delay(2);

    if (result == 0) {
        m_form.ShowStatus(2, QString());
        m_form.ShowStatus(2, QStringLiteral("Modify TCP configuration ok"));
        const QString updated = DeviceEntry::Make(
            LanRecords::SafeTag(dialog->leDeviceTag->text()),
            DeviceEntry::ModeText(dialog->rbDHCP->isChecked()), dialog->GetIPText(),
            dialog->GetMACText(), DeviceEntry::SubnetText(!sameSubnet));
        // The list keeps its order: the rewritten entry may move, and stays selected.
        list.setItemText(index, updated);
        list.setCurrentIndex(list.findText(updated, Qt::MatchExactly | Qt::MatchCaseSensitive));
        cbLANDeviceChange();
    } else if (result == 2) {
        m_form.ShowStatus(2, QStringLiteral("Setting IP conflict:") + dialog->GetIPText(), true);
        m_form.ShowStatus(3, QString());
    } else {
        m_form.ShowStatus(2, QStringLiteral("Modify TCP configuration failed"), true);
        m_form.ShowStatus(3, QString());
    }
    m_form.UpdateModeControls(link->ControlMode(), false);
    if (panel().btnConfig->isEnabled() && m_form.pcContainer &&
        m_form.pcContainer->currentWidget() == m_form.tsGeneral)
        panel().btnConfig->setFocus();
}

bool LanDevicePanel::mayStartExchange()
{
    TKXCOMControl *link = m_form.link();
    if (m_form.flags().StopRequested || !link)
        return false;
    if (!link->Connected()) {
        m_form.btnConnectClick();
        if (!m_form.link() || !m_form.link()->Connected())
            return false;
    }
    if (!m_form.flags().CommandIdle) {
        m_form.ShowStatus(3, QStringLiteral("In processing, command ignored"));
        return false;
    }
    return true;
}

void LanDevicePanel::btnQueryTCPModInfoClick()
{
    if (!mayStartExchange())
        return;
    ConnectionPanel &controls = panel();
    m_form.flags().CommandIdle = false;
    controls.btnQueryTCPModInfo->setEnabled(false);
    m_form.ShowStatus(2, QStringLiteral("Query TCP Module information ..."));
    const auto bare = ModuleRecords::EmptyInfoTexts();
    controls.lblTCPVersion->setText(bare.version);
    controls.lblTCPDHCP->setText(bare.dhcp);
    controls.lblTCPIPAddr->setText(bare.address);

    TLDCDResult result;
    m_form.link()->SendLDCD(ModuleRecords::QueryRequest(), result);
    if (result.Success) {
        m_form.ShowStatus(2, QStringLiteral("Query TCP Module ok"));
        const auto info = ModuleRecords::InfoTexts(result.Reply);
        controls.lblTCPVersion->setText(info.version);
        controls.lblTCPDHCP->setText(info.dhcp);
        controls.lblTCPIPAddr->setText(info.address);
    } else {
        m_form.ShowStatus(2, QStringLiteral("Query TCP Module failed"), true);
    }
    controls.btnQueryTCPModInfo->setEnabled(true);
    m_form.EndExchange();
}

void LanDevicePanel::btnResetClick()
{
    TfrmEnterYes *confirm = m_form.windows().frmEnterYes;
    if (!confirm || !mayStartExchange())
        return;
    m_form.ShowStatus(2, QStringLiteral("Reset Default ..."));
    if (m_form.dialogs().showModal(confirm) != QDialog::Accepted) {
        m_form.ShowStatus(2, QStringLiteral("Reset Default cancelled"));
        m_form.ShowStatus(3, QString());
        return;
    }
    TKXCOMControl *link = m_form.link();
    if (!link || !link->Connected())
        return;
    m_form.flags().CommandIdle = false;
    TLDCDResult result;
    link->SendLDCD(ModuleRecords::ResetRequest(), result);
    if (result.Success) {
        m_form.ShowStatus(2, QStringLiteral("Reset Default ok"));
        m_form.flags().CommandIdle = true;
        btnQueryTCPModInfoClick();
    } else {
        m_form.ShowStatus(2, QStringLiteral("Reset Default failed"), true);
        m_form.flags().CommandIdle = true;
    }
    m_form.EndExchange();
}
