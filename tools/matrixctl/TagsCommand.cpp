// tags: the port tags the desktop program keeps for this switcher.

#include "CommandTable.h"
#include "Output.h"

#include "shell/porttags/PortTagStore.h"

#include <QJsonArray>

namespace {

QJsonArray TagsJson(const std::array<QString, PortTagSet::Ports> &tags)
{
    QJsonArray array;
    for (const QString &tag : tags)
        array.append(tag);
    return array;
}

} // namespace

int RunTags(CommandContext &context)
{
    int exitCode = 0;
    const std::optional<ConnectionTarget> target = context.target(exitCode);
    if (!target)
        return exitCode;
    const IniDocument *desktop = context.desktopIni(exitCode);
    if (!desktop)
        return exitCode;
    // A serial switcher has the COM set; a network switcher the set of its module's MAC.
    const TControlMode mode = target->mode;
    const PortTagSet tags = PortTagStore::load(*desktop, mode, target->mac);
    QStringList lines;
    for (const bool output : {false, true}) {
        const auto &set = output ? tags.outputs : tags.inputs;
        for (int port = 1; port <= PortTagSet::Ports; ++port) {
            const QString &tag = set[std::size_t(port - 1)];
            lines.append((output ? QStringLiteral("Output") : QStringLiteral("Input")) +
                         QString::number(port) + QLatin1Char(':') +
                         (tag.isEmpty() ? QString() : QLatin1Char(' ') + tag));
        }
    }
    const QString set =
        mode == cmCOM ? QStringLiteral("COM") : QStringLiteral("TCP:") + target->mac;
    context.out().result(lines, {{QStringLiteral("set"), set},
                                 {QStringLiteral("inputs"), TagsJson(tags.inputs)},
                                 {QStringLiteral("outputs"), TagsJson(tags.outputs)}});
    return 0;
}
