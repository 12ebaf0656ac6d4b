#include "shell/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

QString withTrailingSeparator(const QString &dir)
{
    QString path = QDir::cleanPath(dir);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

// QFileInfo::isWritable answers from the permission bits alone, which is wrong for root and
// for read-only mounts; creating a file is the test that counts.
bool canCreateFileIn(const QString &dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(dir + QStringLiteral(".write-probe-XXXXXX"));
    return probe.open();
}

} // namespace

SettingsLocation::SettingsLocation(const QString &appDir, const QString &filePath)
    : m_appDir(withTrailingSeparator(appDir)), m_filePath(filePath)
{
}

SettingsLocation SettingsLocation::resolve(const QString &appDir, const QString &fallbackDir)
{
    const QString dir = withTrailingSeparator(appDir);
    const QString beside = dir + QLatin1String(FileName);
    const QFileInfo existing(beside);
    const bool writable = canCreateFileIn(dir) && (!existing.exists() || existing.isWritable());
    if (writable)
        return {dir, beside};

    QString other = fallbackDir;
    if (other.isEmpty())
        other = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(other);
    return {dir, withTrailingSeparator(other) + QLatin1String(FileName)};
}

SettingsLocation SettingsLocation::inDirectory(const QString &appDir)
{
    const QString dir = withTrailingSeparator(appDir);
    return {dir, dir + QLatin1String(FileName)};
}
