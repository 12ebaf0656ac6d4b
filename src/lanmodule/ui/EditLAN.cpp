#include "lanmodule/ui/EditLAN.h"

#include "lanmodule/IPAddressText.h"
#include "lanmodule/MACAddressText.h"
#include "lanmodule/ui/MACField.h"
#include "lanmodule/ui/OctetField.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
const QString MACNotCorrect = QStringLiteral("MAC address not correct.");

QString Hex2(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}
} // namespace

TfrmEditLAN::TfrmEditLAN(Dialogs &dialogs, QRandomGenerator &random, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs), m_random(random)
{
    setObjectName(QStringLiteral("frmEditLAN"));
    setWindowTitle(QStringLiteral("TCP configuration"));
    setAccessibleName(QStringLiteral("TCP configuration"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    buildWindow();
    SetMACEditable(false);
}

void TfrmEditLAN::buildWindow()
{
    auto *group = new QGroupBox(QStringLiteral("Device information"), this);
    group->setAccessibleName(QStringLiteral("Device information"));
    auto *grid = new QGridLayout(group);

    auto *tagLabel = new QLabel(QStringLiteral("Device Tag"), group);
    leDeviceTag = new QLineEdit(group);
    leDeviceTag->setObjectName(QStringLiteral("leDeviceTag"));
    leDeviceTag->setAccessibleName(QStringLiteral("Device Tag"));
    leDeviceTag->setMaxLength(32);
    // The tag travels as single bytes and ends up in lists and the settings file: printable
    // ASCII only.
    leDeviceTag->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x20-\\x7E]{0,32}")), leDeviceTag));
    tagLabel->setBuddy(leDeviceTag);
    grid->addWidget(tagLabel, 0, 0);
    grid->addWidget(leDeviceTag, 0, 1, 1, 2);

    rbDHCP = new QRadioButton(QStringLiteral("Auto IP"), group);
    rbDHCP->setObjectName(QStringLiteral("rbDHCP"));
    rbDHCP->setAccessibleName(QStringLiteral("Auto IP"));
    rbDHCP->setProperty("Tag", 1);
    rbDHCP->setChecked(true);
    rbStaticIP = new QRadioButton(QStringLiteral("Static IP"), group);
    rbStaticIP->setObjectName(QStringLiteral("rbStaticIP"));
    rbStaticIP->setAccessibleName(QStringLiteral("Static IP"));
    rbStaticIP->setProperty("Tag", 0);
    grid->addWidget(rbDHCP, 1, 1);
    grid->addWidget(rbStaticIP, 1, 2);
    connect(rbDHCP, &QRadioButton::clicked, this, [this] { rbDHCPClick(rbDHCP); });
    connect(rbStaticIP, &QRadioButton::clicked, this, [this] { rbDHCPClick(rbStaticIP); });

    lblIPAddr = new QLabel(QStringLiteral("IP address"), group);
    lblIPAddr->setObjectName(QStringLiteral("lblIPAddr"));
    auto *ipRow = new QHBoxLayout;
    for (int tag = 1; tag <= 4; ++tag) {
        auto *field = new OctetField(tag, group);
        field->setObjectName(QStringLiteral("edtIPField") + QString::number(tag));
        field->setText(QStringLiteral("255"));
        field->setEnabled(false);
        connect(field, &OctetField::invalidNumber, this, [this](const QString &text) {
            m_dialogs.error(this, QStringLiteral("'") + text +
                                      QStringLiteral("' is not a valid integer value"));
        });
        if (tag > 1) {
            auto *dot = new QLabel(QStringLiteral("."), group);
            m_ipDots[std::size_t(tag - 2)] = dot;
            ipRow->addWidget(dot);
        }
        ipRow->addWidget(field);
        edtIPFields[std::size_t(tag - 1)] = field;
    }
    ipRow->addStretch();
    lblIPSep = m_ipDots[0];
    lblIPSep->setObjectName(QStringLiteral("lblIPSep"));
    grid->addWidget(lblIPAddr, 2, 0);
    grid->addLayout(ipRow, 2, 1, 1, 2);

    lblMAC = new QLabel(QStringLiteral("MAC"), group);
    lblMAC->setObjectName(QStringLiteral("lblMAC"));
    auto *macRow = new QHBoxLayout;
    for (int tag = 1; tag <= 6; ++tag) {
        auto *field = new MACField(tag, group);
        field->setObjectName(QStringLiteral("edtMACField") + QString::number(tag));
        field->setText(QStringLiteral("00"));
        connect(field, &MACField::doubleClicked, this, &TfrmEditLAN::edtMACField1DblClick);
        if (tag > 1) {
            auto *dash = new QLabel(QStringLiteral("-"), group);
            if (tag == 2) {
                lblMACSep = dash;
                lblMACSep->setObjectName(QStringLiteral("lblMACSep"));
            }
            macRow->addWidget(dash);
        }
        macRow->addWidget(field);
        edtMACFields[std::size_t(tag - 1)] = field;
    }
    macRow->addStretch();
    grid->addWidget(lblMAC, 3, 0);
    grid->addLayout(macRow, 3, 1, 1, 2);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAccessibleName(QStringLiteral("OK"));
    btnOK->setDefault(true);
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAccessibleName(QStringLiteral("Close"));
    connect(btnOK, &QPushButton::clicked, this, &TfrmEditLAN::btnOKClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmEditLAN::btnCloseClick);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    // The dialog sees every key before its fields do (Up generates a MAC, Esc cancels).
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

void TfrmEditLAN::SetMACEditable(bool editable)
{
    for (MACField *field : edtMACFields) {
        field->setReadOnly(!editable);
        // A field that cannot be edited shows the button face, as labels do.
        QPalette colours = QApplication::palette(field);
        if (!editable)
            colours.setColor(QPalette::Base, colours.color(QPalette::Button));
        field->setPalette(colours);
    }
}

void TfrmEditLAN::SetAddressControlsEnabled(bool enabled)
{
    for (QWidget *control : {static_cast<QWidget *>(rbDHCP), static_cast<QWidget *>(rbStaticIP),
                             static_cast<QWidget *>(lblIPAddr)})
        control->setEnabled(enabled);
    for (OctetField *field : edtIPFields)
        field->setEnabled(enabled);
    for (QLabel *dot : m_ipDots)
        dot->setEnabled(enabled);
}

bool TfrmEditLAN::MACEditable() const
{
    return !edtMACFields[0]->isReadOnly();
}

QString TfrmEditLAN::GetMACText() const
{
    QStringList parts;
    for (const MACField *field : edtMACFields)
        parts.append(field->text());
    return parts.join(QLatin1Char('-'));
}

QString TfrmEditLAN::GetIPText() const
{
    QStringList parts;
    for (const OctetField *field : edtIPFields)
        parts.append(field->text());
    return parts.join(QLatin1Char('.'));
}

void TfrmEditLAN::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (parentWidget())
        move(parentWidget()->window()->geometry().center() - rect().center());
    FormShow();
}

void TfrmEditLAN::FormShow()
{
    MACGenerationStopped = true;
}

void TfrmEditLAN::rbDHCPClick(QRadioButton *clicked)
{
    const bool fixed = clicked && clicked->property("Tag").toInt() == 0;
    for (OctetField *field : edtIPFields)
        field->setEnabled(fixed);
}

void TfrmEditLAN::showBit0Error()
{
    edtMACFields[0]->setFocus();
    m_dialogs.error(this, QStringLiteral("The bit0 of MAC first byte [") + edtMACFields[0]->text() +
                              QStringLiteral("] CAN NOT be 1, please change."));
}

std::optional<LanDeviceForm> TfrmEditLAN::edit(const LanDeviceForm &current)
{
    leDeviceTag->setText(current.tag);
    (current.dhcp ? rbDHCP : rbStaticIP)->setChecked(true);
    const auto octets = IPAddressText::SplitIPAddress(current.ip);
    for (std::size_t i = 0; i < edtIPFields.size(); ++i)
        edtIPFields[i]->setText(octets ? (*octets)[i] : QString());
    const auto mac = MACAddressText::SplitMACAddress(current.mac);
    for (std::size_t i = 0; i < edtMACFields.size(); ++i)
        edtMACFields[i]->setText(mac ? (*mac)[i] : QString());
    SetMACEditable(false);
    CheckMACInUse = false;
    SetAddressControlsEnabled(current.addressEditable);
    if (m_dialogs.showModal(this) != QDialog::Accepted)
        return std::nullopt;

    LanDeviceForm chosen = current;
    chosen.tag = leDeviceTag->text();
    chosen.dhcp = rbDHCP->isChecked();
    chosen.ip = GetIPText();
    for (std::size_t i = 0; i < edtIPFields.size(); ++i)
        chosen.octets[i] = edtIPFields[i]->text().toInt();
    chosen.mac = GetMACText();
    return chosen;
}

bool TfrmEditLAN::clampConfirmed()
{
    QStringList typed;
    for (OctetField *field : edtIPFields) {
        typed.append(field->typedText());
        field->clamp();
    }
    if (!ConfirmAdjustedValues)
        return true;
    QStringList notes;
    const QString sent = GetIPText();
    const bool addressSent = rbStaticIP->isChecked() && edtIPFields[0]->isEnabled();
    if (addressSent && typed.join(QLatin1Char('.')) != sent)
        notes << typed.join(QLatin1Char('.')) + QStringLiteral(" will be sent as ") + sent;
    if (leDeviceTag->text().isEmpty())
        notes << QStringLiteral("The device tag is empty and will be sent empty");
    if (notes.isEmpty())
        return true;
    return m_dialogs.confirm(this, notes.join(QLatin1Char('\n')) +
                                       QStringLiteral("\n\nSend this configuration?"));
}

void TfrmEditLAN::btnOKClick()
{
    if (!clampConfirmed())
        return;
    if (!MACEditable()) {
        done(Accepted);
        return;
    }
    const auto parts = MACAddressText::SplitMACAddress(GetMACText());
    if (!parts) {
        m_dialogs.error(this, MACNotCorrect);
        return;
    }
    for (std::size_t i = 0; i < parts->size(); ++i)
        edtMACFields[i]->setText((*parts)[i]);
    const auto bytes = MACAddressText::ParseMACAddress(GetMACText());
    if (bytes && ((*bytes)[0] & 0x01)) {
        showBit0Error();
        return;
    }
    if (CheckMACInUse && UsedMACs.contains(GetMACText(), Qt::CaseInsensitive)) {
        m_dialogs.error(this, QStringLiteral("MAC address [") + GetMACText() +
                                  QStringLiteral("] has been used, please change."));
        return;
    }
    done(Accepted);
}

void TfrmEditLAN::edtMACField1DblClick()
{
    if (!MACEditable())
        return;
    const auto bytes = MACAddressText::ParseMACAddress(GetMACText());
    if (!bytes) {
        m_dialogs.error(this, MACNotCorrect);
        return;
    }
    if (!CheckMACInUse)
        return;
    for (std::size_t i = 0; i < 3; ++i)
        edtMACFields[i]->setText(Hex2((*bytes)[i]));
    MACGenerationStopped = !MACGenerationStopped;
    // A second trigger while this runs flips the flag back and so ends the loop.
    while (!MACGenerationStopped) {
        QCoreApplication::processEvents();
        for (std::size_t i = 3; i < 6; ++i)
            edtMACFields[i]->setText(Hex2(int(m_random.bounded(256))));
        if (!UsedMACs.contains(GetMACText(), Qt::CaseInsensitive))
            break;
    }
    MACGenerationStopped = true;
    if ((*bytes)[0] & 0x01)
        showBit0Error();
}

bool TfrmEditLAN::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            done(Rejected);
            return true;
        }
        if (key == Qt::Key_Up) {
            edtMACField1DblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmEditLAN::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up) {
        edtMACField1DblClick();
        return;
    }
    QDialog::keyPressEvent(event);
}
