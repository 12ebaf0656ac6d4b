#pragma once

#include "shell/presets/PresetRow.h"

#include <QString>
#include <QStringList>

class RoutingController;

/// Applies a preset through the routing controller, output after output, and stops at the
/// first refused route. Returns the names of the outputs whose stored input names no input
/// (they are left as they are), e.g. "Output2".
QStringList ApplyPreset(RoutingController &routing, const PresetRow &preset);
/// The hint for skipped outputs: "Pre-Setting [Hall]: Output2 has no valid input, skipped".
QString SkippedOutputsText(const QString &presetName, const QStringList &skipped);
