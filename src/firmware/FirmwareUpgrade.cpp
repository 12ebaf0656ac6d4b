#include "firmware/FirmwareUpgrade.h"

#include "firmware/FirmwareLogging.h"
#include "link/ByteSpan.h"
#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/ShellTexts.h"
#include "shell/StatusBoard.h"
#include "shell/StatusTexts.h"
#include "shell/TextLog.h"

#include <QFile>
#include <QFileInfo>

FirmwareUpgrade::FirmwareUpgrade(ShellContext &context, QObject *parent)
    : QObject(parent), m_context(context)
{
    connect(&context, &ShellContext::partWriteFailed, this, [this] { m_partFailed = true; });
    connect(&context, &ShellContext::progress, this, [this](qint64 part, int value) {
        emit progress(StatusTexts::UpgradingPart(part), value);
    });
}

void FirmwareUpgrade::message(const QString &line)
{
    m_context.messages().add(line);
}

void FirmwareUpgrade::UpgradeFirmware(const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        message(QStringLiteral("Firmware file: ") + path + QStringLiteral(" does not exist"));
        return;
    }
    std::optional<ExchangeGuard> exchange = m_context.gate().tryBegin();
    if (!exchange)
        return;
    emit running(true);
    m_context.ShowStatus(StatusPanel::Hint, QString());

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
        const bool restart = sendParts(*exchange, file);
        file.clear();
        exchange.reset();
        if (restart && !m_context.flags().StopRequested)
            restartSwitcher();
    }
    // The page returns to idle on every path, also when the window is closing.
    if (TKXCOMControl *current = m_context.link())
        current->WriteStream.clear();
    exchange.reset();
    emit running(false);
}

bool FirmwareUpgrade::sendParts(const ExchangeGuard &exchange, const QByteArray &file)
{
    const auto bytes = ByteSpan(file);
    TKXCOMControl &link = exchange.link();
    std::size_t offset = 0;
    TCommandResult result;
    do {
        emit partStarted();
        m_context.resetProgress();
        m_partFailed = false;

        const PartRead read = FirmwareFile::ReadPart(bytes, offset);
        if (read.error != PartError::None) {
            message(partProblem(file, read));
            return false;
        }
        const FirmwarePart &part = read.part;
        link.WriteStream = part.image;
        offset = read.nextOffset;

        const QString upgrading = QStringLiteral("Upgrading ") + part.name + QStringLiteral(" ...");
        m_context.ShowStatus(StatusPanel::Operation, upgrading);
        message(upgrading);
        result = TCommandResult{};
        qCDebug(lcFirmware) << "sending" << part.name << part.image.size() << "bytes";
        if (part.header.kind == PartKindMain)
            link.WriteMainFirmware(part.startFrame, result);
        else
            link.WriteSlaveFirmware(part.startFrame, result);

        qCDebug(lcFirmware) << part.name << (result.Success ? "written" : "failed")
                            << (m_partFailed ? "(declined)" : "");
        if (result.Success) {
            if (m_partFailed) {
                m_context.ShowStatus(
                    StatusPanel::Operation,
                    QStringLiteral("Write ") + part.name + QStringLiteral(" failed"), true);
            } else {
                message(part.name + QStringLiteral(" upgrading complete"));
                m_context.ShowStatus(StatusPanel::Operation, ShellTexts::Done());
            }
        } else {
            const QString failed =
                QStringLiteral("Upgrading ") + part.name + QStringLiteral(" failed");
            message(failed);
            // Some failures (a restart that answers wrongly, say) come back without a
            // notification of their own: the progress text must not stay as if all went on.
            if (m_context.status().text(StatusPanel::Operation) == upgrading &&
                !m_context.flags().StopRequested)
                m_context.ShowStatus(StatusPanel::Operation, failed, true);
        }
    } while (offset < bytes.size() && result.Success && !m_context.flags().StopRequested);
    return result.Success && !m_partFailed;
}

QString FirmwareUpgrade::partProblem(const QByteArray &file, const PartRead &read)
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

void FirmwareUpgrade::restartSwitcher()
{
    TCommandResult result;
    m_context.gate().RunCommand(QStringLiteral("Reboot system ..."), Command::System,
                                SystemSub::Restart, SwitchOn, 0, result);
    // The command's own answer is not what counts: the switcher has to come back.
    if (m_context.flags().StopRequested || !m_context.link())
        return;
    result = TCommandResult{};
    {
        const ExchangeGuard waiting = m_context.gate().hold();
        waiting.link().RebootDevice(result);
    }
    if (result.Success) {
        message(QStringLiteral("Firmware upgrade successfully!"));
        m_context.ShowStatus(StatusPanel::Operation,
                             QStringLiteral("Firmware upgrade successfully"));
    }
}
