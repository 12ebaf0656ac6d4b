#pragma once

#include "shell/presets/PresetRow.h"

#include <QString>

/// Writes preset `number` (1..8) into the settings file at `path` and nothing else: the file
/// is read again right before, so whatever the desktop program or another matrixctl wrote
/// meanwhile stays. Parts of the stored routing after the first four are kept. False with the
/// reason in `error` when the file could not be read or written.
bool SavePreset(const QString &path, int number, const PresetRow &preset, QString *error);
