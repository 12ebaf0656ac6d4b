#include "shell/presets/PresetFile.h"

#include "shell/presets/PresetValue.h"
#include "shell/settings/SettingsStore.h"

SettingsFileResult SavePreset(SharedIniFile &file, int number, const PresetRow &preset)
{
    return file.update([&](IniDocument &ini) {
        const PresetRow stored = SettingsStore::read(ini).presets.value(number - 1);
        PresetRow row = preset;
        row.routing += stored.routing.mid(PresetValue::RoutedOutputs);
        SettingsStore::writePreset(ini, number, row);
        return true;
    });
}
