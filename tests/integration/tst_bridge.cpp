// The Videohub bridge with real TCP clients: first its core on the virtual clock behind its
// TCP server, with the simulated switcher behind the fake serial port; then the programs
// matrix-bridge and matrix-sim talking over loopback.
#include "BridgeRig.h"
#include "TestFiles.h"

#include "BridgeServer.h"
#include "videohub/VideohubBlocks.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

const QHostAddress ServerAddress(QStringLiteral("127.0.0.51"));
const QString SimAddress = QStringLiteral("127.0.0.52");
const QString ProgramAddress = QStringLiteral("127.0.0.53");

/// A Videohub client on a real socket; everything it receives is kept.
class TcpClient
{
public:
    TcpClient(const QHostAddress &address, quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket,
                         [this] { received += socket.readAll(); });
        socket.connectToHost(address, port);
    }

    QList<QByteArray> blocks() const { return SplitBlocks(received); }
    /// Blocks whose first line is `header`.
    QList<QByteArray> blocks(const QByteArray &header) const
    {
        QList<QByteArray> found;
        for (const QByteArray &block : blocks()) {
            if (block.startsWith(header + '\n') || block == header)
                found << block;
        }
        return found;
    }
    bool waitForBlocks(const QByteArray &header, qsizetype count, int limitMs = 5000)
    {
        return BridgeRig::waitFor([&] { return blocks(header).size() >= count; }, limitMs);
    }
    bool waitForPrelude() { return waitForBlocks("END PRELUDE:", 1); }
    void send(const QByteArray &bytes) { socket.write(bytes); }
    /// What arrived after the opening blocks.
    QList<QByteArray> afterPrelude() const
    {
        const QList<QByteArray> all = blocks();
        const qsizetype end = all.indexOf("END PRELUDE:");
        return all.mid(end + 1);
    }

    QTcpSocket socket;
    QByteArray received;
};

/// The core on the virtual clock behind the real TCP server.
struct ServedBridge : BridgeRig
{
    ServedBridge() { QVERIFY(server.listen(ServerAddress, 0)); }

    std::unique_ptr<TcpClient> connectClient()
    {
        auto client = std::make_unique<TcpClient>(ServerAddress, server.port());
        if (!client->waitForPrelude())
            return nullptr;
        return client;
    }

    Bridge::BridgeServer server{bridge};
};

QByteArray RouteBlock(int output, int input)
{
    return "VIDEO OUTPUT ROUTING:\n" + QByteArray::number(output - 1) + ' ' +
           QByteArray::number(input - 1) + "\n\n";
}

/// Outputs 1..4 after the routing blocks in order: "2,1,4,3".
QString RoutingOf(const QList<QByteArray> &blocks)
{
    std::array<int, 4> inputs{};
    for (const QByteArray &block : blocks) {
        for (const QByteArray &line : block.split('\n').mid(1)) {
            const QList<QByteArray> fields = line.split(' ');
            inputs.at(std::size_t(fields[0].toInt())) = fields[1].toInt() + 1;
        }
    }
    QStringList text;
    for (int input : inputs)
        text << QString::number(input);
    return text.join(QLatin1Char(','));
}

QString Program(const char *name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../") +
           QString::fromLatin1(name);
}

} // namespace

class tst_Bridge : public QObject
{
    Q_OBJECT

private slots:
    void openingBlocks();
    void burstFromThreeClients();
    void malformedBlockKeepsTheConnection();
    void clientLeavingMidBlockIsForgotten();
    void silentSwitcher();
    void frontPanelChangeReachesEveryClient();
    void programs();
};

