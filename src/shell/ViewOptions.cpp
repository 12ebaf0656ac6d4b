#include "shell/ViewOptions.h"

#include "shell/settings/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString AdvancedKey = QStringLiteral("View/AdvancedControls");
const QString FollowKey = QStringLiteral("View/FollowSwitcherChanges");
const QString ReconnectKey = QStringLiteral("View/ReconnectAutomatically");

} // namespace

ViewOptions::ViewOptions(const QString &filePath, QObject *parent)
    : QObject(parent), m_filePath(filePath)
{
    if (m_filePath.isEmpty() || !QFileInfo::exists(m_filePath))
        return;
    const QSettings file(m_filePath, QSettings::IniFormat);
    m_advanced = file.value(AdvancedKey, false).toBool();
    m_follow = file.value(FollowKey, false).toBool();
    m_reconnect = file.value(ReconnectKey, false).toBool();
}

QString ViewOptions::defaultFilePath()
{
    return QDir(SettingsLocation::defaultUserDir()).filePath(QLatin1String(FileName));
}

void ViewOptions::setAdvancedControls(bool on)
{
    if (on == m_advanced)
        return;
    m_advanced = on;
    save();
    emit advancedControlsChanged(on);
}

void ViewOptions::setFollowSwitcher(bool on)
{
    if (on == m_follow)
        return;
    m_follow = on;
    save();
    emit followSwitcherChanged(on);
}

void ViewOptions::setReconnectAutomatically(bool on)
{
    if (on == m_reconnect)
        return;
    m_reconnect = on;
    save();
    emit reconnectAutomaticallyChanged(on);
}

void ViewOptions::save() const
{
    if (m_filePath.isEmpty())
        return;
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QSettings file(m_filePath, QSettings::IniFormat);
    file.setValue(AdvancedKey, m_advanced);
    file.setValue(FollowKey, m_follow);
    file.setValue(ReconnectKey, m_reconnect);
    file.sync();
}
