#include "shell/setup/SetupTransfer.h"

#include "edid/EdidPortLists.h"
#include "lanmodule/DeviceEntry.h"
#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/ShellTexts.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/presets/PresetValue.h"
#include "shell/routing/RoutingController.h"
#include "shell/routing/RoutingState.h"

namespace {

constexpr auto EdidCommand = std::uint8_t(Command::Edid);
constexpr qsizetype EdidBlockBytes = 256;

std::uint8_t sub(EdidSub subcommand)
{
    return std::uint8_t(subcommand);
}

QString InputName(int input)
{
    return input > 0 ? QStringLiteral("Input") + QString::number(input) : QStringLiteral("unknown");
}

QString MemoryName(int memory)
{
    return QStringLiteral("User") + QString::number(memory);
}

QString TagSetName(const Setup::TagSet &set)
{
    return set.mode == cmCOM ? QStringLiteral("serial switcher") : set.mac;
}

QString TagChanges(const PortTagSet &before, const PortTagSet &after)
{
    QStringList parts;
    auto compare = [&parts](const QString &port, const QString &from, const QString &to) {
        if (from != to)
            parts << port + QStringLiteral(" [") + from + QStringLiteral("] -> [") + to +
                         QLatin1Char(']');
    };
    for (int n = 1; n <= PortTagSet::Ports; ++n)
        compare(QStringLiteral("Input") + QString::number(n), before.inputs[std::size_t(n - 1)],
                after.inputs[std::size_t(n - 1)]);
    for (int n = 1; n <= PortTagSet::Ports; ++n)
        compare(QStringLiteral("Output") + QString::number(n), before.outputs[std::size_t(n - 1)],
                after.outputs[std::size_t(n - 1)]);
    return parts.join(QStringLiteral(", "));
}

} // namespace

SetupTransfer::SetupTransfer(ShellContext &context, RoutingController &routing, SetupParts parts)
    : m_context(context), m_routing(routing), m_parts(std::move(parts))
{
}

QString SetupTransfer::RouteText(int output, int before, int after)
{
    return QStringLiteral("Output") + QString::number(output) + QStringLiteral(": ") +
           InputName(before) + QStringLiteral(" -> ") + InputName(after);
}

QString SetupTransfer::PresetText(int number, const PresetRow &before, const PresetRow &after)
{
    auto shown = [](const PresetRow &row) {
        return row.name + QLatin1Char(' ') + PresetValue::join(row.routing);
    };
    return QStringLiteral("Preset ") + QString::number(number) + QStringLiteral(": ") +
           shown(before) + QStringLiteral(" -> ") + shown(after);
}

Setup SetupTransfer::localSetup() const
{
    Setup setup;
    setup.presets = m_parts.presets();
    setup.edid = m_parts.edidSelections();
    setup.device = m_parts.device();
    setup.devices = m_parts.devices();
    const PortTagsModel &tags = m_context.portTags();
    auto addSet = [&](TControlMode mode, const QString &mac) {
        const Setup::TagSet set{mode, mac, tags.storedTags(mode, mac)};
        if (set.tags != PortTagSet{} && !setup.tags.contains(set))
            setup.tags.append(set);
    };
    addSet(cmCOM, PortTagStore::noDeviceMAC());
    for (const QString &entry : std::as_const(setup.devices))
        addSet(cmLAN, DeviceEntry::GetEntryField(entry, DeviceEntry::MAC));
    return setup;
}

bool SetupTransfer::readRouting(Setup &setup)
{
    setup.routing.clear();
    if (!m_routing.RefreshRouting())
        return false;
    const RoutingState &state = m_context.routing();
    for (int output = 1; output <= state.outputs(); ++output)
        setup.routing.append(state.input(output));
    return true;
}

std::uint16_t SetupTransfer::userMemoryCode(int memory) const
{
    return std::uint16_t(EdidPortCodeBase + memory * EdidUserMemoryStep);
}

bool SetupTransfer::readUserEdid(Setup &setup)
{
    std::array<QByteArray, Setup::UserMemories> blocks;
    for (int memory = 1; memory <= Setup::UserMemories; ++memory) {
        const QString status =
            QStringLiteral("Reading ") + MemoryName(memory) + QStringLiteral(" EDID ...");
        std::optional<ExchangeGuard> exchange = m_context.gate().tryBegin(status);
        if (!exchange)
            return false;
        TKXCOMControl &link = exchange->link();
        TCommandResult result;
        link.ReadEDID(MakeFrame(EdidCommand, sub(EdidSub::Read), userMemoryCode(memory)), result);
        if (!result.Success || link.ReadStream.size() != EdidBlockBytes)
            return false;
        blocks[std::size_t(memory - 1)] = link.ReadStream;
        m_context.ShowStatus(StatusPanel::Operation, ShellTexts::Done());
    }
    setup.userEdid = blocks;
    return true;
}

