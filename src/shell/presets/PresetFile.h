#pragma once

#include "shell/presets/PresetRow.h"
#include "shell/settings/SharedIniFile.h"

/// Writes preset `number` (1..8) into the settings file and nothing else, through the shared
/// writer: what the desktop program or another program wrote meanwhile stays. Parts of the
/// stored routing after the first four are kept.
SettingsFileResult SavePreset(SharedIniFile &file, int number, const PresetRow &preset);
