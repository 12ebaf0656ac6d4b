#pragma once

#include "link/Commands.h"
#include "shell/porttags/PortTagStore.h"
#include "shell/presets/PresetRow.h"
#include "shell/settings/AppSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

/// A room's setup, as a setup file carries it from one PC to another: the routing, the eight
/// presets, the port tags of every switcher, the EDID page's selections, the network device
/// list and, when asked for, the contents of the switcher's two user EDID memories.
struct Setup
{
    static constexpr int UserMemories = 2;

    /// The port tags of one switcher: the one on the serial line, or a network device by the
    /// MAC of its network module.
    struct TagSet
    {
        TControlMode mode = cmCOM;
        QString mac = QLatin1String(NoDeviceMACText);
        PortTagSet tags;

        bool operator==(const TagSet &) const = default;
    };

    /// The input of outputs 1, 2, ...; empty when the routing was not read.
    QList<int> routing;
    QList<PresetRow> presets;
    QList<TagSet> tags;
    EdidSelections edid;
    /// The selected network device's entry and all known entries in their order.
    QString device;
    QStringList devices;
    /// The 256-byte blocks of user memories 1 and 2.
    std::optional<std::array<QByteArray, UserMemories>> userEdid;

    bool operator==(const Setup &) const = default;
};
