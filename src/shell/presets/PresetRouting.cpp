#include "shell/presets/PresetRouting.h"

#include "shell/presets/PresetValue.h"
#include "shell/routing/RoutingController.h"

QStringList ApplyPreset(RoutingController &routing, const PresetRow &preset)
{
    QStringList skipped;
    const RoutingController::Batch action(routing);
    routing.RoutingAborted = false;
    for (int n = 1; n <= PresetValue::RoutedOutputs; ++n) {
        // A hand-edited file, or an editor list left without a choice ("0"), can hold a
        // number that names no input: that output is left as it is.
        const std::optional<int> input = PresetValue::routedInput(preset.routing.value(n - 1));
        if (!input) {
            skipped.append(QStringLiteral("Output") + QString::number(n));
            continue;
        }
        routing.route(n, *input);
        if (routing.RoutingAborted)
            return {};
    }
    return skipped;
}

QString SkippedOutputsText(const QString &presetName, const QStringList &skipped)
{
    return QStringLiteral("Pre-Setting [") + presetName + QStringLiteral("]: ") +
           skipped.join(QStringLiteral(", ")) +
           (skipped.size() == 1 ? QStringLiteral(" has") : QStringLiteral(" have")) +
           QStringLiteral(" no valid input, skipped");
}
