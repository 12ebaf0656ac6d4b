#include "shell/settings/SettingsTexts.h"

namespace SettingsTexts {

QString UnableToWrite(const QString &path)
{
    return QStringLiteral("Unable to write to ") + path;
}

QString Locked(const QString &path)
{
    return UnableToWrite(path) + QStringLiteral(" (locked by another program)");
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

QString UnreadableLinesKept(const QString &path, const QString &copy)
{
    return QStringLiteral("Lines that are not text were left out of ") + path +
           QStringLiteral("; the original is kept as ") + copy;
}

QString SwitchedToUtf8(const QString &path, const QString &copy)
{
    return path + QStringLiteral(" is now written in UTF-8; ") +
           QStringLiteral("the Windows-1252 original is kept as ") + copy;
}

QString FileInUse(const QString &path)
{
    return QStringLiteral("Settings file: ") + path;
}

} // namespace SettingsTexts