void tst_Bridge::openingBlocks()
{
    ServedBridge rig;
    rig.device.state().routing = {3, 1, 4, 2, 5, 6, 7, 8};
    QVERIFY(rig.start());
    const auto client = rig.connectClient();
    QVERIFY(client);
    QCOMPARE(client->received, Videohub::Prelude(rig.bridge.state()));
    QCOMPARE(client->blocks("VIDEO OUTPUT ROUTING:"),
             QList<QByteArray>{"VIDEO OUTPUT ROUTING:\n0 2\n1 0\n2 3\n3 1"});
    QVERIFY(client->received.contains("Video inputs: 4\n"));
    QVERIFY(client->received.contains("Video outputs: 4\n"));
    QCOMPARE(client->blocks("VIDEO OUTPUT LOCKS:"),
             QList<QByteArray>{"VIDEO OUTPUT LOCKS:\n0 U\n1 U\n2 U\n3 U"});
    QCOMPARE(client->blocks("INPUT LABELS:"),
             QList<QByteArray>{"INPUT LABELS:\n0 Input1\n1 Input2\n2 Input3\n3 Input4"});
}

void tst_Bridge::burstFromThreeClients()
{
    constexpr int Requests = 50;
    ServedBridge rig;
    QVERIFY(rig.start());
    std::vector<std::unique_ptr<TcpClient>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(rig.connectClient());
        QVERIFY(clients.back());
    }

    // Client k routes output k, each request a route of its own, all written at once.
    std::vector<QStringList> sent(3);
    for (int k = 1; k <= 3; ++k) {
        QByteArray burst;
        for (int i = 0; i < Requests; ++i) {
            const int input = (i * 3 + k) % 4 + 1;
            burst += RouteBlock(k, input);
            sent[std::size_t(k - 1)] << QString::number(k) + '<' + QString::number(input);
        }
        clients[std::size_t(k - 1)]->send(burst);
    }
    for (const auto &client : clients)
        QVERIFY(client->waitForBlocks("VIDEO OUTPUT ROUTING:", 1 + 3 * Requests, 20000));

    // All applied, each client's in the order sent.
    const QStringList routes = rig.sentRoutes();
    QCOMPARE(routes.size(), 3 * Requests);
    for (int k = 1; k <= 3; ++k)
        QCOMPARE(routes.filter(QRegularExpression(QStringLiteral("^%1<").arg(k))),
                 sent[std::size_t(k - 1)]);
    // Each client had all its requests accepted, and every client saw the same updates.
    const auto updates = [](const TcpClient &client) {
        QList<QByteArray> blocks = client.afterPrelude();
        blocks.removeAll("ACK");
        return blocks;
    };
    for (const auto &client : clients) {
        QCOMPARE(client->blocks("ACK").size(), Requests);
        QCOMPARE(updates(*client), updates(*clients[0]));
    }
    // The last update of each output is the switcher's routing, and a new client is shown it.
    QCOMPARE(RoutingOf(clients[0]->blocks("VIDEO OUTPUT ROUTING:")), rig.simRouting());
    const auto late = rig.connectClient();
    QVERIFY(late);
    QCOMPARE(RoutingOf(late->blocks("VIDEO OUTPUT ROUTING:")), rig.simRouting());
}

void tst_Bridge::malformedBlockKeepsTheConnection()
{
    ServedBridge rig;
    QVERIFY(rig.start());
    const auto client = rig.connectClient();
    QVERIFY(client);
    client->send("VIDEO OUTPUT ROUTING:\n0 1\n1 x\n\n");
    QVERIFY(client->waitForBlocks("NAK", 1));
    client->send("PING:\n\n");
    QVERIFY(client->waitForBlocks("ACK", 1));
    QCOMPARE(client->afterPrelude(), (QList<QByteArray>{"NAK", "ACK"}));
    QCOMPARE(client->socket.state(), QAbstractSocket::ConnectedState);
    QVERIFY(rig.sentRoutes().isEmpty());
}

