#pragma once

#include "shell/settings/AppSettings.h"
#include "shell/settings/SettingsLocation.h"
#include "shell/settings/SharedIniFile.h"

#include <QString>

/// The desktop program's Settings.ini as a command-line program uses it: read once, when
/// first needed, and written only through the shared writer (SharedIniFile), so that what the
/// window or another program saves meanwhile stays.
class DesktopSettings
{
public:
    explicit DesktopSettings(const SettingsLocation &location);

    const SettingsLocation &location() const { return m_location; }
    QString path() const { return m_location.filePath(); }

    /// The values (the defaults for a missing file); null when the file cannot be read, with
    /// the reason in error().
    const AppSettings *values();
    /// The document as read; null when the file cannot be read.
    const IniDocument *document();
    QString error() const { return m_read ? m_read->error : QString(); }

    /// The file, for a change of the program's own (update()).
    SharedIniFile &file() { return m_file; }

private:
    bool read();

    SettingsLocation m_location;
    SharedIniFile m_file;
    std::optional<SettingsFileResult> m_read;
    AppSettings m_values;
};
