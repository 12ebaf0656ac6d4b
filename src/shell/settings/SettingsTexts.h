#pragma once

#include <QString>

/// What the settings machinery tells the operator: plain concatenation of fixed pieces, paths
/// and decimal numbers.
namespace SettingsTexts {

/// "Unable to write to " + path.
QString UnableToWrite(const QString &path);
/// "Unable to read " + path + ": " + reason.
QString UnableToRead(const QString &path, const QString &reason);
/// "Unable to read " + path + ": " + size + " bytes, larger than the limit of " + limit +
/// " bytes".
QString TooLarge(const QString &path, qint64 size, qint64 limit);

} // namespace SettingsTexts
