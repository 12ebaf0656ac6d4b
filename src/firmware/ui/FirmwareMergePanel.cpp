#include "firmware/ui/FirmwareMergePanel.h"
#include "link/ByteSpan.h"

#include "firmware/FirmwareFile.h"
#include "shell/ShellContext.h"
#include "shell/TextLog.h"
#include "ui/Dialogs.h"
#include "ui/LineEdits.h"

#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStyle>

#include <vector>

namespace {

const QString ImageFilter = QStringLiteral("FW binary file(*.bin)|*.bin");
constexpr int VersionLength = 3;

struct PartRow
{
    const char *caption;
    const char *pathName;
    const char *openName;
    int tag;
    const char *version1Name;
    const char *version1Label;
    const char *version2Name;
    const char *version2Label;
    std::uint8_t kind;
    std::uint16_t partNumber;
    const char *messageName;
};

// In file order: main, slave 1, slave 2 (IR), slave 3 (panel).
constexpr std::array<PartRow, 4> PartRows{{
    {"Open Main MCU FW", "edtMainMCUFW", "btnOpenMain", 1, "leMainFWVer1", "Main Ver1",
     "leMainFWVer2", "Main Ver2", PartKindMain, 1, "Main MCU firmware"},
    {"Open Slave MCU1 FW", "edtSlaveMCU1FW", "btnOpenSlave1", 11, "leSlave1FWVer1", "Slave Ver1",
     "leSlave1FWVer2", "Slave Ver2", PartKindSlave, 1, "Slave MCU1 firmware"},
    {"Open IR MCU2 FW", "edtSlaveMCU2FW", "btnOpenSlave2", 12, "leSlave2FWVer1", "IR Ver1",
     "leSlave2FWVer2", "IR Ver2", PartKindSlave, 2, "Slave MCU2 firmware"},
    {"Open Panel MCU3 FW", "edtSlaveMCU3FW", "btnOpenSlave3", 13, "leSlave3FWVer1", "Panel Ver1",
     "leSlave3FWVer2", "Panel Ver2", PartKindSlave, 3, "Slave MCU3 firmware"},
}};

template <typename T> T *Named(T *widget, const char *name, const QString &accessibleName)
{
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(accessibleName);
    return widget;
}

} // namespace

FirmwareMergePanel::FirmwareMergePanel(ShellContext &context, Dialogs &dialogs, QWidget *parent)
    : QGroupBox(QStringLiteral("Merge FW"), parent), m_context(context), m_dialogs(dialogs)
{
    Named(this, "gbMergeFW", QStringLiteral("Merge FW"));
    buildGroup();
}

void FirmwareMergePanel::showPathEnds()
{
    MoveCaretToEnd(m_parts[0].path);
    MoveCaretToEnd(m_parts[1].path);
}

void FirmwareMergePanel::buildGroup()
{
    auto *grid = new QGridLayout(this);
    int row = 0;
    for (std::size_t i = 0; i < PartRows.size(); ++i) {
        const PartRow &entry = PartRows[i];
        const QString caption = QLatin1String(entry.caption);
        PartControls &part = m_parts[i];

        auto *label = new QLabel(caption, this);
        part.path = Named(new QLineEdit(this), entry.pathName, caption);
        part.path->setProperty("Tag", entry.tag);
        label->setBuddy(part.path);
        part.open = Named(new QPushButton(this), entry.openName, caption);
        part.open->setProperty("Tag", entry.tag);
        part.open->setIcon(part.open->style()->standardIcon(QStyle::SP_DirOpenIcon));
        part.open->setToolTip(caption);
        if (i == 0) {
            connect(part.open, &QPushButton::clicked, this, &FirmwareMergePanel::btnOpenMainClick);
        } else {
            connect(part.open, &QPushButton::clicked, this,
                    [this, tag = entry.tag] { btnOpenSlave1Click(tag); });
        }

        auto versionField = [this](const char *name, const char *text, QLabel *&fieldLabel) {
            const QString caption = QLatin1String(text);
            auto *field = Named(new QLineEdit(this), name, caption);
            field->setMaxLength(VersionLength);
            field->installEventFilter(this);
            fieldLabel = new QLabel(caption, this);
            fieldLabel->setBuddy(field);
            return field;
        };
        QLabel *label1 = nullptr;
        QLabel *label2 = nullptr;
        part.version1 = versionField(entry.version1Name, entry.version1Label, label1);
        part.version2 = versionField(entry.version2Name, entry.version2Label, label2);

        grid->addWidget(label, row, 0, 1, 2);
        grid->addWidget(label1, row, 2);
        grid->addWidget(label2, row, 3);
        grid->addWidget(part.path, row + 1, 0);
        grid->addWidget(part.open, row + 1, 1);
        grid->addWidget(part.version1, row + 1, 2);
        grid->addWidget(part.version2, row + 1, 3);
        row += 2;
    }
    auto *btnMerge = Named(new QPushButton(QStringLiteral("&Merge"), this), "btnMerge",
                           QStringLiteral("Merge firmware"));
    connect(btnMerge, &QPushButton::clicked, this, &FirmwareMergePanel::MergeFirmware);
    grid->addWidget(btnMerge, row, 3);
}

