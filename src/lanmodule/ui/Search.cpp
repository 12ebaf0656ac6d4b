#include "lanmodule/ui/Search.h"
#include "ui/WidgetNames.h"

#include "lanmodule/DeviceEntry.h"
#include "lanmodule/IPAddressText.h"
#include "lanmodule/ui/OctetField.h"
#include "link/KXCOMControl.h"
#include "ui/Dialogs.h"
#include "ui/KXGauge.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr QSize PanelSize{593, 169};
constexpr QPoint PanelPlace{8, 0};
constexpr QSize WindowSize{617, 204};
constexpr QSize SearchGaugeSize{220, 24};

QPushButton *button(const QString &caption, const char *name, QWidget *parent)
{
    return named(new QPushButton(caption, parent), name, caption);
}
} // namespace

TfrmSearch::TfrmSearch(Dialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Auto searching"));
    setAccessibleName(QStringLiteral("Search TCP control device"));
    // No title-bar buttons: the wizard is left only through the buttons of its steps.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(WindowSize);
    buildStep1();
    buildStep2();
    buildStep3();
    buildEndSteps();
    ShowStep(1);
}

QWidget *TfrmSearch::makePanel(int step, const QString &caption, QGroupBox **group)
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlStep") + QString::number(step));
    panel->setAccessibleName(caption);
    panel->setGeometry(QRect(PanelPlace, PanelSize));
    auto *box = new QGroupBox(caption, panel);
    box->setAccessibleName(caption);
    box->setGeometry(QRect(QPoint(0, 0), PanelSize));
    pnlSteps[std::size_t(step - 1)] = panel;
    *group = box;
    return panel;
}

void TfrmSearch::buildStep1()
{
    makePanel(1, QStringLiteral("Auto searching"), &gbStep1);
    gbStep1->setObjectName(QStringLiteral("gbStep1"));
    auto *layout = new QVBoxLayout(gbStep1);
    kxSearching =
        named(new TKXGauge(m_dialogs, gbStep1), "kxSearching", QStringLiteral("Search progress"));
    kxSearching->setTxtAlign(TKXGauge::ttaLEFT);
    kxSearching->setShowPercent(false);
    kxSearching->setCaption(QStringLiteral("Searching TCP control device ... |"));
    // The search gauge blends into its group: no visible frame, no white background.
    const QColor buttonFace = palette().color(QPalette::Button);
    kxSearching->setBackColor(buttonFace);
    kxSearching->setBorderColor(buttonFace);
    kxSearching->setFixedSize(SearchGaugeSize);
    btnStop = button(QStringLiteral("Stop"), "btnStop", gbStep1);
    layout->addWidget(kxSearching, 0, Qt::AlignLeft);
    layout->addWidget(btnStop, 0, Qt::AlignRight);
    connect(btnStop, &QPushButton::clicked, this, &TfrmSearch::btnStopClick);
}

void TfrmSearch::buildStep2()
{
    makePanel(2, QStringLiteral("Matrix found"), &gbStep2);
    gbStep2->setObjectName(QStringLiteral("gbStep2"));
    auto *layout = new QVBoxLayout(gbStep2);
    layout->addWidget(new QLabel(
        QStringLiteral("Matrix which you're searching for has been list in below box?"), gbStep2));
    cbMXDevice = named(new QComboBox(gbStep2), "cbMXDevice", QStringLiteral("Matrix found"));
    layout->addWidget(cbMXDevice);
    btnNo = button(QStringLiteral("No"), "btnNo", gbStep2);
    btnYES = button(QStringLiteral("Yes"), "btnYES", gbStep2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnNo);
    buttons->addWidget(btnYES);
    layout->addLayout(buttons);
    connect(btnNo, &QPushButton::clicked, this, &TfrmSearch::btnNoClick);
    connect(btnYES, &QPushButton::clicked, this, &TfrmSearch::btnYESClick);
}

