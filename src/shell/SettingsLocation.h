#pragma once

#include <QString>

/// Where the program keeps Settings.ini: beside the executable when that folder is writable,
/// otherwise in the user's configuration folder (an installed program's folder is read-only).
class SettingsLocation
{
public:
    SettingsLocation() = default;
    /// `appDir` is the executable's folder, `filePath` the settings file to use.
    SettingsLocation(const QString &appDir, const QString &filePath);

    /// Decides for the folder `appDir`; `fallbackDir` is used (and created) when `appDir`
    /// cannot be written. An empty fallback means the user's configuration folder.
    static SettingsLocation resolve(const QString &appDir, const QString &fallbackDir = {});
    /// Settings.ini directly in `appDir`, as in tests.
    static SettingsLocation inDirectory(const QString &appDir);

    /// The executable's folder with a trailing separator.
    QString appDir() const { return m_appDir; }
    QString filePath() const { return m_filePath; }

    static constexpr const char *FileName = "Settings.ini";

private:
    QString m_appDir;
    QString m_filePath;
};
