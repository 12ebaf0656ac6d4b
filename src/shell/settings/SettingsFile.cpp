#include "shell/settings/SettingsFile.h"

#include "shell/IniDocument.h"
#include "shell/settings/SettingsPart.h"
#include "shell/settings/SettingsStore.h"

SettingsFile::SettingsFile(const SettingsLocation &location, QObject *parent)
    : QObject(parent), m_location(location)
{
}

void SettingsFile::addPart(SettingsPart &part)
{
    m_parts.push_back(&part);
}

void SettingsFile::LoadSettings()
{
    IniDocument ini;
    ini.load(m_location.filePath());
    const AppSettings settings = SettingsStore::read(ini);
    for (SettingsPart *part : m_parts)
        part->applySettings(settings);
}

bool SettingsFile::SaveSettings()
{
    IniDocument ini;
    if (!ini.load(m_location.filePath()))
        return false;
    AppSettings settings;
    for (const SettingsPart *part : m_parts)
        part->collectSettings(settings);
    SettingsStore::write(ini, settings);
    return ini.save(m_location.filePath());
}
