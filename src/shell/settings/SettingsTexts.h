#pragma once

#include <QString>

/// What the settings machinery tells the operator: plain concatenation of fixed pieces, paths
/// and decimal numbers.
namespace SettingsTexts {

/// "Unable to write to " + path.
QString UnableToWrite(const QString &path);
/// "Unable to write to " + path + " (locked by another program)".
QString Locked(const QString &path);
/// "Unable to read " + path + ": " + reason.
QString UnableToRead(const QString &path, const QString &reason);
/// "Unable to read " + path + ": " + size + " bytes, larger than the limit of " + limit +
/// " bytes".
QString TooLarge(const QString &path, qint64 size, qint64 limit);
/// "Lines that are not text were left out of " + path + "; the original is kept as " + copy.
QString UnreadableLinesKept(const QString &path, const QString &copy);
/// path + " is now written in UTF-8; the Windows-1252 original is kept as " + copy.
QString SwitchedToUtf8(const QString &path, const QString &copy);
/// "Settings file: " + path.
QString FileInUse(const QString &path);

} // namespace SettingsTexts
