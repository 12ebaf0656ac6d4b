#include "DesktopSettings.h"

#include "shell/settings/SettingsStore.h"

DesktopSettings::DesktopSettings(const SettingsLocation &location)
    : m_location(location), m_file(location.filePath())
{
}

bool DesktopSettings::read()
{
    if (!m_read) {
        m_read = m_file.read();
        m_values = SettingsStore::read(m_file.document());
    }
    return m_read->ok();
}

const AppSettings *DesktopSettings::values()
{
    return read() ? &m_values : nullptr;
}

const IniDocument *DesktopSettings::document()
{
    return read() ? &m_file.document() : nullptr;
}
