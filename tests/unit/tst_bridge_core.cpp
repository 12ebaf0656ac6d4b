// The Videohub bridge's core without sockets: what each request is answered, where labels are
// kept, the back-off towards an unreachable switcher and the time-out of unfinished blocks.
#include "BridgeRig.h"
#include "DesktopSettings.h"
#include "TestFiles.h"

#include "shell/CommandGate.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {

const QByteArray ComTags = "[Tag of Input - COM]\r\nIn1=Camera\r\nIn2=\r\nIn3=\r\nIn4=\r\n"
                           "[Tag of Output - COM]\r\nOut1=Projector\r\nOut2=\r\nOut3=\r\nOut4=\r\n";
const QByteArray Devices = "[TCP control device list]\r\nDevice No.1=[Hall]-[Static IP]-"
                           "[192.168.0.50]-[00-1A-2B-3C-4D-5E]-[Same Subnet]\r\n";
const QByteArray Ack = "ACK\n\n";
const QByteArray Nak = "NAK\n\n";
const QByteArray Unchanged = "1,2,3,4";

QByteArray RoutingQueryAnswer()
{
    return Ack + "VIDEO OUTPUT ROUTING:\n0 0\n1 1\n2 2\n3 3\n\n";
}

ConnectionTarget LanTarget(const QString &host)
{
    ConnectionTarget target;
    target.mode = cmLAN;
    target.host = host;
    return target;
}

} // namespace

class tst_BridgeCore : public QObject
{
    Q_OBJECT

private slots:
    void openingBlocks();
    void deviceBlockOfAnEightPortSwitcher();
    void answers_data();
    void answers();
    void labelsKeptInSettings_data();
    void labelsKeptInSettings();
    void backsOffWhileUnreachable();
    void dropsUnfinishedBlocks();
    void switcherFromOptionsOrSettings_data();
    void switcherFromOptionsOrSettings();
};

void tst_BridgeCore::openingBlocks()
{
    BridgeRig rig(BridgeRig::SerialTarget(), ComTags);
    RecordingChannel early;
    rig.bridge.addClient(early);
    QCOMPARE(early.take(), QByteArray("PROTOCOL PREAMBLE:\nVersion: 2.8\n\n"
                                      "VIDEOHUB DEVICE:\nDevice present: false\n\n"
                                      "END PRELUDE:\n\n"));

    rig.device.state().routing = {2, 4, 1, 4, 5, 6, 7, 8};
    QVERIFY(rig.start());
    const QByteArray state = "VIDEOHUB DEVICE:\nDevice present: true\n"
                             "Model name: HDMI Matrix 4x4\nVideo inputs: 4\n"
                             "Video processing units: 0\nVideo outputs: 4\n"
                             "Video monitoring outputs: 0\nSerial ports: 0\n\n"
                             "INPUT LABELS:\n0 Camera\n1 Input2\n2 Input3\n3 Input4\n\n"
                             "OUTPUT LABELS:\n0 Projector\n1 Output2\n2 Output3\n3 Output4\n\n"
                             "VIDEO OUTPUT ROUTING:\n0 1\n1 3\n2 0\n3 3\n\n"
                             "VIDEO OUTPUT LOCKS:\n0 U\n1 U\n2 U\n3 U\n\n";
    // A client that came before the switcher was reached learns about it then.
    QCOMPARE(early.take(), state);

    RecordingChannel client;
    rig.bridge.addClient(client);
    QCOMPARE(client.take(), "PROTOCOL PREAMBLE:\nVersion: 2.8\n\n" + state + "END PRELUDE:\n\n");
    QVERIFY(rig.log.contains(QStringLiteral("100 ms: switcher on serial port ttyUSB0 reached: "
                                            "HDMI Matrix 4x4")));
}

void tst_BridgeCore::deviceBlockOfAnEightPortSwitcher()
{
    // The size comes from the switcher, not from the four ports of the desktop's window.
    BridgeRig rig(BridgeRig::SerialTarget(), ComTags);
    rig.device.state().inputs = 8;
    rig.device.state().outputs = 8;
    QVERIFY(rig.start());
    RecordingChannel client;
    rig.bridge.addClient(client);
    const QByteArray prelude = client.take();
    QVERIFY(prelude.contains("Model name: HDMI Matrix 8x8\nVideo inputs: 8\n"));
    QVERIFY(prelude.contains("Video outputs: 8\n"));
    QVERIFY(prelude.contains("VIDEO OUTPUT ROUTING:\n0 0\n1 1\n2 2\n3 3\n4 4\n5 5\n6 6\n7 7\n"));
}