void tst_Bridge::clientLeavingMidBlockIsForgotten()
{
    ServedBridge rig;
    QVERIFY(rig.start());
    const auto leaving = rig.connectClient();
    const auto staying = rig.connectClient();
    QVERIFY(leaving && staying);
    leaving->send("VIDEO OUTPUT ROUTING:\n0 3\n");
    leaving->socket.flush();
    QVERIFY(rig.waitFor([&] { return rig.log.filter(QStringLiteral("connected")).size() == 2; }));
    leaving->socket.abort();
    QVERIFY(rig.waitFor([&] { return rig.bridge.clientCount() == 1; }));

    staying->send("PING:\n\n");
    QVERIFY(staying->waitForBlocks("ACK", 1));
    QCOMPARE(staying->afterPrelude(), QList<QByteArray>{"ACK"});
    QVERIFY(rig.sentRoutes().isEmpty());
    QCOMPARE(rig.simRouting(), QStringLiteral("1,2,3,4"));
}

void tst_Bridge::silentSwitcher()
{
    ServedBridge rig;
    QVERIFY(rig.start());
    const auto asking = rig.connectClient();
    const auto watching = rig.connectClient();
    QVERIFY(asking && watching);

    rig.device.faults().arm(SimFault::Silence, SimFaults::Always);
    asking->send(RouteBlock(1, 2));
    // Accepted into the queue; three time-outs later the switcher counts as gone.
    QVERIFY(asking->waitForBlocks("VIDEOHUB DEVICE:", 2));
    QVERIFY(watching->waitForBlocks("VIDEOHUB DEVICE:", 2));
    QCOMPARE(watching->blocks("VIDEOHUB DEVICE:").last(),
             QByteArray("VIDEOHUB DEVICE:\nDevice present: false"));
    const QStringList lost = rig.log.filter(QStringLiteral("lost"));
    QCOMPARE(lost.size(), 1);
    QVERIFY2(lost.first().contains(QStringLiteral("serial port ttyUSB0 lost (Time out!)")),
             qPrintable(lost.first()));
    // The client that asked sees the routing the switcher kept.
    QVERIFY(asking->waitForBlocks("VIDEO OUTPUT ROUTING:", 2));
    QCOMPARE(asking->afterPrelude(),
             (QList<QByteArray>{"ACK", "VIDEOHUB DEVICE:\nDevice present: false",
                                "VIDEO OUTPUT ROUTING:\n0 0"}));

    // While it is gone, route changes are refused.
    asking->send(RouteBlock(1, 3));
    QVERIFY(asking->waitForBlocks("NAK", 1));

    // It answers again: the next attempt finds it and every client is told.
    rig.device.faults().disarm(SimFault::Silence);
    rig.advance(1100ms);
    QVERIFY(rig.bridge.online());
    QVERIFY(watching->waitForBlocks("VIDEOHUB DEVICE:", 3));
    QVERIFY(watching->blocks("VIDEOHUB DEVICE:").last().contains("Device present: true"));
    asking->send(RouteBlock(1, 3));
    QVERIFY(watching->waitForBlocks("VIDEO OUTPUT ROUTING:", 3));
    QCOMPARE(watching->blocks("VIDEO OUTPUT ROUTING:").last(),
             QByteArray("VIDEO OUTPUT ROUTING:\n0 2"));
    QCOMPARE(rig.simRouting(), QStringLiteral("3,2,3,4"));
}

void tst_Bridge::frontPanelChangeReachesEveryClient()
{
    ServedBridge rig;
    QVERIFY(rig.start());
    std::vector<std::unique_ptr<TcpClient>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(rig.connectClient());
        QVERIFY(clients.back());
    }
    rig.advance(400ms); // somewhere between two polls

    QVERIFY(rig.device.state().frontPanelRoute(2, 4));
    const std::int64_t changed = rig.clock.elapsedMs();
    while (rig.bridge.state().routing[1].input != 4 && rig.clock.elapsedMs() - changed < 1500)
        rig.advance(10ms);
    QVERIFY(rig.clock.elapsedMs() - changed <= 1500);
    for (const auto &client : clients) {
        QVERIFY(client->waitForBlocks("VIDEO OUTPUT ROUTING:", 2));
        QCOMPARE(client->afterPrelude(), QList<QByteArray>{"VIDEO OUTPUT ROUTING:\n1 3"});
    }
}