bool SetupTransfer::writeUserEdid(int memory, const QByteArray &block)
{
    const QString status =
        QStringLiteral("Writing ") + MemoryName(memory) + QStringLiteral(" EDID ...");
    CommandGate &gate = m_context.gate();
    TCommandResult mode;
    gate.RunCommand(status, EdidCommand, sub(EdidSub::QueryControlMode), 0, 0, 0, 0, mode);
    if (!mode.Success)
        return false;
    if (mode.r4() == EdidControlLockedMode) {
        m_context.ShowStatus(StatusPanel::Hint,
                             QStringLiteral("Set [EDID Selector] to [1111] to write EDID"));
        return false;
    }
    TCommandResult prepared;
    gate.RunCommand(status, EdidCommand, sub(EdidSub::Prepare), EdidPrepareCode, 0, 0, 0, prepared);
    if (!prepared.Success)
        return false;
    std::optional<ExchangeGuard> exchange = gate.tryBegin(status);
    if (!exchange)
        return false;
    TKXCOMControl &link = exchange->link();
    link.WriteStream = block;
    TCommandResult result;
    link.DownloadEDID(MakeFrame(EdidCommand, sub(EdidSub::DownloadOne), userMemoryCode(memory)),
                      result);
    if (result.Success)
        m_context.ShowStatus(StatusPanel::Operation, ShellTexts::Done());
    return result.Success != 0;
}

void SetupTransfer::addTagSteps(std::vector<SetupStep> &steps, const Setup &wanted)
{
    PortTagsModel &model = m_context.portTags();
    auto store = [this, &model](const Setup::TagSet &set) {
        const bool stored = model.storeTags(set.mode, set.mac, set.tags);
        // The tags in use are shown again from the file: one of them may have changed.
        if (const TKXCOMControl *link = m_context.link())
            model.LoadPortTags(link->ControlMode(), m_context.CurrentDeviceMAC());
        return stored;
    };
    for (const Setup::TagSet &set : wanted.tags) {
        const Setup::TagSet before{set.mode, set.mac, model.storedTags(set.mode, set.mac)};
        if (before == set)
            continue;
        steps.push_back({QStringLiteral("Port tags (") + TagSetName(set) + QStringLiteral("): ") +
                             TagChanges(before.tags, set.tags),
                         [store, set] { return store(set); },
                         [store, before] { return store(before); }});
    }
}

std::vector<SetupStep> SetupTransfer::changes(const Setup &current, const Setup &wanted)
{
    std::vector<SetupStep> steps;
    const RoutingState &state = m_context.routing();
    for (int output = 1; output <= std::min<int>(wanted.routing.size(), state.outputs());
         ++output) {
        const int before = current.routing.value(output - 1, 0);
        const int after = wanted.routing[output - 1];
        if (before == after || after > state.inputs())
            continue;
        std::function<bool()> undo;
        if (before > 0)
            undo = [this, output, before] { return m_routing.route(output, before); };
        steps.push_back({RouteText(output, before, after),
                         [this, output, after] { return m_routing.route(output, after); }, undo});
    }

    for (int i = 0; i < std::min(current.presets.size(), wanted.presets.size()); ++i) {
        if (current.presets[i] == wanted.presets[i])
            continue;
        auto put = [this, i](const PresetRow &row) {
            QList<PresetRow> rows = m_parts.presets();
            if (i < rows.size())
                rows[i] = row;
            m_parts.setPresets(rows);
            return true;
        };
        steps.push_back({PresetText(i + 1, current.presets[i], wanted.presets[i]),
                         [put, row = wanted.presets[i]] { return put(row); },
                         [put, row = current.presets[i]] { return put(row); }});
    }

    addTagSteps(steps, wanted);

    if (current.edid != wanted.edid) {
        steps.push_back({QStringLiteral("EDID page selections and file names: differ"),
                         [this, edid = wanted.edid] {
                             m_parts.setEdidSelections(edid);
                             return true;
                         },
                         [this, edid = current.edid] {
                             m_parts.setEdidSelections(edid);
                             return true;
                         }});
    }

    if (current.device != wanted.device || current.devices != wanted.devices) {
        steps.push_back({QStringLiteral("Network device list: ") +
                             QString::number(current.devices.size()) + QStringLiteral(" -> ") +
                             QString::number(wanted.devices.size()) + QStringLiteral(" entries"),
                         [this, wanted] {
                             m_parts.setDevices(wanted.device, wanted.devices);
                             return true;
                         },
                         [this, current] {
                             m_parts.setDevices(current.device, current.devices);
                             return true;
                         }});
    }

    for (int memory = 1; wanted.userEdid && memory <= Setup::UserMemories; ++memory) {
        const QByteArray after = (*wanted.userEdid)[std::size_t(memory - 1)];
        const QByteArray before =
            current.userEdid ? (*current.userEdid)[std::size_t(memory - 1)] : QByteArray();
        if (before == after)
            continue;
        std::function<bool()> undo;
        if (!before.isEmpty())
            undo = [this, memory, before] { return writeUserEdid(memory, before); };
        steps.push_back(
            {MemoryName(memory) + (before.isEmpty() ? QStringLiteral(" EDID: not read, written")
                                                    : QStringLiteral(" EDID: differs")),
             [this, memory, after] { return writeUserEdid(memory, after); }, undo});
    }
    return steps;
}
