#pragma once

#include "videohub/VideohubBlockAssembler.h"
#include "videohub/VideohubBlocks.h"
#include "videohub/VideohubProtocol.h"
#include "videohub/VideohubRequest.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class ExchangeGuard;
class ShellContext;
class SwitcherSession;
struct TCommandResult;
class Timers;

namespace Bridge {

/// Where the bridge's answers to one client go: a TCP socket in the program, a recorder in
/// the tests. The channel never calls back into the bridge from send() or close().
class ClientChannel
{
public:
    virtual ~ClientChannel() = default;
    /// Whole blocks, each ended by its blank line.
    virtual void send(const QByteArray &bytes) = 0;
    /// The bridge has forgotten the client; the connection is to be closed.
    virtual void close() = 0;
    /// The peer's address, for the log.
    virtual QString peer() const = 0;
};

struct BridgeConfig
{
    /// How often the switcher's routing is read to find changes made elsewhere.
    std::chrono::milliseconds poll{1000};
    /// A client that leaves a block unfinished this long is dropped.
    std::chrono::milliseconds clientTimeout{10000};
    /// Back-off between attempts to reach the switcher: doubling from the first to the last.
    std::chrono::milliseconds firstRetry{1000};
    std::chrono::milliseconds lastRetry{30000};
    /// The switcher's connection as the log names it ("serial port /dev/ttyUSB0").
    QString switcherName = QStringLiteral("the switcher");
};

/// Lets Videohub clients share one switcher. Each client's blocks are answered at once (ACK,
/// NAK, or ACK and the block asked for); route changes wait in the command gate's queue and
/// are applied in the order they came, and every client sees the routing that results. The
/// routing is polled through the same queue, so that changes made at the switcher itself
/// reach the clients too. Labels are the port tags of Settings.ini.
///
/// When the switcher stops answering the bridge logs it, refuses route changes, tells the
/// clients "Device present: false" and tries again after 1, 2, 4 ... 30 seconds.
///
/// No sockets here: the network layer hands in each client's bytes and a channel for its
/// answers, so the tests drive the bridge on their virtual clock.
class VideohubBridge : public QObject
{
    Q_OBJECT
public:
    using ClientId = int;

    VideohubBridge(SwitcherSession &session, Timers &timers, BridgeConfig config = {},
                   QObject *parent = nullptr);
    ~VideohubBridge() override;

    /// Reaches the switcher for the first time (through the gate's queue).
    void start();

    /// A new client: it gets the opening blocks at once.
    ClientId addClient(ClientChannel &channel);
    /// Bytes a client sent, in pieces of any size.
    void receive(ClientId client, QByteArrayView bytes);
    /// The client has gone; what it left unfinished is forgotten.
    void removeClient(ClientId client);

    /// Called once the routes have been tried, with the outputs whose change was not applied.
    using RoutesDone = std::function<void(const std::vector<int> &notApplied)>;
    /// Route changes from another front end (the web page): queued behind what waits
    /// already, applied as a client's are, and shown to every client. False, with nothing
    /// queued, while the switcher is not reached.
    bool queueRoutes(std::vector<Videohub::Route> routes, RoutesDone done);

    bool online() const { return m_online; }
    std::size_t clientCount() const { return m_clients.size(); }
    Videohub::PortCounts ports() const { return m_ports; }
    /// What the opening blocks show now.
    Videohub::HubState state() const;
    /// The wait before the next attempt to reach the switcher.
    std::chrono::milliseconds retryDelay() const { return m_retry; }

    /// The name a port without a tag is shown with: "Input1", "Output1".
    static QString ShortLabel(Videohub::PortKind kind, int port);

signals:
    /// One line for the log (no time stamp, no line end).
    void logLine(const QString &text);
    void onlineChanged(bool online);
    /// What state() shows has changed: the routing, a label, or whether the switcher is
    /// reached.
    void stateChanged();

private:
    struct Client;

    Client *find(ClientId id) const;
    void send(ClientId id, const QByteArray &bytes);
    void broadcast(const QByteArray &bytes);
    void drop(ClientId id, const QString &why);
    void armTimeout(ClientId id, Client &client);

    /// Answers one block; route changes are queued.
    void handle(ClientId id, const Videohub::Block &block);
    void changeLabels(ClientId id, const Videohub::LabelChange &change);

    // Jobs of the gate's queue.
    /// Applies the routes, shows what changed to every client; returns the outputs whose
    /// change was not applied.
    std::vector<int> applyRoutes(const std::vector<Videohub::Route> &routes);
    void pollRouting();
    void reachSwitcher();

    /// One exchange; false when it failed. A failure that means the switcher has gone takes
    /// the bridge offline.
    bool exchange(ExchangeGuard &guard, const QString &status, std::uint8_t command,
                  std::uint8_t subcommand, std::uint16_t p1, std::uint16_t p2,
                  TCommandResult &result);
    void goOffline(const QString &why);
    /// Arms the next attempt to reach the switcher; returns its delay.
    std::chrono::milliseconds scheduleRetry();
    void schedulePoll();
    QString failureText() const;

    std::vector<Videohub::Label> labels(Videohub::PortKind kind) const;
    std::vector<Videohub::Route> routes(const std::vector<int> &outputs) const;
    std::vector<int> allOutputs() const;
    /// The blocks that describe the switcher, without preamble and end: sent to every client
    /// when the switcher is reached again.
    QByteArray stateBlocks() const;

    SwitcherSession &m_session;
    ShellContext &m_context;
    Timers &m_timers;
    BridgeConfig m_config;
    std::map<ClientId, std::unique_ptr<Client>> m_clients;
    ClientId m_nextClient = 1;
    std::uint64_t m_timeoutGeneration = 0;

    bool m_online = false;
    bool m_linkLost = false;
    bool m_retryPending = false;
    bool m_pollPending = false;
    std::chrono::milliseconds m_retry;
    Videohub::PortCounts m_ports;
    QString m_model;
    /// The input of each output as last read or set; 0 while not known.
    std::vector<int> m_inputs;
};

} // namespace Bridge
