#pragma once

#include "shell/settings/AppSettings.h"

class IniDocument;

/// The sections and keys of Settings.ini. Unknown keys and sections are left as they are.
namespace SettingsStore {

/// Reads the file's values; what is missing gets its default (eight presets always).
AppSettings read(const IniDocument &ini);
/// Writes the values in the file's order: warning, mode, port, device and device list, the
/// tags in use, presets, name vocabularies, EDID choices, tag display.
void write(IniDocument &ini, const AppSettings &settings);
/// Writes preset `number` (1..8): its name and its routing, nothing else.
void writePreset(IniDocument &ini, int number, const PresetRow &preset);

} // namespace SettingsStore
