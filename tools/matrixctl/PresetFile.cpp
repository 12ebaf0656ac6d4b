#include "PresetFile.h"

#include "shell/IniDocument.h"
#include "shell/presets/PresetValue.h"
#include "shell/settings/SettingsStore.h"

bool SavePreset(const QString &path, int number, const PresetRow &preset, QString *error)
{
    // One load-change-save, written atomically; the place for a locking, merging writer.
    IniDocument ini;
    if (!ini.load(path, error))
        return false;
    const PresetRow stored = SettingsStore::read(ini).presets.value(number - 1);
    PresetRow row = preset;
    row.routing += stored.routing.mid(PresetValue::RoutedOutputs);
    SettingsStore::writePreset(ini, number, row);
    return ini.save(path, error);
}
