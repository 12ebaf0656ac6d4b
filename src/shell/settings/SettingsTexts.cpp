#include "shell/settings/SettingsTexts.h"

namespace SettingsTexts {

QString UnableToWrite(const QString &path)
{
    return QStringLiteral("Unable to write to ") + path;
}

QString UnableToRead(const QString &path, const QString &reason)
{
    return QStringLiteral("Unable to read ") + path + QStringLiteral(": ") + reason;
}

QString TooLarge(const QString &path, qint64 size, qint64 limit)
{
    return UnableToRead(path, QString::number(size) +
                                  QStringLiteral(" bytes, larger than the limit of ") +
                                  QString::number(limit) + QStringLiteral(" bytes"));
}

} // namespace SettingsTexts
