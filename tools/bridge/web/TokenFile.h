#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace Bridge::Web {

/// The page's access token, kept in a file only its owner may read.
struct TokenFile
{
    static constexpr int MinLength = 16;
    static constexpr int MaxLength = 256;

    QByteArray token;
    /// The file did not exist: the token was made now and stored with mode 0600.
    bool created = false;

    /// Reads the token from `path` (one line of 16 to 256 visible ASCII characters, in a file
    /// that neither group nor others may read), or, when there is no such file, makes a
    /// random one and stores it there with mode 0600. nullopt and the reason on failure.
    static std::optional<TokenFile> LoadOrCreate(const QString &path, QString *error);
};

} // namespace Bridge::Web
