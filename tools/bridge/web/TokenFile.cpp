#include "TokenFile.h"

#include "WebAccess.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Bridge::Web {

namespace {

constexpr qint64 MaxFileBytes = 4096;

std::optional<TokenFile> Fail(QString *error, const QString &text)
{
    *error = text;
    return std::nullopt;
}

std::optional<TokenFile> Create(const QString &path, QString *error)
{
    TokenFile made{WebAccess::NewSecret(), true};
    QFile file(path);
    // Created with its final mode: never readable by others, not even for a moment.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return Fail(error,
                    path + QStringLiteral(": cannot create the token file: ") + file.errorString());
    if (file.write(made.token + '\n') != made.token.size() + 1 || !file.flush()) {
        const QString why = file.errorString();
        file.remove();
        return Fail(error, path + QStringLiteral(": cannot write the token file: ") + why);
    }
    return made;
}

} // namespace

std::optional<TokenFile> TokenFile::LoadOrCreate(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Create(path, error);
    if (!info.isFile())
        return Fail(error, path + QStringLiteral(": not a regular file"));
    if (info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                              QFileDevice::WriteGroup | QFileDevice::WriteOther))
        return Fail(error, path +
                               QStringLiteral(": other users may read or change the token; "
                                              "chmod 600 ") +
                               path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, path + QStringLiteral(": ") + file.errorString());
    const QByteArray token = file.read(MaxFileBytes + 1).trimmed();
    const bool visible =
        std::all_of(token.begin(), token.end(), [](char c) { return c > 0x20 && c < 0x7F; });
    if (token.size() < MinLength || token.size() > MaxLength || !visible)
        return Fail(error, path + QStringLiteral(": the token must be one line of ") +
                               QString::number(MinLength) + QStringLiteral(" to ") +
                               QString::number(MaxLength) +
                               QStringLiteral(" visible ASCII characters without blanks"));
    return TokenFile{token, false};
}

} // namespace Bridge::Web
