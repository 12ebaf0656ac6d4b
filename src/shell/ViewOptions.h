#pragma once

#include <QObject>
#include <QString>

/// The operator's choices of the View menu, kept per user in a small file of their own
/// (View.ini beside the per-user Settings.ini), not in Settings.ini: Settings.ini may lie
/// beside the program and be shared by every user of the PC. Each choice is off until the
/// operator turns it on.
class ViewOptions : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *FileName = "View.ini";

    /// `filePath` empty: the choices are not remembered.
    explicit ViewOptions(const QString &filePath = {}, QObject *parent = nullptr);

    /// The per-user view file: View.ini in SettingsLocation::defaultUserDir().
    static QString defaultFilePath();

    bool advancedControls() const { return m_advanced; }
    bool followSwitcher() const { return m_follow; }
    bool reconnectAutomatically() const { return m_reconnect; }

    void setAdvancedControls(bool on);
    void setFollowSwitcher(bool on);
    void setReconnectAutomatically(bool on);

    QString filePath() const { return m_filePath; }

signals:
    void advancedControlsChanged(bool on);
    void followSwitcherChanged(bool on);
    void reconnectAutomaticallyChanged(bool on);

private:
    void save() const;

    QString m_filePath;
    bool m_advanced = false;
    bool m_follow = false;
    bool m_reconnect = false;
};