void tst_Bridge::programs()
{
    const QString bridgeProgram = Program("matrix-bridge");
    for (const auto &[arguments, code] :
         std::vector<std::pair<QStringList, int>>{{{"--version"}, 0},
                                                  {{"--help"}, 0},
                                                  {{"--poll-ms", "0"}, 2},
                                                  {{"--port", "/dev/null", "--host", "1.2.3.4"}, 2},
                                                  {{"--listen", "localhost"}, 2}}) {
        QProcess process;
        process.start(bridgeProgram, arguments);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), code);
    }

    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("front-panel.txt"));
    QVERIFY(WriteFileBytes(script, "2000 route 2 4\n"));
    QElapsedTimer sinceStart;
    QProcess sim;
    sim.start(Program("matrix-sim"), {"--tcp", SimAddress, "--front-panel-script", script});
    sinceStart.start();
    QVERIFY(sim.waitForStarted());
    QVERIFY(BridgeRig::waitFor([&] { return sim.readAllStandardError().contains("listening"); }));

    QProcess bridge;
    bridge.start(bridgeProgram, {"--host", SimAddress, "--listen", ProgramAddress + ":9990",
                                 "--settings", dir.filePath(QStringLiteral("Settings.ini")),
                                 "--poll-ms", "50", "--client-timeout-ms", "300"});
    QByteArray log;
    QVERIFY(BridgeRig::waitFor([&] {
        log += bridge.readAllStandardError();
        return log.contains("reached: HDMI Matrix 4x4");
    }));

    TcpClient endless(QHostAddress(ProgramAddress), 9990);
    TcpClient client(QHostAddress(ProgramAddress), 9990);
    QVERIFY(client.waitForPrelude());
    QVERIFY(endless.waitForPrelude());
    QCOMPARE(client.blocks("VIDEO OUTPUT ROUTING:"),
             QList<QByteArray>{"VIDEO OUTPUT ROUTING:\n0 0\n1 1\n2 2\n3 3"});

    // The front panel's change reaches the client well within 1.5 s of the step.
    QVERIFY(client.waitForBlocks("VIDEO OUTPUT ROUTING:", 2, 5000));
    QVERIFY2(sinceStart.elapsed() < 2000 + 1500, qPrintable(QString::number(sinceStart.elapsed())));
    QCOMPARE(client.blocks("VIDEO OUTPUT ROUTING:").last(),
             QByteArray("VIDEO OUTPUT ROUTING:\n1 3"));

    // An endless line is bounded and its client dropped after the time-out.
    endless.send(QByteArray(256 * 1024, 'x'));
    QVERIFY(BridgeRig::waitFor(
        [&] { return endless.socket.state() == QAbstractSocket::UnconnectedState; }));
    client.send(RouteBlock(4, 1) + "PING:\n\n");
    QVERIFY(client.waitForBlocks("ACK", 2));
    QVERIFY(client.waitForBlocks("VIDEO OUTPUT ROUTING:", 3));
    QCOMPARE(client.blocks("VIDEO OUTPUT ROUTING:").last(),
             QByteArray("VIDEO OUTPUT ROUTING:\n3 0"));

    log += bridge.readAllStandardError();
    QVERIFY2(log.contains("dropped: a block left unfinished for 0.3 s"), log.constData());
    // One line per event, each with a time stamp.
    for (const QByteArray &line : log.trimmed().split('\n'))
        QVERIFY2(
            QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3} "
                                              "matrix-bridge: "))
                .match(QString::fromUtf8(line))
                .hasMatch(),
            line.constData());

    bridge.kill();
    sim.kill();
    bridge.waitForFinished();
    sim.waitForFinished();
}

QTEST_GUILESS_MAIN(tst_Bridge)
#include "tst_bridge.moc"
