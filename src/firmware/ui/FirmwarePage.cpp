#include "firmware/ui/FirmwarePage.h"
#include "link/ByteSpan.h"

#include "firmware/ui/FirmwareMergePanel.h"
#include "firmware/ui/IrControl.h"
#include "firmware/ui/KXGauge.h"
#include "link/KXCOMControl.h"
#include "shell/ui/MainWindow.h"
#include "ui/Dialogs.h"

#include <QBoxLayout>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

constexpr int GaugeWidth = 361;
constexpr int GaugeHeight = 24;
const QString GaugeCaption = QStringLiteral("Upgrade progress");
const QString FirmwareFilter = QStringLiteral("Firmware file(*.fw)|*.fw");

} // namespace

FirmwarePage::FirmwarePage(TForm1 &form) : QObject(&form), m_form(form)
{
    setObjectName(QStringLiteral("FirmwarePage"));
    auto *column = new QWidget(form.tsFWUpgrade);
    column->setObjectName(QStringLiteral("pnlFirmware"));
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    buildUpgradeGroup(column);
    m_merge = new FirmwareMergePanel(form, column, this);
    layout->addWidget(gbFWUpgrade);
    layout->addWidget(m_merge->gbMergeFW);
    layout->addStretch(1);
    if (auto *page = qobject_cast<QBoxLayout *>(form.tsFWUpgrade->layout()))
        page->insertWidget(0, column);

    m_ir = new IrControl(form, form.tsIR, this);
}

void FirmwarePage::buildUpgradeGroup(QWidget *column)
{
    gbFWUpgrade = new QGroupBox(QStringLiteral("FW upgrade"), column);
    gbFWUpgrade->setObjectName(QStringLiteral("gbFWUpgrade"));
    gbFWUpgrade->setAccessibleName(QStringLiteral("FW upgrade"));
    auto *grid = new QGridLayout(gbFWUpgrade);

    auto *label = new QLabel(QStringLiteral("Open FW file"), gbFWUpgrade);
    label->setObjectName(QStringLiteral("lblFWFile"));
    edtFWFile = new QLineEdit(gbFWUpgrade);
    edtFWFile->setObjectName(QStringLiteral("edtFWFile"));
    edtFWFile->setAccessibleName(QStringLiteral("Open FW file"));
    label->setBuddy(edtFWFile);

    btnOpenFW = new QPushButton(gbFWUpgrade);
    btnOpenFW->setObjectName(QStringLiteral("btnOpenFW"));
    btnOpenFW->setIcon(btnOpenFW->style()->standardIcon(QStyle::SP_DirOpenIcon));
    btnOpenFW->setAccessibleName(QStringLiteral("Choose firmware file"));
    btnOpenFW->setToolTip(QStringLiteral("Choose firmware file"));
    connect(btnOpenFW, &QPushButton::clicked, this, &FirmwarePage::btnOpenFWClick);

    kxgFWProgress = new TKXGauge(m_form.dialogs(), gbFWUpgrade);
    kxgFWProgress->setObjectName(QStringLiteral("kxgFWProgress"));
    kxgFWProgress->setAccessibleName(GaugeCaption);
    kxgFWProgress->setFixedSize(GaugeWidth, GaugeHeight);
    kxgFWProgress->setCaption(GaugeCaption);

    btnUpgrade = new QPushButton(QStringLiteral("&Upgrade"), gbFWUpgrade);
    btnUpgrade->setObjectName(QStringLiteral("btnUpgrade"));
    btnUpgrade->setAccessibleName(QStringLiteral("Upgrade firmware"));
    connect(btnUpgrade, &QPushButton::clicked, this, &FirmwarePage::UpgradeFirmware);

    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(edtFWFile, 1, 0);
    grid->addWidget(btnOpenFW, 1, 1);
    grid->addWidget(kxgFWProgress, 2, 0);
    grid->addWidget(btnUpgrade, 2, 1);
}

void FirmwarePage::btnOpenFWClick()
{
    const QString path = m_form.dialogs().openFile(&m_form, FirmwareFilter);
    if (path.isEmpty())
        return;
    edtFWFile->setText(path);
    TForm1::MoveCaretToEnd(edtFWFile);
}

void FirmwarePage::message(const QString &line)
{
    m_form.addMessageLine(line);
}

