// firmware merge and upload: the merged .fw file and sending it to the switcher.

#include "CommandTable.h"
#include "Confirm.h"
#include "ExitCodes.h"
#include "Matrixctl.h"
#include "Output.h"
#include "Session.h"

#include "firmware/FirmwareFile.h"
#include "firmware/FirmwareUpgrade.h"
#include "link/ByteSpan.h"
#include "shell/ShellContext.h"
#include "shell/TextLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSaveFile>

#include <array>

namespace {

/// The four images a merged file can hold, in the order they are merged.
struct PartOption
{
    const char *option;
    std::uint8_t kind;
    std::uint16_t number;
    const char *name; ///< as the desktop program's messages name it
};

constexpr std::array<PartOption, 4> Parts{{
    {"main", PartKindMain, 1, "Main MCU firmware"},
    {"slave", PartKindSlave, 1, "Slave MCU1 firmware"},
    {"ir", PartKindSlave, 2, "Slave MCU2 firmware"},
    {"panel", PartKindSlave, 3, "Slave MCU3 firmware"},
}};

const QString UpgradeDone = QStringLiteral("Firmware upgrade successfully!");

/// "1.2" (or "1") as the two version bytes; nothing for anything else.
std::optional<std::array<std::uint8_t, 2>> ParseVersion(const QString &text)
{
    const QStringList pieces = text.split(QLatin1Char('.'));
    if (pieces.size() > 2)
        return std::nullopt;
    std::array<std::uint8_t, 2> version{};
    for (int i = 0; i < pieces.size(); ++i) {
        bool ok = false;
        const int value = pieces[i].toInt(&ok, 10);
        if (!ok || value < 0 || value > 255)
            return std::nullopt;
        version[std::size_t(i)] = std::uint8_t(value);
    }
    return version;
}

/// Why a merged file cannot be sent: the first part that cannot be used.
QString FileProblem(const QByteArray &file)
{
    const std::vector<PartRead> parts = FirmwareFile::ReadParts(file);
    if (parts.empty())
        return QStringLiteral("no firmware part in it");
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const QString where = QStringLiteral("part ") + QString::number(i + 1);
        switch (parts[i].error) {
        case PartError::None:
            break;
        case PartError::TruncatedHeader:
            return where + QStringLiteral(": the header is cut short");
        case PartError::BadChecksum:
            return where + QStringLiteral(": wrong header checksum");
        case PartError::BadCommand:
            return where + QStringLiteral(": not a firmware part");
        case PartError::BadKind:
            return where + QStringLiteral(": unknown part kind");
        case PartError::ImageBeyondEnd:
            return where + QStringLiteral(": the image runs past the end of the file");
        case PartError::EmptyImage:
            return where + QStringLiteral(": empty image");
        }
    }
    return {};
}

QStringList PartNames(const QByteArray &file)
{
    QStringList names;
    for (const PartRead &part : FirmwareFile::ReadParts(file))
        names.append(part.part.name);
    return names;
}

} // namespace

