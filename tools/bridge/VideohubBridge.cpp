#include "VideohubBridge.h"

#include "SwitcherSession.h"
#include "shell/Timers.h"

#include "link/Commands.h"
#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/devicestatus/DeviceStatusReader.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/routing/RoutingState.h"
#include "videohub/VideohubRequestParser.h"

#include <QPointer>

#include <algorithm>
#include <optional>

using namespace Videohub;

namespace Bridge {

namespace {

constexpr std::uint16_t AllPorts = 0x00FE;

QString Seconds(std::chrono::milliseconds delay)
{
    return QString::number(double(delay.count()) / 1000.0) + QStringLiteral(" s");
}

void AddOnce(std::vector<int> &list, int value)
{
    if (std::find(list.begin(), list.end(), value) == list.end())
        list.push_back(value);
}

} // namespace

struct VideohubBridge::Client
{
    explicit Client(ClientChannel &c) : channel(c) {}
    ClientChannel &channel;
    BlockAssembler assembler;
    /// The generation of the armed time-out of an unfinished block; 0 when none is armed.
    std::uint64_t timeout = 0;
};

VideohubBridge::VideohubBridge(SwitcherSession &session, Timers &timers, BridgeConfig config,
                               QObject *parent)
    : QObject(parent), m_session(session), m_context(session.context()), m_timers(timers),
      m_config(std::move(config)), m_retry(m_config.firstRetry)
{
    if (TKXCOMControl *link = m_context.link()) {
        connect(link, &TKXCOMControl::notify, this,
                [this](int code, qint64, qint64, const QString &) {
                    if (code == NotifyTimeout || code == NotifyAccessFailed ||
                        code == NotifyOpenCloseFailed)
                        m_linkLost = true;
                });
    }
}

VideohubBridge::~VideohubBridge() = default;

void VideohubBridge::start()
{
    m_context.gate().enqueue([self = QPointer<VideohubBridge>(this)] {
        if (self)
            self->reachSwitcher();
    });
}

QString VideohubBridge::ShortLabel(PortKind kind, int port)
{
    return (kind == PortKind::Input ? QStringLiteral("Input") : QStringLiteral("Output")) +
           QString::number(port);
}

// ---------------------------------------------------------------------------------------------
// Clients

VideohubBridge::Client *VideohubBridge::find(ClientId id) const
{
    const auto it = m_clients.find(id);
    return it == m_clients.end() ? nullptr : it->second.get();
}

VideohubBridge::ClientId VideohubBridge::addClient(ClientChannel &channel)
{
    const ClientId id = m_nextClient++;
    m_clients.emplace(id, std::make_unique<Client>(channel));
    emit logLine(QStringLiteral("client ") + channel.peer() + QStringLiteral(" connected (") +
                 QString::number(m_clients.size()) + QStringLiteral(" connected)"));
    channel.send(Prelude(state()));
    return id;
}

void VideohubBridge::removeClient(ClientId id)
{
    const auto it = m_clients.find(id);
    if (it == m_clients.end())
        return;
    const QString peer = it->second->channel.peer();
    m_clients.erase(it);
    emit logLine(QStringLiteral("client ") + peer + QStringLiteral(" left (") +
                 QString::number(m_clients.size()) + QStringLiteral(" connected)"));
}

void VideohubBridge::drop(ClientId id, const QString &why)
{
    const auto it = m_clients.find(id);
    if (it == m_clients.end())
        return;
    std::unique_ptr<Client> client = std::move(it->second);
    m_clients.erase(it);
    emit logLine(QStringLiteral("client ") + client->channel.peer() + QStringLiteral(" dropped: ") +
                 why);
    client->channel.close();
}

void VideohubBridge::send(ClientId id, const QByteArray &bytes)
{
    if (Client *client = find(id))
        client->channel.send(bytes);
}

void VideohubBridge::broadcast(const QByteArray &bytes)
{
    for (const auto &[id, client] : m_clients)
        client->channel.send(bytes);
}

void VideohubBridge::receive(ClientId id, QByteArrayView bytes)
{
    Client *client = find(id);
    if (!client)
        return;
    const std::vector<Block> blocks = client->assembler.feed(bytes);
    for (const Block &block : blocks)
        handle(id, block);
    client = find(id);
    if (!client)
        return;
    if (!client->assembler.inBlock())
        client->timeout = 0;
    else if (client->timeout == 0 || !blocks.empty())
        armTimeout(id, *client);
}

void VideohubBridge::armTimeout(ClientId id, Client &client)
{
    const std::uint64_t generation = ++m_timeoutGeneration;
    client.timeout = generation;
    m_timers.after(m_config.clientTimeout, this, [this, id, generation] {
        const Client *late = find(id);
        if (late && late->timeout == generation)
            drop(id,
                 QStringLiteral("a block left unfinished for ") + Seconds(m_config.clientTimeout));
    });
}

// ---------------------------------------------------------------------------------------------
// Requests

void VideohubBridge::handle(ClientId id, const Block &block)
{
    const Request request = ParseRequest(block, m_ports);
    if (std::holds_alternative<Ping>(request)) {
        send(id, AckBlock());
    } else if (const auto *query = std::get_if<StateQuery>(&request)) {
        send(id, AckBlock() + StatusBlockText(query->block, state()));
    } else if (const auto *change = std::get_if<RouteChange>(&request)) {
        if (!m_online) {
            send(id, NakBlock());
            return;
        }
        send(id, AckBlock());
        m_context.gate().enqueue(
            [self = QPointer<VideohubBridge>(this), id, routes = change->routes] {
                if (!self)
                    return;
                // The client that asked sees the routing the switcher kept.
                const std::vector<int> refused = self->applyRoutes(routes);
                if (!refused.empty())
                    self->send(id, RoutingBlock(self->routes(refused)));
            });
    } else if (const auto *change = std::get_if<LabelChange>(&request)) {
        changeLabels(id, *change);
    } else {
        // Refused blocks, and lock requests: the switcher has no locks to take.
        send(id, NakBlock());
    }
}

void VideohubBridge::changeLabels(ClientId id, const LabelChange &change)
{
    TKXCOMControl *link = m_context.link();
    const TControlMode mode = link ? link->ControlMode() : cmCOM;
    const QString mac = m_context.CurrentDeviceMAC();
    const bool inputs = change.kind == PortKind::Input;
    const bool storable = mode == cmCOM || mac != PortTagStore::noDeviceMAC();
    const bool inRange = std::all_of(change.labels.begin(), change.labels.end(),
                                     [](const Label &l) { return l.port <= PortTagSet::Ports; });
    if (!storable)
        emit logLine(QStringLiteral("labels refused: ") + m_context.settingsFilePath() +
                     QStringLiteral(" knows no network device at the switcher's address, so "
                                    "there is no set of port tags to keep them in"));
    if (!storable || !inRange) {
        send(id, NakBlock());
        return;
    }

    // Start from the file: the desktop program may have changed the tags since.
    PortTagsModel &model = m_context.portTags();
    model.LoadPortTags(mode, mac);
    const PortTagSet before = model.tags();
    PortTagSet after = before;
    auto &tags = inputs ? after.inputs : after.outputs;
    std::vector<Label> shown;
    for (const Label &label : change.labels) {
        const QString shortLabel = ShortLabel(change.kind, label.port);
        tags[std::size_t(label.port - 1)] = label.text == shortLabel ? QString() : label.text;
        // Shown as the opening blocks show it.
        shown.push_back({label.port, label.text.trimmed().isEmpty() ? shortLabel : label.text});
    }
    model.setTags(after);
    const SettingsFileResult saved = model.SavePortTags(mode, mac);
    if (!saved.notice.isEmpty())
        emit logLine(saved.notice);
    if (!saved.ok()) {
        model.setTags(before);
        emit logLine(QStringLiteral("cannot write the port tags to ") +
                     m_context.settingsFilePath());
        send(id, NakBlock());
        return;
    }
    send(id, AckBlock());
    broadcast(LabelsBlock(change.kind, shown));
    emit stateChanged();
}

// ---------------------------------------------------------------------------------------------
// The switcher, through the gate's queue

bool VideohubBridge::exchange(ExchangeGuard &guard, const QString &status, std::uint8_t command,
                              std::uint8_t subcommand, std::uint16_t p1, std::uint16_t p2,
                              TCommandResult &result)
{
    m_linkLost = false;
    m_session.forgetFailure();
    result = TCommandResult{};
    guard.RunCommand(status, MakeFrame(command, subcommand, p1, p2), result);
    if (result.Success)
        return true;
    TKXCOMControl *link = m_context.link();
    if (!link || !link->Connected())
        m_linkLost = true;
    return false;
}

bool VideohubBridge::queueRoutes(std::vector<Route> routes, RoutesDone done)
{
    if (!m_online)
        return false;
    m_context.gate().enqueue([self = QPointer<VideohubBridge>(this), routes = std::move(routes),
                              done = std::move(done)] {
        if (self)
            done(self->applyRoutes(routes));
    });
    return true;
}

std::vector<int> VideohubBridge::applyRoutes(const std::vector<Route> &requested)
{
    m_session.forgetFailure();
    std::vector<int> applied;
    std::optional<ExchangeGuard> guard;
    if (m_online) {
        guard = m_context.gate().tryBegin();
        if (!guard)
            goOffline(failureText());
    }
    for (const Route &route : requested) {
        if (!m_online || !guard)
            break;
        // The switcher may have come back with fewer ports than the request was checked
        // against.
        if (route.output > int(m_inputs.size()) || route.input > m_ports.inputs)
            continue;
        TCommandResult result;
        if (exchange(*guard, QStringLiteral("Setting..."), std::uint8_t(Command::Routing),
                     std::uint8_t(RoutingSub::SetRoute), std::uint16_t(route.input),
                     std::uint16_t(route.output), result)) {
            m_inputs[std::size_t(route.output - 1)] = route.input;
            m_context.routing().setInput(route.output, route.input);
            AddOnce(applied, route.output);
        } else if (m_linkLost) {
            goOffline(failureText());
        }
    }
    guard.reset();

    std::vector<int> refused;
    for (const Route &route : requested) {
        if (std::find(applied.begin(), applied.end(), route.output) == applied.end())
            AddOnce(refused, route.output);
    }
    if (!applied.empty()) {
        broadcast(RoutingBlock(routes(applied)));
        emit stateChanged();
    }
    return refused;
}

void VideohubBridge::pollRouting()
{
    m_session.forgetFailure();
    m_pollPending = false;
    if (!m_online)
        return;
    std::optional<ExchangeGuard> guard = m_context.gate().tryBegin();
    if (!guard) {
        goOffline(failureText());
        return;
    }
    std::vector<int> changed;
    for (int output = 1; output <= m_ports.outputs && m_online; ++output) {
        TCommandResult result;
        if (!exchange(*guard,
                      QStringLiteral("Getting Output") + QString::number(output) +
                          QStringLiteral(" ..."),
                      std::uint8_t(Command::Routing), std::uint8_t(RoutingSub::GetRoute),
                      std::uint16_t(output), 0, result)) {
            if (m_linkLost)
                goOffline(failureText());
            continue;
        }
        const int input = result.r6();
        if (input != m_inputs[std::size_t(output - 1)]) {
            m_inputs[std::size_t(output - 1)] = input;
            m_context.routing().setInput(output, input);
            changed.push_back(output);
        }
    }
    guard.reset();
    if (!changed.empty()) {
        broadcast(RoutingBlock(routes(changed)));
        emit stateChanged();
    }
    schedulePoll();
}

void VideohubBridge::reachSwitcher()
{
    m_retryPending = false;
    if (m_online || m_context.flags().StopRequested)
        return;
    m_linkLost = false;
    m_session.forgetFailure();
    // The operator's door connects once when the link is closed.
    std::optional<ExchangeGuard> guard = m_context.gate().tryBegin();
    TCommandResult result;
    const auto info = [&](InfoSub sub) {
        return exchange(*guard, QStringLiteral("Getting device info ..."),
                        std::uint8_t(Command::Info), std::uint8_t(sub), AllPorts, 0, result);
    };
    bool reached = guard && info(InfoSub::Size) && result.r4() > 0 && result.r6() > 0;
    PortCounts ports{std::min<int>(result.r4(), RoutingState::Outputs),
                     std::min<int>(result.r6(), RoutingState::Outputs)};
    reached = reached && info(InfoSub::Kind);
    const QString kind = DeviceStatusReader::KindName(result.r4());
    std::vector<int> inputs(std::size_t(ports.outputs), 0);
    for (int output = 1; reached && output <= ports.outputs; ++output) {
        reached = exchange(*guard,
                           QStringLiteral("Getting Output") + QString::number(output) +
                               QStringLiteral(" ..."),
                           std::uint8_t(Command::Routing), std::uint8_t(RoutingSub::GetRoute),
                           std::uint16_t(output), 0, result);
        inputs[std::size_t(output - 1)] = result.r6();
    }
    if (!reached) {
        const QString why = failureText();
        if (TKXCOMControl *link = m_context.link(); link && link->Connected())
            link->Close();
        guard.reset();
        const auto delay = scheduleRetry();
        emit logLine(QStringLiteral("switcher on ") + m_config.switcherName +
                     QStringLiteral(" not reachable (") + why +
                     QStringLiteral("); next attempt in ") + Seconds(delay));
        return;
    }
    guard.reset();

    m_online = true;
    m_retry = m_config.firstRetry;
    m_ports = ports;
    m_model = kind + QLatin1Char(' ') + QString::number(ports.inputs) + QLatin1Char('x') +
              QString::number(ports.outputs);
    m_inputs = inputs;
    for (int output = 1; output <= ports.outputs; ++output)
        m_context.routing().setInput(output, inputs[std::size_t(output - 1)]);
    emit logLine(QStringLiteral("switcher on ") + m_config.switcherName +
                 QStringLiteral(" reached: ") + m_model);
    emit onlineChanged(true);
    broadcast(stateBlocks());
    emit stateChanged();
    schedulePoll();
}

void VideohubBridge::goOffline(const QString &why)
{
    if (!m_online)
        return;
    m_online = false;
    if (TKXCOMControl *link = m_context.link(); link && link->Connected())
        link->Close();
    const auto delay = scheduleRetry();
    emit logLine(QStringLiteral("switcher on ") + m_config.switcherName +
                 QStringLiteral(" lost (") + why +
                 QStringLiteral("); route changes are refused until it answers; next attempt "
                                "in ") +
                 Seconds(delay));
    DeviceInfo absent;
    absent.present = false;
    broadcast(DeviceBlock(absent));
    emit onlineChanged(false);
    emit stateChanged();
}

std::chrono::milliseconds VideohubBridge::scheduleRetry()
{
    const std::chrono::milliseconds delay = m_retry;
    m_retry = std::min(m_retry * 2, m_config.lastRetry);
    if (m_retryPending)
        return delay;
    m_retryPending = true;
    m_timers.after(delay, this, [this] {
        m_context.gate().enqueue([self = QPointer<VideohubBridge>(this)] {
            if (self)
                self->reachSwitcher();
        });
    });
    return delay;
}

void VideohubBridge::schedulePoll()
{
    if (m_pollPending || !m_online)
        return;
    m_pollPending = true;
    m_timers.after(m_config.poll, this, [this] {
        m_context.gate().enqueue([self = QPointer<VideohubBridge>(this)] {
            if (self)
                self->pollRouting();
        });
    });
}

QString VideohubBridge::failureText() const
{
    const std::optional<RecordedFailure> &failure = m_session.failure();
    return failure ? failure->message(m_config.switcherName) : QStringLiteral("no answer");
}

// ---------------------------------------------------------------------------------------------
// What the clients are shown

std::vector<Label> VideohubBridge::labels(PortKind kind) const
{
    const PortTagsModel &tags = m_context.portTags();
    const int count = kind == PortKind::Input ? m_ports.inputs : m_ports.outputs;
    std::vector<Label> list;
    for (int port = 1; port <= count; ++port) {
        const QString tag = kind == PortKind::Input ? tags.inputTag(port) : tags.outputTag(port);
        list.push_back({port, tag.trimmed().isEmpty() ? ShortLabel(kind, port) : tag});
    }
    return list;
}

std::vector<Route> VideohubBridge::routes(const std::vector<int> &outputs) const
{
    std::vector<Route> list;
    for (int output : outputs) {
        const int input =
            output >= 1 && output <= int(m_inputs.size()) ? m_inputs[std::size_t(output - 1)] : 0;
        // An input the switcher does not have (or not known yet) is not shown.
        if (input >= 1 && input <= m_ports.inputs)
            list.push_back({output, input});
    }
    return list;
}

std::vector<int> VideohubBridge::allOutputs() const
{
    std::vector<int> outputs;
    for (int output = 1; output <= m_ports.outputs; ++output)
        outputs.push_back(output);
    return outputs;
}

HubState VideohubBridge::state() const
{
    HubState hub;
    hub.device.present = m_online;
    hub.device.modelName = m_model;
    hub.device.ports = m_ports;
    hub.inputLabels = labels(PortKind::Input);
    hub.outputLabels = labels(PortKind::Output);
    hub.routing = routes(allOutputs());
    return hub;
}

QByteArray VideohubBridge::stateBlocks() const
{
    const HubState hub = state();
    QByteArray text;
    for (StatusBlock block :
         {StatusBlock::Device, StatusBlock::InputLabels, StatusBlock::OutputLabels,
          StatusBlock::OutputRouting, StatusBlock::OutputLocks})
        text += StatusBlockText(block, hub);
    return text;
}

} // namespace Bridge
