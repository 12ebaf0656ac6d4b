#pragma once

#include "shell/SettingsLocation.h"

#include <QObject>

#include <vector>

class SettingsPart;

/// Settings.ini for the window: read once when it is first shown, written when it is shown
/// and when it closes. The parts that keep something there are applied in the order they
/// were added.
class SettingsFile : public QObject
{
    Q_OBJECT
public:
    explicit SettingsFile(const SettingsLocation &location, QObject *parent = nullptr);

    void addPart(SettingsPart &part);

    /// Reads the file (a missing or unreadable one gives the defaults) into every part.
    void LoadSettings();
    /// Writes every part's values; false when the file could not be written (it then keeps
    /// its previous content). A file that exists but cannot be read is not replaced.
    bool SaveSettings();

    QString filePath() const { return m_location.filePath(); }

private:
    SettingsLocation m_location;
    std::vector<SettingsPart *> m_parts;
};
