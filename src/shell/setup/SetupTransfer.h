#pragma once

#include "shell/setup/Setup.h"

#include <QString>

#include <functional>
#include <vector>

class RoutingController;
class ShellContext;

/// Where the parts of a setup live in the program; the composition root fills them in.
struct SetupParts
{
    std::function<QList<PresetRow>()> presets;
    std::function<void(const QList<PresetRow> &)> setPresets;
    std::function<EdidSelections()> edidSelections;
    std::function<void(const EdidSelections &)> setEdidSelections;
    std::function<QString()> device;
    std::function<QStringList()> devices;
    std::function<void(const QString &device, const QStringList &devices)> setDevices;
};

/// One change an import makes: what the operator is shown, how it is made and undone.
struct SetupStep
{
    QString text;
    std::function<bool()> apply;
    /// Null when the earlier state is not known (a user memory that could not be read).
    std::function<bool()> undo;
};

/// Takes the program's setup for export and works out, makes and undoes the changes of an
/// import. What reaches the switcher goes through the command gate (routes through the
/// routing controller, EDID blocks as the EDID page sends them).
class SetupTransfer
{
public:
    SetupTransfer(ShellContext &context, RoutingController &routing, SetupParts parts);

    /// Everything the program keeps itself: presets, tags, EDID selections, devices.
    Setup localSetup() const;
    /// Reads the routing of the offered outputs into `setup`; false when it failed.
    bool readRouting(Setup &setup);
    /// Reads both user memories into `setup`; false when a read failed.
    bool readUserEdid(Setup &setup);

    /// The changes that make the program's `current` setup the `wanted` one, in the order
    /// they are made: routing, presets, port tags, EDID selections, network devices, user
    /// EDID memories. Routing and memories only where `wanted` has them.
    std::vector<SetupStep> changes(const Setup &current, const Setup &wanted);

    /// "Output2: Input1 -> Input3" and the like, for the texts of the changes.
    static QString RouteText(int output, int before, int after);
    static QString PresetText(int number, const PresetRow &before, const PresetRow &after);

private:
    bool writeUserEdid(int memory, const QByteArray &block);
    std::uint16_t userMemoryCode(int memory) const;
    void addTagSteps(std::vector<SetupStep> &steps, const Setup &wanted);

    ShellContext &m_context;
    RoutingController &m_routing;
    SetupParts m_parts;
};
