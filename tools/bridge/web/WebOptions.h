#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

/// The command-line options of matrix-bridge's control page.
struct WebOptions
{
    static constexpr quint16 DefaultPort = 8080;

    /// --http was given.
    bool enabled = false;
    QHostAddress address;
    quint16 port = DefaultPort;
    QString tokenFile;
    bool requireToken = false;

    /// Takes the option at arguments[i] (and its value, moving i) when it is one of the
    /// page's; false when it is not. A mistake sets `error`.
    static bool TakeOption(const QStringList &arguments, int &i, WebOptions &options,
                           QString *error);
    /// What is wrong with the options taken together; empty when nothing is.
    QString check() const;
    static QString Usage();

    /// The page asks for a token: any address but a loopback one, or --require-token.
    bool needsToken() const;
    /// "127.0.0.1:8080", "[::1]:8080".
    QString where() const;
};
