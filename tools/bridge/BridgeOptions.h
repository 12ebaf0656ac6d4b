#pragma once

#include "ConnectionTarget.h"
#include "WebOptions.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

/// The command line of matrix-bridge.
struct BridgeOptions
{
    bool help = false;
    bool version = false;
    QHostAddress listenAddress = QHostAddress(QHostAddress::LocalHost);
    quint16 listenPort = 9990;
    std::chrono::milliseconds poll{1000};
    std::chrono::milliseconds clientTimeout{10000};
    ConnectionOptions connection;
    /// The control page for browsers.
    WebOptions web;

    /// Parses the arguments (without the program name); nullopt and the reason on a mistake.
    static std::optional<BridgeOptions> Parse(const QStringList &arguments, QString *error);
    static QString Usage();
};