void TfrmSearch::buildStep3()
{
    makePanel(3, QStringLiteral("Matrix not found after Auto searching"), &gbStep3);
    gbStep3->setObjectName(QStringLiteral("gbStep3"));
    auto *layout = new QVBoxLayout(gbStep3);
    layout->addWidget(
        new QLabel(QStringLiteral("Enter the IP address and get Matrix informations."), gbStep3));
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("IP address"), gbStep3));
    for (int tag = 1; tag <= 4; ++tag) {
        auto *field = new OctetField(tag, gbStep3);
        field->setObjectName(QStringLiteral("edtIPField") + QString::number(tag));
        field->setText(QStringLiteral("0"));
        connect(field, &OctetField::invalidNumber, this, [this](const QString &text) {
            m_dialogs.error(this, QStringLiteral("'") + text +
                                      QStringLiteral("' is not a valid integer value"));
        });
        edtIPFields[std::size_t(tag - 1)] = field;
        if (tag > 1)
            row->addWidget(new QLabel(QStringLiteral("."), gbStep3));
        row->addWidget(field);
    }
    row->addStretch();
    layout->addLayout(row);
    btnGO = button(QStringLiteral("Go"), "btnGO", gbStep3);
    btnClose = button(QStringLiteral("Close"), "btnClose", gbStep3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnGO);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
    connect(btnGO, &QPushButton::clicked, this, &TfrmSearch::btnGOClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmSearch::btnCloseClick);
}

void TfrmSearch::buildEndSteps()
{
    QGroupBox *group = nullptr;
    makePanel(4, QStringLiteral("Searching cancelled"), &group);
    auto *cancelled = new QVBoxLayout(group);
    cancelled->addWidget(
        new QLabel(QStringLiteral("Searching TCP control device has been cancelled."), group));
    btnStopThenClose = button(QStringLiteral("Close"), "btnStopThenClose", group);
    cancelled->addWidget(btnStopThenClose, 0, Qt::AlignRight);
    connect(btnStopThenClose, &QPushButton::clicked, this, &TfrmSearch::btnStopThenCloseClick);

    makePanel(5, QStringLiteral("Searching complete"), &group);
    auto *found = new QVBoxLayout(group);
    found->addWidget(new QLabel(QStringLiteral("Matrix found list as below."), group));
    cbMXDevice1 = named(new QComboBox(group), "cbMXDevice1", QStringLiteral("Matrix found"));
    found->addWidget(cbMXDevice1);
    btnDone = button(QStringLiteral("Done"), "btnDone", group);
    found->addWidget(btnDone, 0, Qt::AlignRight);
    connect(btnDone, &QPushButton::clicked, this, &TfrmSearch::btnDoneClick);

    makePanel(6, QStringLiteral("Searching complete"), &group);
    auto *none = new QVBoxLayout(group);
    none->addWidget(new QLabel(QStringLiteral("No Matrix found."), group));
    btnCloseOfEnd = button(QStringLiteral("Close"), "btnCloseOfEnd", group);
    none->addWidget(btnCloseOfEnd, 0, Qt::AlignRight);
    connect(btnCloseOfEnd, &QPushButton::clicked, this, &TfrmSearch::btnCloseOfEndClick);
}

void TfrmSearch::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (parentWidget())
        move(parentWidget()->window()->geometry().center() - rect().center());
    FormShow();
}

void TfrmSearch::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    // The search runs after the activation has been handled, so the window is drawn first.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && AutoSearch)
        QMetaObject::invokeMethod(
            this, [this] { FormActivate(); }, Qt::QueuedConnection);
}