void tst_BridgeCore::answers_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");   // to the client that asked
    QTest::addColumn<QByteArray>("pushed");  // to another client
    QTest::addColumn<QByteArray>("routing"); // the switcher's afterwards
    const auto row = [](const char *name, const QByteArray &request, const QByteArray &reply,
                        const QByteArray &pushed = {}, const QByteArray &routing = Unchanged) {
        QTest::newRow(name) << request << reply << pushed << routing;
    };
    row("ping", "PING:\n\n", Ack);
    row("routing query", "VIDEO OUTPUT ROUTING:\n\n", RoutingQueryAnswer());
    row("locks query", "VIDEO OUTPUT LOCKS:\n\n",
        Ack + "VIDEO OUTPUT LOCKS:\n0 U\n1 U\n2 U\n3 U\n\n");
    row("labels query", "OUTPUT LABELS:\n\n",
        Ack + "OUTPUT LABELS:\n0 Projector\n1 Output2\n2 Output3\n3 Output4\n\n");
    const QByteArray routed = "VIDEO OUTPUT ROUTING:\n1 2\n\n";
    row("route", "VIDEO OUTPUT ROUTING:\n1 2\n\n", Ack + routed, routed, "1,3,3,4");
    const QByteArray two = "VIDEO OUTPUT ROUTING:\n0 2\n1 0\n\n";
    row("routes in order, a repeated output ends on its last line",
        "VIDEO OUTPUT ROUTING:\n0 3\n1 0\n0 2\n\n", Ack + two, two, "3,1,3,4");
    row("blocks of one write answered in order", "PING:\n\nVIDEO OUTPUT ROUTING:\n3 0\n\n",
        Ack + Ack + "VIDEO OUTPUT ROUTING:\n3 0\n\n", "VIDEO OUTPUT ROUTING:\n3 0\n\n", "1,2,3,1");
    row("input the switcher lacks", "VIDEO OUTPUT ROUTING:\n0 4\n\n", Nak);
    row("malformed route, nothing of it applied", "VIDEO OUTPUT ROUTING:\n0 1\n1 x\n\n", Nak);
    row("lock taken", "VIDEO OUTPUT LOCKS:\n0 O\n\n", Nak);
    row("lock released", "VIDEO OUTPUT LOCKS:\n0 U\n\n", Nak);
    row("block not served", "VIDEO MONITORING OUTPUT ROUTING:\n0 1\n\n", Nak);
    row("read-only block", "VIDEOHUB DEVICE:\nDevice present: true\n\n", Nak);
    const QByteArray player = "INPUT LABELS:\n1 Player\n\n";
    row("label", player, Ack + player, player);
    const QByteArray untagged = "OUTPUT LABELS:\n0 Output1\n\n";
    row("the short name clears a tag", untagged, Ack + untagged, untagged);
    row("a blank label clears a tag", "OUTPUT LABELS:\n0  \n\n", Ack + untagged, untagged);
    row("label of a port the switcher lacks", "INPUT LABELS:\n4 x\n\n", Nak);
    row("line beyond the codec's limit", "PING:" + QByteArray(5000, 'x') + "\n\nPING:\n\n",
        Nak + Ack);
}

void tst_BridgeCore::answers()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, pushed);
    QFETCH(QByteArray, routing);

    BridgeRig rig(BridgeRig::SerialTarget(), ComTags);
    QVERIFY(rig.start());
    RecordingChannel asking, other;
    const auto id = rig.bridge.addClient(asking);
    rig.bridge.addClient(other);
    asking.take();
    other.take();

    rig.bridge.receive(id, request);
    QVERIFY(rig.waitFor([&] { return rig.context.gate().queuedJobs() == 0; }));
    QCOMPARE(asking.received, reply);
    QCOMPARE(other.received, pushed);
    QCOMPARE(rig.simRouting().toLatin1(), routing);
    QVERIFY(!asking.closed);
}