void FirmwareMergePanel::choosePath(QLineEdit *field)
{
    const QString path = m_dialogs.openFile(window(), ImageFilter);
    if (path.isEmpty())
        return;
    field->setText(path);
    MoveCaretToEnd(field);
}

void FirmwareMergePanel::btnOpenMainClick()
{
    choosePath(m_parts[0].path);
}

void FirmwareMergePanel::btnOpenSlave1Click(int tag)
{
    for (const PartControls &part : m_parts) {
        if (part.open->property("Tag").toInt() == tag && tag != 1)
            return choosePath(part.path);
    }
}

bool FirmwareMergePanel::leMainFWVer1KeyPress(const QKeyEvent &event)
{
    if (event.key() == Qt::Key_Backspace)
        return false;
    const QString text = event.text();
    // Keys that type nothing (arrows, Home, Delete) are editing, not typing.
    if (text.isEmpty() || event.key() == Qt::Key_Delete)
        return false;
    return !(text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9'));
}

bool FirmwareMergePanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress)
        return leMainFWVer1KeyPress(*static_cast<QKeyEvent *>(event));
    return QGroupBox::eventFilter(watched, event);
}

void FirmwareMergePanel::message(const QString &line)
{
    m_context.messages().add(line);
}

void FirmwareMergePanel::MergeFirmware()
{
    QByteArray output;
    std::vector<PartHeader> merged;
    for (std::size_t i = 0; i < PartRows.size(); ++i) {
        const PartRow &entry = PartRows[i];
        const PartControls &part = m_parts[i];
        const QString name = QLatin1String(entry.messageName);
        const QString path = part.path->text().trimmed();
        part.path->setText(path);
        if (path.isEmpty())
            continue;
        if (!QFileInfo::exists(path)) {
            message(name + QStringLiteral(" file: ") + path + QStringLiteral(" does not exist"));
            continue;
        }
        QFile source(path);
        QByteArray image;
        bool readable = source.open(QIODevice::ReadOnly);
        if (readable) {
            image = source.readAll();
            readable = source.error() == QFileDevice::NoError;
        }
        if (!readable) {
            m_dialogs.error(window(), source.errorString());
            return;
        }
        message(name + QStringLiteral(": ") + path + QStringLiteral(" loaded"));

        const std::uint8_t version1 = ParseVersionByte(part.version1->text());
        const std::uint8_t version2 = ParseVersionByte(part.version2->text());
        part.version1->setText(QString::number(version1));
        part.version2->setText(QString::number(version2));
        const auto record = FirmwareFile::BuildPartRecord(entry.kind, entry.partNumber, version1,
                                                          version2, ByteSpan(image));
        if (!record) {
            m_dialogs.error(window(), path + QStringLiteral(": the image is too large"));
            return;
        }
        output += *record;
        message(name + QStringLiteral(" merged, ver") + QString::number(version1) +
                QLatin1Char('.') + QString::number(version2));

        PartHeader header;
        header.kind = entry.kind;
        header.partNumber = entry.partNumber;
        header.version1 = version1;
        header.version2 = version2;
        merged.push_back(header);
    }
    if (merged.empty())
        return;

    const QString fileName =
        FirmwareFile::MergedFileName(m_context.settingsLocation().appDir(), merged);
    if (QFileInfo::exists(fileName) &&
        !m_dialogs.confirm(window(), QStringLiteral("Firmware file: ") + fileName +
                                         QStringLiteral(" exists, overwrite it?"))) {
        message(QStringLiteral("Save canceled"));
        return;
    }
    if (save(fileName, output))
        message(QStringLiteral("Firmware merged complete, save to file: ") + fileName);
}

bool FirmwareMergePanel::save(const QString &fileName, const QByteArray &content)
{
    // Written beside the target and renamed over it only when complete, so a full disk or a
    // failing write never leaves a truncated firmware file behind.
    QSaveFile file(fileName);
    const bool saved =
        file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
    if (!saved) {
        m_dialogs.error(window(), file.errorString());
        return false;
    }
    return true;
}
