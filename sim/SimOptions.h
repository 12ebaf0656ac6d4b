#pragma once

#include "SimFaults.h"
#include "SimNetworkModule.h"
#include "SwitcherState.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

/// The command line of matrix-sim.
struct SimOptions
{
    bool help = false;
    bool version = false;
    bool pty = false;
    std::optional<QHostAddress> tcpAddress;
    std::uint16_t port = 8000;
    /// Where the network module answers discovery and configuration datagrams.
    std::optional<QHostAddress> networkAddress;
    bool allowNonLoopback = false;
    /// The network module also hears discovery broadcasts (it binds every address).
    bool hearBroadcasts = false;
    int delayMs = 0;
    bool paced = false;
    bool flood = false;
    int silence = 0;
    int badChecksum = 0;
    int refuse = 0;
    int split = 0;
    int extraBytes = 0;
    int restartMs = 0;
    bool edidLocked = false;
    /// Inputs and outputs of the switcher: 4 or 8.
    int size = 4;
    /// The front-panel script to play, empty for none.
    QString frontPanelScript;

    /// Parses the arguments (without the program name); an error text on failure.
    static std::optional<SimOptions> Parse(const QStringList &arguments, QString *error);
    static QString Usage();

    /// Arms the faults the options name.
    void applyTo(SimFaults &faults) const;
    /// Sets the size, the restart silence and the EDID selector the options name.
    void applyTo(SwitcherState &state) const;
    /// The network module that `--network` announces: its address is the one it answers on,
    /// its first number the TCP control port.
    SimNetworkModule::Module networkModule() const;
};