void tst_BridgeCore::labelsKeptInSettings_data()
{
    QTest::addColumn<bool>("lan");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("file"); // lines of Settings.ini after the request
    const QByteArray label = "INPUT LABELS:\n1 Player\n\n";
    QTest::newRow("serial: the COM set")
        << false << label << Ack + label
        << QStringList{"[Tag of Input - COM]",  "In1=Camera",     "In2=Player", "In3=",  "In4=",
                       "[Tag of Output - COM]", "Out1=Projector", "Out2=",      "Out3=", "Out4="};
    const QByteArray cleared = "OUTPUT LABELS:\n0 Output1\n\n";
    QTest::newRow("serial: no tag left, no section left")
        << false << cleared << Ack + cleared
        << QStringList{"[Tag of Input - COM]", "In1=Camera", "In2=", "In3=", "In4="};
    QTest::newRow("TCP: the set of the device's MAC")
        << true << label << Ack + label
        << QStringList{"[TCP control device list]",
                       QString::fromLatin1(Devices).split("\r\n")[1],
                       "[Tag of Input - TCP:00-1A-2B-3C-4D-5E]",
                       "In1=",
                       "In2=Player",
                       "In3=",
                       "In4="};
}

void tst_BridgeCore::labelsKeptInSettings()
{
    QFETCH(bool, lan);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, file);

    ConnectionTarget target = BridgeRig::SerialTarget();
    if (lan) {
        target = LanTarget(QStringLiteral("192.168.0.50"));
        target.mac = QStringLiteral("00-1A-2B-3C-4D-5E");
    }
    BridgeRig rig(target, lan ? Devices : ComTags);
    QVERIFY(rig.start());
    RecordingChannel client;
    const auto id = rig.bridge.addClient(client);
    client.take();
    rig.bridge.receive(id, request);
    QCOMPARE(client.take(), reply);
    const QString written = QString::fromUtf8(FileBytes(rig.settingsPath()));
    QCOMPARE(written.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts), file);
}

void tst_BridgeCore::backsOffWhileUnreachable()
{
    BridgeRig rig;
    rig.transports.serial->openFails = true;
    QVERIFY(!rig.start());
    RecordingChannel client;
    const auto id = rig.bridge.addClient(client);
    client.take();
    rig.bridge.receive(id, "VIDEO OUTPUT ROUTING:\n0 1\n\nINPUT LABELS:\n0 A\n\n");
    // Nothing to route, and no ports known to name.
    QCOMPARE(client.take(), Nak + Nak);

    rig.advance(62s);
    QStringList delays;
    for (const QString &line : rig.log.filter(QStringLiteral("not reachable")))
        delays << line.section(QStringLiteral("next attempt in "), 1);
    QCOMPARE(delays, (QStringList{"1 s", "2 s", "4 s", "8 s", "16 s", "30 s", "30 s"}));
    QVERIFY2(rig.log.first().contains(QStringLiteral("ttyUSB0 not reachable (Open COM")),
             qPrintable(rig.log.first()));

    rig.transports.serial->openFails = false;
    rig.advance(30s);
    QVERIFY(rig.bridge.online());
    QVERIFY(rig.log.filter(QStringLiteral("reached: HDMI Matrix 4x4")).size() == 1);
    QVERIFY(client.take().startsWith("VIDEOHUB DEVICE:\nDevice present: true\n"));
    rig.bridge.receive(id, "VIDEO OUTPUT ROUTING:\n0 1\n\n");
    QVERIFY(rig.waitFor([&] { return client.received.size() > Ack.size(); }));
    QCOMPARE(client.take(), Ack + "VIDEO OUTPUT ROUTING:\n0 1\n\n");
    QCOMPARE(rig.bridge.retryDelay(), 1000ms);
}

