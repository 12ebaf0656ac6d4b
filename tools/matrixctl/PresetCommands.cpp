// preset list, apply and save: the desktop program's eight presets, in its Settings.ini.

#include "CommandTable.h"
#include "ExitCodes.h"
#include "Output.h"
#include "Session.h"
#include "shell/devicestatus/SwitcherQueries.h"

#include "shell/ShellContext.h"
#include "shell/presets/PresetFile.h"
#include "shell/presets/PresetRouting.h"
#include "shell/presets/PresetValue.h"
#include "shell/routing/RoutingController.h"

#include <QJsonArray>

namespace {

QJsonArray RoutingJson(const QStringList &routing)
{
    QJsonArray array;
    for (const QString &part : routing) {
        const std::optional<int> number = PresetValue::number(part);
        array.append(number ? QJsonValue(*number) : QJsonValue(part));
    }
    return array;
}

/// The preset a command line names: its number 1..8, or its name (letter case ignored).
int FindPreset(const QList<PresetRow> &presets, const QString &text)
{
    if (const std::optional<int> number = PortNumber(text);
        number && *number <= int(presets.size()))
        return *number;
    for (int n = 1; n <= int(presets.size()); ++n) {
        if (presets[n - 1].name.compare(text, Qt::CaseInsensitive) == 0)
            return n;
    }
    return 0;
}

} // namespace

int RunPresetList(CommandContext &context)
{
    int exitCode = 0;
    const AppSettings *desktop = context.desktop(exitCode);
    if (!desktop)
        return exitCode;
    QStringList lines;
    QJsonArray presets;
    const QList<PresetRow> &rows = desktop->presets;
    for (int n = 1; n <= int(rows.size()); ++n) {
        const PresetRow &row = rows[n - 1];
        const QStringList routing = row.routing.mid(0, PresetValue::RoutedOutputs);
        lines.append(QString::number(n) + QStringLiteral("  ") + PresetValue::join(routing) +
                     QStringLiteral("  ") + row.name);
        presets.append(QJsonObject{{QStringLiteral("number"), n},
                                   {QStringLiteral("name"), row.name},
                                   {QStringLiteral("routing"), RoutingJson(routing)}});
    }
    context.out().result(lines, {{QStringLiteral("presets"), presets}});
    return 0;
}

int RunPresetApply(CommandContext &context)
{
    int exitCode = 0;
    const AppSettings *desktop = context.desktop(exitCode);
    if (!desktop)
        return exitCode;
    const QList<PresetRow> presets = desktop->presets;
    const int number = FindPreset(presets, context.argument(0));
    if (number == 0)
        return context.usage(QStringLiteral("no preset ") + context.argument(0) +
                             QStringLiteral(" (matrixctl preset list)"));
    const PresetRow &preset = presets[number - 1];

    const std::unique_ptr<Session> session = context.connect(exitCode);
    if (!session)
        return exitCode;
    RoutingController routing(session->context());
    const QStringList skipped = ApplyPreset(routing, preset);
    if (routing.RoutingAborted)
        return session->report(context.out());
    if (!skipped.isEmpty())
        context.out().warn(SkippedOutputsText(preset.name, skipped));

    QStringList lines;
    QJsonArray routed;
    for (int output = 1; output <= PresetValue::RoutedOutputs; ++output) {
        const std::optional<int> input = PresetValue::routedInput(preset.routing.value(output - 1));
        if (!input)
            continue;
        lines.append(PortName(true, output) + QStringLiteral(": ") + PortName(false, *input));
        routed.append(
            QJsonObject{{QStringLiteral("output"), output}, {QStringLiteral("input"), *input}});
    }
    context.out().result(lines, {{QStringLiteral("preset"), number},
                                 {QStringLiteral("name"), preset.name},
                                 {QStringLiteral("routed"), routed},
                                 {QStringLiteral("skipped"), QJsonArray::fromStringList(skipped)}});
    return 0;
}

int RunPresetSave(CommandContext &context)
{
    const std::optional<int> number = PortNumber(context.argument(0));
    if (!number || *number > 8)
        return context.usage(QStringLiteral("the preset number is 1..8"));
    PresetRow preset{context.argument(1), {}};

    if (context.isSet(QStringLiteral("map"))) {
        const QStringList inputs = context.value(QStringLiteral("map")).split(QLatin1Char(','));
        for (const QString &input : inputs) {
            if (!PortNumber(input.trimmed()))
                return context.usage(QStringLiteral("--map: \"") + input +
                                     QStringLiteral("\" is not an input number"));
            preset.routing.append(input.trimmed());
        }
        if (preset.routing.size() != PresetValue::RoutedOutputs)
            return context.usage(QStringLiteral("--map needs the inputs of outputs 1..4"));
    } else {
        // The routing the switcher has now.
        int exitCode = 0;
        const std::unique_ptr<Session> session = context.connect(exitCode);
        if (!session)
            return exitCode;
        const std::optional<QList<int>> inputs =
            ReadRouting(session->gate(), PresetValue::RoutedOutputs);
        if (!inputs)
            return session->report(context.out());
        for (const int input : *inputs)
            preset.routing.append(QString::number(input));
    }

    const SettingsFileResult saved = SavePreset(context.desktopFile(), *number, preset);
    if (!saved.ok())
        return context.out().fail(LinkFailures::BadInput, saved.error);
    if (!saved.notice.isEmpty())
        context.out().warn(saved.notice);
    context.out().result({QString::number(*number) + QStringLiteral("  ") +
                          PresetValue::join(preset.routing) + QStringLiteral("  ") + preset.name},
                         {{QStringLiteral("preset"), *number},
                          {QStringLiteral("name"), preset.name},
                          {QStringLiteral("routing"), RoutingJson(preset.routing)},
                          {QStringLiteral("file"), context.settingsPath()}});
    return 0;
}