int RunFirmwareMerge(CommandContext &context)
{
    QByteArray merged;
    std::vector<PartHeader> headers;
    QJsonArray parts;
    for (const PartOption &part : Parts) {
        const QString option = QLatin1String(part.option);
        if (!context.isSet(option))
            continue;
        const QString name = QLatin1String(part.name);
        const QString path = context.value(option).trimmed();
        const QString versionText = context.isSet(option + QStringLiteral("-version"))
                                        ? context.value(option + QStringLiteral("-version"))
                                        : QStringLiteral("0.0");
        const auto version = ParseVersion(versionText);
        if (!version)
            return context.usage(QStringLiteral("--") + option +
                                 QStringLiteral("-version: a version is V1.V2, each 0..255"));
        QFile image(path);
        if (!QFileInfo(path).isFile() || !image.open(QIODevice::ReadOnly))
            return context.out().fail(LinkFailures::BadInput,
                                      name + QStringLiteral(" file: ") + path +
                                          QStringLiteral(" does not exist"));
        const QByteArray bytes = image.readAll();
        context.out().note(name + QStringLiteral(": ") + path + QStringLiteral(" loaded"));
        const auto record = FirmwareFile::BuildPartRecord(part.kind, part.number, (*version)[0],
                                                          (*version)[1], ByteSpan(bytes));
        if (!record)
            return context.out().fail(LinkFailures::BadInput, path + QStringLiteral(": too large"));
        merged += *record;
        PartHeader header;
        header.kind = part.kind;
        header.partNumber = part.number;
        header.version1 = (*version)[0];
        header.version2 = (*version)[1];
        header.imageLength = std::uint32_t(bytes.size());
        headers.push_back(header);
        context.out().note(name + QStringLiteral(" merged, ver") + QString::number((*version)[0]) +
                           QLatin1Char('.') + QString::number((*version)[1]));
        parts.append(QJsonObject{{QStringLiteral("part"), header.partName()},
                                 {QStringLiteral("image"), path},
                                 {QStringLiteral("bytes"), int(bytes.size())}});
    }
    if (headers.empty())
        return context.usage(QStringLiteral("give at least one image: --main, --slave, --ir or "
                                            "--panel"));

    QString target = context.value(QStringLiteral("output"));
    if (target.isEmpty()) {
        const QString folder =
            context.env().workingDir.isEmpty() ? QDir::currentPath() : context.env().workingDir;
        target = FirmwareFile::MergedFileName(folder + QLatin1Char('/'), headers);
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(merged) != merged.size() || !file.commit())
        return context.out().fail(LinkFailures::BadInput,
                                  target + QStringLiteral(": ") + file.errorString());
    context.out().note(QStringLiteral("Firmware merged complete, save to file: ") + target);
    context.out().result({}, {{QStringLiteral("file"), target}, {QStringLiteral("parts"), parts}});
    return 0;
}

int RunFirmwareUpload(CommandContext &context)
{
    const QString path = context.argument(0);
    QFile source(path);
    if (!QFileInfo(path).isFile() || !source.open(QIODevice::ReadOnly))
        return context.out().fail(LinkFailures::BadInput, QStringLiteral("Firmware file: ") + path +
                                                              QStringLiteral(" does not exist"));
    const QByteArray file = source.readAll();
    source.close();
    // The whole file is checked before anything is sent: a bad part half-way would leave the
    // switcher with only some of its parts.
    if (const QString problem = FileProblem(file); !problem.isEmpty())
        return context.out().fail(LinkFailures::BadInput, QStringLiteral("Bad FW file! ") + path +
                                                              QStringLiteral(": ") + problem);
    const QStringList names = PartNames(file);

    int exitCode = 0;
    const std::optional<ConnectionTarget> target = context.target(exitCode);
    if (!target)
        return exitCode;
    if (!Confirmed(context,
                   QStringLiteral("Upload ") + names.join(QStringLiteral(", ")) +
                       QStringLiteral(" from ") + path + QStringLiteral(" to the switcher on ") +
                       target->where() + QStringLiteral(", then restart it?"),
                   QStringLiteral("yes"), exitCode))
        return exitCode;
    const std::unique_ptr<Session> session = context.connect(exitCode);
    if (!session)
        return exitCode;

    Output &out = context.out();
    ShellContext &shell = session->context();
    FirmwareUpgrade upgrade(shell);
    QObject::connect(&upgrade, &FirmwareUpgrade::progress, &upgrade,
                     [&out](const QString &caption, int value) { out.progress(caption, value); });
    // The restart line is refreshed in place many times; it is written once.
    QObject::connect(&shell.messages(), &TextLog::added, &upgrade,
                     [&out](const QString &line) { out.note(line); });
    bool declined = false;
    QObject::connect(&shell, &ShellContext::partWriteFailed, &upgrade,
                     [&declined] { declined = true; });
    upgrade.UpgradeFirmware(path);
    out.endProgress();

    if (shell.messages().lines().contains(UpgradeDone)) {
        out.result({}, {{QStringLiteral("file"), path},
                        {QStringLiteral("parts"), QJsonArray::fromStringList(names)},
                        {QStringLiteral("result"), QStringLiteral("done")}});
        return 0;
    }
    if (session->failed())
        return session->report(out);
    if (declined)
        return out.fail(LinkFailures::Refused, QStringLiteral("the switcher declined a part"));
    return out.fail(LinkFailures::NoAnswer, shell.messages().last());
}
