#include "shell/settings/SettingsFile.h"

#include "shell/settings/SettingsPart.h"
#include "shell/settings/SettingsStore.h"

SettingsFile::SettingsFile(SharedIniFile &file, QObject *parent) : QObject(parent), m_file(file) {}

void SettingsFile::addPart(SettingsPart &part)
{
    m_parts.push_back(&part);
}

SettingsFileResult SettingsFile::LoadSettings()
{
    const SettingsFileResult read = m_file.read();
    const AppSettings settings = SettingsStore::read(m_file.document());
    for (SettingsPart *part : m_parts)
        part->applySettings(settings);
    return read;
}

SettingsFileResult SettingsFile::SaveSettings()
{
    AppSettings settings;
    for (const SettingsPart *part : m_parts)
        part->collectSettings(settings);
    return m_file.update([&settings](IniDocument &ini) {
        SettingsStore::write(ini, settings);
        return true;
    });
}