void FirmwarePage::UpgradeFirmware()
{
    const QString path = edtFWFile->text();
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        message(QStringLiteral("Firmware file: ") + path + QStringLiteral(" does not exist"));
        return;
    }
    ProgramFlags &flags = m_form.flags();
    if (flags.StopRequested || !m_form.link())
        return;
    if (!m_form.link()->Connected()) {
        m_form.btnConnectClick();
        if (!m_form.link() || !m_form.link()->Connected())
            return;
    }
    if (!flags.CommandIdle) {
        m_form.ShowStatus(3, QStringLiteral("In processing, command ignored"));
        return;
    }

    btnUpgrade->setEnabled(false);
    m_form.ShowStatus(3, QString());
    flags.CommandIdle = false;

    QByteArray file;
    bool readable = false;
    {
        QFile source(path);
        if (source.open(QIODevice::ReadOnly)) {
            file = source.readAll();
            readable = source.error() == QFileDevice::NoError;
        }
        if (!readable) {
            message(QStringLiteral("Firmware file: ") + path + QStringLiteral(" cannot be read: ") +
                    source.errorString());
        }
    }
    if (readable) {
        const bool restart = sendParts(file);
        file.clear();
        flags.CommandIdle = true;
        if (restart && !flags.StopRequested)
            restartSwitcher();
    }

    // The page returns to idle on every path, also when the window is closing; EndExchange
    // also clears panel 3 and lets a closing window release the link.
    flags.CommandIdle = true;
    btnUpgrade->setEnabled(true);
    if (TKXCOMControl *link = m_form.link())
        link->WriteStream.clear();
    m_form.EndExchange();
}

bool FirmwarePage::sendParts(const QByteArray &file)
{
    const auto bytes = ByteSpan(file);
    ProgramFlags &flags = m_form.flags();
    std::size_t offset = 0;
    TCommandResult result;
    do {
        kxgFWProgress->setCaption(GaugeCaption);
        kxgFWProgress->setProgress(0);
        m_form.LastProgress = 0;
        m_form.UpgradeFailed = false;

        const PartRead read = FirmwareFile::ReadPart(bytes, offset);
        if (read.error != PartError::None) {
            message(partProblem(file, read));
            return false;
        }
        const FirmwarePart &part = read.part;
        TKXCOMControl *link = m_form.link();
        link->WriteStream = part.image;
        offset = read.nextOffset;

        const QString upgrading = QStringLiteral("Upgrading ") + part.name + QStringLiteral(" ...");
        m_form.ShowStatus(2, upgrading);
        message(upgrading);
        result = TCommandResult{};
        if (part.header.kind == PartKindMain)
            link->WriteMainFirmware(part.startFrame, result);
        else
            link->WriteSlaveFirmware(part.startFrame, result);

        if (result.Success) {
            if (m_form.UpgradeFailed) {
                m_form.ShowStatus(
                    2, QStringLiteral("Write ") + part.name + QStringLiteral(" failed"), true);
            } else {
                message(part.name + QStringLiteral(" upgrading complete"));
                m_form.ShowStatus(2, QStringLiteral("Done"));
            }
        } else {
            message(QStringLiteral("Upgrading ") + part.name + QStringLiteral(" failed"));
        }
    } while (offset < bytes.size() && result.Success && !flags.StopRequested);
    return result.Success && !m_form.UpgradeFailed;
}

QString FirmwarePage::partProblem(const QByteArray &file, const PartRead &read)
{
    switch (read.error) {
    case PartError::None:
        return {};
    case PartError::TruncatedHeader:
    case PartError::BadChecksum:
        return QStringLiteral("Bad FW file!");
    default:
        break;
    }
    // The header itself is intact here, so its fields can name the part.
    const auto bytes = ByteSpan(file).subspan(read.offset).first<PartHeaderSize>();
    const PartHeader header = PartHeader::fromBytes(bytes);
    const QString name = header.partName();
    switch (read.error) {
    case PartError::ImageBeyondEnd:
        return QStringLiteral("Bad FW file! ") + name + QStringLiteral(" needs ") +
               QString::number(header.imageLength) + QStringLiteral(" image bytes, only ") +
               QString::number(file.size() - qsizetype(read.offset + PartHeaderSize)) +
               QStringLiteral(" remain");
    case PartError::BadCommand:
        return name + QStringLiteral(" is not a firmware part, not sent");
    case PartError::BadKind:
        return name + QStringLiteral(" has an unknown part kind ") + QString::number(header.kind) +
               QStringLiteral(", not sent");
    case PartError::EmptyImage:
        return name + QStringLiteral(" has an empty image, not sent");
    default:
        return QStringLiteral("Bad FW file!");
    }
}

void FirmwarePage::restartSwitcher()
{
    TCommandResult result;
    m_form.RunCommand(QStringLiteral("Reboot system ..."), 0x80, 0x02, 0x000F, 0, 0, 0, result);
    ProgramFlags &flags = m_form.flags();
    // The command's own answer is not what counts: the switcher has to come back.
    TKXCOMControl *link = m_form.link();
    if (flags.StopRequested || !link)
        return;
    flags.CommandIdle = false;
    result = TCommandResult{};
    link->RebootDevice(result);
    flags.CommandIdle = true;
    if (result.Success) {
        message(QStringLiteral("Firmware upgrade successfully!"));
        m_form.ShowStatus(2, QStringLiteral("Firmware upgrade successfully"));
    }
}