void TfrmSearch::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void TfrmSearch::keyPressEvent(QKeyEvent *event)
{
    // Esc would close the window past its steps.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::optional<QStringList> TfrmSearch::search(TKXCOMControl &link)
{
    FoundDevices.clear();
    attach(link);
    if (m_dialogs.showModal(this) != QDialog::Accepted)
        return std::nullopt;
    return FoundDevices;
}

void TfrmSearch::FormShow()
{
    for (QWidget *panel : pnlSteps)
        panel->move(PanelPlace);
    setFixedSize(WindowSize);
    AutoSearch = true;
    ShowStep(1);
}

void TfrmSearch::FormActivate()
{
    if (!AutoSearch || !m_link)
        return;
    AutoSearch = false;
    SearchCancelled = false;
    cbMXDevice->clear();
    FoundDevices.clear();
    if (m_link->SearchDevices()) {
        for (int i = 1; i <= m_link->DeviceCount(); ++i) {
            FoundDevices.append(
                DeviceEntry::Make(m_link->GetDeviceItem(i, 6),
                                  DeviceEntry::ModeOfDhcpItem(m_link->GetDeviceItem(i, 7)),
                                  m_link->GetDeviceItem(i, 1), m_link->GetDeviceItem(i, 0),
                                  DeviceEntry::SubnetText(false)));
        }
        fillList(cbMXDevice, FoundDevices);
        ShowStep(2);
    } else {
        ShowStep(SearchCancelled ? 4 : 3);
    }
}

void TfrmSearch::btnStopClick()
{
    if (m_link)
        m_link->setSearching(false);
    SearchCancelled = true;
}

void TfrmSearch::btnGOClick()
{
    if (!m_link)
        return;
    SearchCancelled = false;
    QStringList octets;
    for (OctetField *field : edtIPFields)
        octets.append(field->text());
    m_link->setDeviceIP(octets.join(QLatin1Char('.')));
    m_link->setUDPMode(umNORMAL);
    ShowStep(1);
    const int before = m_link->DeviceCount();
    if (m_link->SearchDevices()) {
        for (int i = before + 1; i <= m_link->DeviceCount(); ++i) {
            const QString base =
                DeviceEntry::MakeBase(m_link->GetDeviceItem(i, 6),
                                      DeviceEntry::ModeOfDhcpItem(m_link->GetDeviceItem(i, 7)),
                                      m_link->DeviceIP(), m_link->GetDeviceItem(i, 0));
            const QString same = DeviceEntry::WithSubnet(base, DeviceEntry::SubnetText(false));
            if (!FoundDevices.contains(same, Qt::CaseInsensitive))
                FoundDevices.append(DeviceEntry::WithSubnet(base, DeviceEntry::SubnetText(true)));
        }
        fillList(cbMXDevice1, FoundDevices);
        ShowStep(5);
    } else if (SearchCancelled) {
        ShowStep(4);
    } else if (!FoundDevices.isEmpty()) {
        fillList(cbMXDevice1, FoundDevices);
        ShowStep(5);
    } else {
        ShowStep(6);
    }
}

void TfrmSearch::ShowStep(int step)
{
    if (step < 1 || step > 6)
        return;
    m_step = step;
    for (std::size_t i = 0; i < pnlSteps.size(); ++i)
        pnlSteps[i]->setVisible(int(i) + 1 == step);
    QString caption;
    QWidget *focus = nullptr;
    switch (step) {
    case 1:
        caption = AutoSearch ? QStringLiteral("Auto searching")
                             : QStringLiteral("Get Matrix informations");
        gbStep1->setTitle(caption);
        focus = btnStop;
        break;
    case 2:
        caption = QStringLiteral("Matrix found");
        focus = btnYES;
        break;
    case 3: {
        caption = QStringLiteral("Matrix not found after Auto searching");
        const auto octets =
            IPAddressText::SplitIPAddress(m_link ? m_link->GetLocalIP() : QString());
        for (std::size_t i = 0; i < 3; ++i)
            edtIPFields[i]->setText(octets ? (*octets)[i] : QString());
        edtIPFields[3]->setText(QStringLiteral("220"));
        focus = edtIPFields[3];
        break;
    }
    case 4:
        caption = QStringLiteral("Searching cancelled");
        focus = btnStopThenClose;
        break;
    case 5:
        caption = QStringLiteral("Searching complete");
        focus = btnDone;
        break;
    default:
        caption = QStringLiteral("Searching complete");
        focus = btnCloseOfEnd;
        break;
    }
    setWindowTitle(caption);
    focus->setFocus();
}

void TfrmSearch::SearchNotify(int code, qint64, qint64, const QString &text)
{
    if (code != NotifySearchText || m_step != 1)
        return;
    kxSearching->setCaption(text);
    kxSearching->repaint();
}

void TfrmSearch::fillList(QComboBox *list, const QStringList &entries)
{
    QStringList sorted = entries;
    sorted.sort(Qt::CaseInsensitive);
    list->clear();
    list->addItems(sorted);
    if (list->count() > 0)
        list->setCurrentIndex(0);
}
