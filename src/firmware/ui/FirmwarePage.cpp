#include "firmware/ui/FirmwarePage.h"

#include "firmware/FirmwareUpgrade.h"
#include "firmware/ui/FirmwareMergePanel.h"
#include "shell/ShellContext.h"
#include "shell/TextLog.h"
#include "ui/Dialogs.h"
#include "ui/KXGauge.h"
#include "ui/LineEdits.h"
#include "ui/TextLogBinding.h"
#include "ui/WidgetNames.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int GaugeWidth = 361;
constexpr int GaugeHeight = 24;
const QString GaugeCaption = QStringLiteral("Upgrade progress");
const QString FirmwareFilter = QStringLiteral("Firmware file(*.fw)|*.fw");

} // namespace

FirmwarePage::FirmwarePage(ShellContext &context, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_context(context), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FirmwarePage"));
    m_upgrade = new FirmwareUpgrade(context, this);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *column = new QWidget(this);
    column->setObjectName(QStringLiteral("pnlFirmware"));
    auto *columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->addWidget(buildUpgradeGroup());
    m_merge = new FirmwareMergePanel(context, dialogs, column);
    columnLayout->addWidget(m_merge);
    columnLayout->addStretch(1);
    layout->addWidget(column);
    layout->addWidget(buildMessagesGroup());

    connect(m_upgrade, &FirmwareUpgrade::running, this,
            [this](bool on) { btnUpgrade->setEnabled(!on); });
    connect(m_upgrade, &FirmwareUpgrade::partStarted, this, [this] {
        kxgFWProgress->setCaption(GaugeCaption);
        kxgFWProgress->setProgress(0);
    });
    connect(m_upgrade, &FirmwareUpgrade::progress, this, &FirmwarePage::showProgress);
}

QWidget *FirmwarePage::buildUpgradeGroup()
{
    auto *group = named(new QGroupBox(QStringLiteral("FW upgrade"), this), "gbFWUpgrade",
                        QStringLiteral("FW upgrade"));
    auto *grid = new QGridLayout(group);

    auto *label = new QLabel(QStringLiteral("Open FW file"), group);
    label->setObjectName(QStringLiteral("lblFWFile"));
    edtFWFile = named(new QLineEdit(group), "edtFWFile", QStringLiteral("Open FW file"));
    label->setBuddy(edtFWFile);

    auto *btnOpenFW =
        named(new QPushButton(group), "btnOpenFW", QStringLiteral("Choose firmware file"));
    btnOpenFW->setIcon(btnOpenFW->style()->standardIcon(QStyle::SP_DirOpenIcon));
    btnOpenFW->setToolTip(QStringLiteral("Choose firmware file"));
    connect(btnOpenFW, &QPushButton::clicked, this, &FirmwarePage::btnOpenFWClick);

    kxgFWProgress = named(new TKXGauge(m_dialogs, group), "kxgFWProgress", GaugeCaption);
    kxgFWProgress->setFixedSize(GaugeWidth, GaugeHeight);
    kxgFWProgress->setCaption(GaugeCaption);

    btnUpgrade = named(new QPushButton(QStringLiteral("&Upgrade"), group), "btnUpgrade",
                       QStringLiteral("Upgrade firmware"));
    connect(btnUpgrade, &QPushButton::clicked, this, &FirmwarePage::UpgradeFirmware);

    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(edtFWFile, 1, 0);
    grid->addWidget(btnOpenFW, 1, 1);
    grid->addWidget(kxgFWProgress, 2, 0);
    grid->addWidget(btnUpgrade, 2, 1);
    return group;
}

QWidget *FirmwarePage::buildMessagesGroup()
{
    auto *group = named(new QGroupBox(QStringLiteral("Messages"), this), "gbMessages",
                        QStringLiteral("Messages"));
    auto *layout = new QVBoxLayout(group);
    mmoMessage = named(new QPlainTextEdit(group), "mmoMessage", QStringLiteral("Messages"));
    mmoMessage->setReadOnly(true);
    auto *Button1 = named(new QPushButton(QStringLiteral("&Clear"), group), "Button1",
                          QStringLiteral("Clear messages"));
    connect(Button1, &QPushButton::clicked, this, &FirmwarePage::Button1Click);
    layout->addWidget(mmoMessage);
    layout->addWidget(Button1, 0, Qt::AlignRight);
    ShowTextLog(mmoMessage, m_context.messages());
    return group;
}

void FirmwarePage::setMergeOffered(bool offered)
{
    m_merge->setEnabled(offered);
    m_merge->setVisible(offered);
}

void FirmwarePage::showPathEnds()
{
    MoveCaretToEnd(edtFWFile);
    m_merge->showPathEnds();
}

void FirmwarePage::btnOpenFWClick()
{
    const QString path = m_dialogs.openFile(window(), FirmwareFilter);
    if (path.isEmpty())
        return;
    edtFWFile->setText(path);
    MoveCaretToEnd(edtFWFile);
}

void FirmwarePage::UpgradeFirmware()
{
    m_upgrade->UpgradeFirmware(edtFWFile->text());
}

void FirmwarePage::Button1Click()
{
    m_context.messages().clear();
}

void FirmwarePage::showProgress(const QString &caption, int progress)
{
    // A new value repaints the gauge at once (with the new caption); only when the value
    // does not move does the caption need a paint of its own.
    const bool moves = kxgFWProgress->Progress() != progress;
    kxgFWProgress->setCaption(caption);
    if (!moves || !kxgFWProgress->setProgress(progress))
        kxgFWProgress->repaint();
}