void tst_BridgeCore::dropsUnfinishedBlocks()
{
    Bridge::BridgeConfig config;
    config.clientTimeout = 300ms;
    BridgeRig rig(BridgeRig::SerialTarget(), {}, config);
    QVERIFY(rig.start());

    // An unfinished block, an endless line still arriving, a block finished in time, a
    // client that only listens.
    RecordingChannel unfinished(QStringLiteral("unfinished")), endless(QStringLiteral("endless")),
        finished(QStringLiteral("finished")), listening(QStringLiteral("listening"));
    const auto a = rig.bridge.addClient(unfinished);
    const auto b = rig.bridge.addClient(endless);
    const auto c = rig.bridge.addClient(finished);
    rig.bridge.addClient(listening);
    rig.bridge.receive(a, "PING:\n");
    rig.bridge.receive(c, "PING:\n");
    for (int i = 0; i < 29; ++i) {
        rig.bridge.receive(b, QByteArray(64 * 1024, 'x'));
        if (i == 20)
            rig.bridge.receive(c, "\n");
        rig.advance(10ms);
    }
    QVERIFY(!unfinished.closed && !endless.closed);
    rig.advance(20ms);
    QVERIFY(unfinished.closed);
    QVERIFY(endless.closed);
    rig.advance(10s);
    QVERIFY(!finished.closed);
    QVERIFY(!listening.closed);
    QCOMPARE(rig.bridge.clientCount(), std::size_t(2));
    QVERIFY(rig.log.filter(QStringLiteral("dropped"))
                .contains(QStringLiteral(
                    "400 ms: client unfinished dropped: a block left unfinished for 0.3 s")));
}

void tst_BridgeCore::switcherFromOptionsOrSettings_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("target"); // describe() and the MAC, or the error
    const QByteArray lan =
        "[Control mode]\r\nMode=1\r\n[TCP control device]\r\nName=x\r\n" + Devices;
    const QString mac = QStringLiteral(" 00-1A-2B-3C-4D-5E");
    const QString none = QStringLiteral(" 00-00-00-00-00-00");
    QTest::newRow("--port") << "/dev/ttyUSB1"
                            << "" << lan << "serial port /dev/ttyUSB1";
    QTest::newRow("--host of a known device")
        << ""
        << "192.168.000.050" << QByteArray() << "192.168.0.50:8000" + none;
    QTest::newRow("--host, MAC from the device list")
        << ""
        << "192.168.0.50:8001" << lan << "192.168.0.50:8001" + mac;
    QTest::newRow("settings: the serial port")
        << ""
        << "" << QByteArray("[COM port]\r\nName=ttyS3\r\n") << "serial port ttyS3";
    QTest::newRow("settings: the selected network device")
        << ""
        << "" << lan << "192.168.0.50:8000" + mac;
    QTest::newRow("settings: a device without an address")
        << ""
        << ""
        << QByteArray("[Control mode]\r\nMode=1\r\n[TCP control device list]\r\n"
                      "Device No.1=[Hall]-[DHCP]-[0.0.0.0]-[00-1A-2B-3C-4D-5E]-[Same Subnet]\r\n")
        << "names TCP control mode but no network device; use --port or --host";
    QTest::newRow("settings name nothing")
        << ""
        << "" << QByteArray() << "names no serial port; use --port or --host";
    QTest::newRow("both") << "ttyS0"
                          << "10.0.0.1" << QByteArray() << "--port and --host exclude each other";
    QTest::newRow("host name") << ""
                               << "switcher.local" << QByteArray()
                               << "--host: not ADDR[:PORT] with an IPv4 address: switcher.local";
    QTest::newRow("port 0") << ""
                            << "10.0.0.1:0" << QByteArray()
                            << "--host: not ADDR[:PORT] with an IPv4 address: 10.0.0.1:0";
}

void tst_BridgeCore::switcherFromOptionsOrSettings()
{
    QFETCH(QString, port);
    QFETCH(QString, host);
    QFETCH(QByteArray, settings);
    QFETCH(QString, target);
    QTemporaryDir dir;
    const ConnectionOptions options{port, host, dir.filePath(QStringLiteral("Settings.ini"))};
    if (!settings.isEmpty())
        QVERIFY(WriteFileBytes(options.settings, settings));
    DesktopSettings desktop(Connection::Location(options));
    Connection::Unresolved error;
    const auto resolved = Connection::Resolve(options, desktop, &error);
    const QString described = !resolved ? error.text
                              : resolved->mode == cmLAN
                                  ? resolved->describe() + QLatin1Char(' ') + resolved->mac
                                  : resolved->describe();
    QVERIFY2(described.endsWith(target), qPrintable(described));
}

QTEST_GUILESS_MAIN(tst_BridgeCore)
#include "tst_bridge_core.moc"
