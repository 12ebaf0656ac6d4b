#pragma once

#include "shell/settings/SharedIniFile.h"

#include <QObject>

#include <vector>

class SettingsPart;

/// Settings.ini for the window: read once when it is first shown, written when it is shown
/// and when it closes. The parts that keep something there are applied in the order they
/// were added. The file read at show time is the document every later save changes, so that
/// what other programs wrote meanwhile stays (SharedIniFile).
class SettingsFile : public QObject
{
    Q_OBJECT
public:
    explicit SettingsFile(SharedIniFile &file, QObject *parent = nullptr);

    void addPart(SettingsPart &part);

    /// Reads the file into every part. A missing file gives the defaults; so does one that
    /// cannot be read, which the result reports and which is then never written.
    SettingsFileResult LoadSettings();
    /// Writes every part's values; on failure the file keeps its previous content.
    SettingsFileResult SaveSettings();

    QString filePath() const { return m_file.path(); }

private:
    SharedIniFile &m_file;
    std::vector<SettingsPart *> m_parts;
};
