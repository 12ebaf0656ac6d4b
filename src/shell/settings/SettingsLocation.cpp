#include "shell/settings/SettingsLocation.h"

#include "shell/settings/SettingsTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#ifndef MATRIX_INSTALL_BINDIR
#error "MATRIX_INSTALL_BINDIR (the install prefix's bin folder) comes from the build"
#endif

namespace {

QString withTrailingSeparator(const QString &dir)
{
    QString path = QDir::cleanPath(dir);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

bool sameFolder(const QString &a, const QString &b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

// Permission bits do not answer this for root, for immutable files or read-only mounts;
// creating a file in the folder and opening the file for writing (without changing it) do.
bool canWrite(const QString &dir, const QString &file)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(dir + QStringLiteral(".write-probe-XXXXXX"));
    if (!probe.open())
        return false;
    if (!QFileInfo::exists(file))
        return true;
    QFile existing(file);
    return existing.open(QIODevice::WriteOnly | QIODevice::Append);
}

// The per-user file starts as a copy of the one beside the executable, writable by its owner.
bool seed(const QString &from, const QString &to)
{
    if (!QFile::copy(from, to))
        return QFileInfo::exists(to); // another program may have seeded it first
    return QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ReadOwner |
                                         QFileDevice::WriteOwner);
}

} // namespace

SettingsPlaces SettingsPlaces::ofThisProgram()
{
    return {QCoreApplication::applicationDirPath(), SettingsLocation::defaultUserDir(),
            SettingsLocation::installBinDir()};
}

SettingsLocation::SettingsLocation(const QString &appDir, const QString &filePath)
    : m_appDir(withTrailingSeparator(appDir)), m_filePath(filePath)
{
}

QString SettingsLocation::defaultUserDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + QLatin1String(FolderName);
}

QString SettingsLocation::installBinDir()
{
    return QStringLiteral(MATRIX_INSTALL_BINDIR);
}

SettingsLocation SettingsLocation::resolve(const SettingsPlaces &places)
{
    const QString dir = withTrailingSeparator(places.appDir);
    const QString beside = dir + QLatin1String(FileName);
    const bool installed = sameFolder(places.appDir, places.installBinDir);
    if (!installed && canWrite(dir, beside))
        return {dir, beside};

    const QString userDir = withTrailingSeparator(places.userDir);
    SettingsLocation location(dir, userDir + QLatin1String(FileName));
    const bool besideExists = QFileInfo(beside).isFile();
    if (besideExists && !installed)
        location.m_unwritableText = SettingsTexts::UnableToWrite(beside);
    QDir().mkpath(userDir);
    const bool seeded = !besideExists || QFileInfo::exists(location.m_filePath) ||
                        seed(beside, location.m_filePath);
    // Without a per-user copy, the operator's settings are still read from where they are
    // (and saving to them fails as it would have).
    if (!seeded && !installed)
        location.m_filePath = beside;
    return location;
}

SettingsLocation SettingsLocation::forThisProgram()
{
    return resolve(SettingsPlaces::ofThisProgram());
}

SettingsLocation SettingsLocation::resolve(const QString &appDir, const QString &userDir)
{
    return resolve(
        SettingsPlaces{appDir, userDir.isEmpty() ? defaultUserDir() : userDir, installBinDir()});
}

SettingsLocation SettingsLocation::inDirectory(const QString &appDir)
{
    const QString dir = withTrailingSeparator(appDir);
    return {dir, dir + QLatin1String(FileName)};
}

bool SettingsLocation::isBesideExecutable() const
{
    return m_filePath == m_appDir + QLatin1String(FileName);
}

QString SettingsLocation::inUseText() const
{
    return isBesideExecutable() ? QString() : SettingsTexts::FileInUse(m_filePath);
}
