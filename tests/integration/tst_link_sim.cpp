#include "LinkRig.h"
#include "TestLine.h"

#include "SimPty.h"
#include "SimTcpServer.h"
#include "SwitcherDevice.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"
#include "link/TcpEndpoint.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {
using Line = TestLine;

const QString SimAddress = QStringLiteral("127.0.0.24");

/// The real transports, keeping a pointer to the TCP endpoint it made (the link owns it).
class WatchedTransports final : public TransportFactory
{
public:
    std::unique_ptr<StreamEndpoint> createSerial() override { return m_real.createSerial(); }
    std::unique_ptr<StreamEndpoint> createTcp() override
    {
        auto endpoint = std::make_unique<TcpEndpoint>(SwitcherTcpPort);
        tcp = endpoint.get();
        return endpoint;
    }
    std::unique_ptr<DatagramEndpoint> createUdp() override { return m_real.createUdp(); }
    QString localIPv4() const override { return m_real.localIPv4(); }

    TcpEndpoint *tcp = nullptr;

private:
    QtTransportFactory m_real;
};

/// The link on real transports against the simulator on a pseudo-terminal (COM mode) or on
/// loopback TCP (LAN mode).
struct SimRig
{
    SimRig(Line line, WaitClock &clock) : clock(clock)
    {
        RecordNotifications(link, seen);
        if (line == Line::Pty) {
            QVERIFY2(pty.open(), qPrintable(pty.errorString()));
            link.setControlMode(cmCOM);
            link.setComPort(pty.slavePath());
        } else {
            QVERIFY2(server.listen(QHostAddress(SimAddress)), qPrintable(server.errorString()));
            link.setControlMode(cmLAN);
            link.setDeviceIP(SimAddress);
        }
        opened = link.Open();
    }

    QList<int> outcome() const { return OutcomeCodes(seen); }

    WaitClock &clock;
    SwitcherDevice device;
    SimPty pty{device};
    SimTcpServer server{device};
    WatchedTransports factory;
    ProgramFlags flags;
    TKXCOMControl link{flags, factory, clock};
    QList<SeenNotification> seen;
    bool opened = false;
};

QByteArray BlockBytes(const SimEdidBlock &block)
{
    return AsBytes(block);
}
} // namespace

class LinkSimTest : public QObject
{
    Q_OBJECT
private slots:
    void routeAndQuery_data() { AddLineRows(); }
    void routeAndQuery()
    {
        QFETCH(Line, line);
        RealClock clock;
        SimRig rig(line, clock);
        QVERIFY(rig.opened);
        TCommandResult result;
        rig.link.SendCommand(MakeFrame(2, 3, 3, 2), result); // input 3 to output 2
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(rig.device.state().routing[1], std::uint8_t(3));
        QCOMPARE(rig.device.state().received.last(), AsBytes(MakeFrame(2, 3, 3, 2)));

        rig.link.SendCommand(MakeFrame(2, 1, 2), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(result.r6(), std::uint8_t(3));
        rig.link.SendCommand(MakeFrame(1, 2, 0xFE), result);
        QCOMPARE(result.r4(), std::uint8_t(4));
        QCOMPARE(result.r6(), std::uint8_t(4));
        QVERIFY(rig.outcome().isEmpty());
    }

    void edidRoundTrip_data() { AddLineRows(); }
    void edidRoundTrip()
    {
        QFETCH(Line, line);
        RealClock clock;
        SimRig rig(line, clock);
        QVERIFY(rig.opened);
        TCommandResult result;
        rig.link.ReadEDID(MakeFrame(3, 5, 0xF001), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(rig.link.ReadStream, BlockBytes(rig.device.state().displayEdid[0]));
        QCOMPARE(rig.outcome(), QList<int>{NotifyTransferDone});

        // Download what was read into user memory 2 and read it back from there.
        rig.link.WriteStream = rig.link.ReadStream;
        rig.link.DownloadEDID(MakeFrame(3, 7, 0xF200), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(BlockBytes(rig.device.state().userMemory[1]), rig.link.WriteStream);
        rig.link.ReadStream.clear();
        rig.link.ReadEDID(MakeFrame(3, 5, 0xF200), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(rig.link.ReadStream, rig.link.WriteStream);
    }

    void faults_data()
    {
        QTest::addColumn<Line>("line");
        QTest::addColumn<SimFault>("fault");
        QTest::addColumn<int>("answers");
        QTest::addColumn<QList<int>>("expected");
        QTest::addColumn<int>("success");
        const QList<int> none;
        for (Line line : {Line::Pty, Line::Tcp}) {
            const char *name = line == Line::Pty ? "pty" : "tcp";
            QTest::addRow("%s silence", name)
                << line << SimFault::Silence << 3 << QList<int>{NotifyTimeout} << 0;
            QTest::addRow("%s bad checksum", name)
                << line << SimFault::BadChecksum << 3 << QList<int>{NotifySendFailed} << 0;
            QTest::addRow("%s refused", name)
                << line << SimFault::Refuse << 3 << QList<int>{NotifySendFailed} << 0;
            QTest::addRow("%s refused once", name) << line << SimFault::Refuse << 1 << none << 1;
            QTest::addRow("%s split", name) << line << SimFault::Split << 1 << none << 1;
            QTest::addRow("%s extra bytes", name) << line << SimFault::ExtraBytes << 1 << none << 1;
        }
    }

    void faults()
    {
        QFETCH(Line, line);
        QFETCH(SimFault, fault);
        QFETCH(int, answers);
        QFETCH(QList<int>, expected);
        QFETCH(int, success);
        // Silence runs three 5 s time-outs: on the virtual clock they take milliseconds, while
        // the real transports still deliver their events at every step.
        VirtualClock clock;
        clock.setRealPausePerStep(200us);
        SimRig rig(line, clock);
        QVERIFY(rig.opened);
        rig.device.faults().arm(fault, answers);
        TCommandResult result;
        rig.link.SendCommand(MakeFrame(1, 1, 0xFE), result);
        QCOMPARE(rig.outcome(), expected);
        QCOMPARE(int(result.Success), success);
        if (success)
            QCOMPARE(result.r4(), std::uint8_t(1));
    }

    void slowAndPacedAnswers_data() { AddLineRows(); }
    void slowAndPacedAnswers()
    {
        QFETCH(Line, line);
        RealClock clock;
        SimRig rig(line, clock);
        QVERIFY(rig.opened);
        rig.device.faults().setDelay(120ms);
        rig.device.faults().arm(SimFault::Delay, 1);
        TCommandResult result;
        rig.link.SendCommand(MakeFrame(1, 3, 0xFE), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(result.r4(), std::uint8_t(1));
        QCOMPARE(result.r6(), std::uint8_t(2));

        rig.device.faults().setPaced(true);
        rig.link.ReadEDID(MakeFrame(3, 5, 0xF002), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(rig.link.ReadStream.size(), qsizetype(256));
        QVERIFY(rig.outcome() == QList<int>{NotifyTransferDone});
    }

    void floodedPeerCostsNoMemory()
    {
        // A module that floods garbage instead of answering. The exchange ends as with any
        // garbage ("Send data failed!"), the receive side never keeps more than a packet's
        // worth however much arrives, in an exchange or between them, and once the module
        // behaves again the next command works.
        RealClock clock;
        SimRig rig(Line::Tcp, clock);
        QVERIFY(rig.opened);
        TcpEndpoint &tcp = *rig.factory.tcp;
        std::size_t mostKept = 0;
        QObject::connect(&tcp, &StreamEndpoint::bytesArrived, &tcp,
                         [&] { mostKept = std::max(mostKept, tcp.buffered()); });
        constexpr qint64 Flood = 16 << 20;
        rig.device.faults().setFlood(Flood);
        rig.server.pumpFlood();

        TCommandResult result;
        rig.link.SendCommand(MakeFrame(1, 1, 0xFE), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(rig.outcome(), QList<int>{NotifySendFailed});
        QVERIFY(rig.device.faults().flood() > 0); // the exchange ran during the flood

        QTRY_VERIFY_WITH_TIMEOUT(tcp.received() >= std::size_t(Flood), 20000);
        QVERIFY(mostKept > 0 && mostKept <= ReceiveWindow::Capacity);
        QVERIFY(tcp.dropped() > 0);
        rig.seen.clear();
        rig.link.SendCommand(MakeFrame(1, 1, 0xFE), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QVERIFY(rig.outcome().isEmpty());
    }

    void lostLineMidExchange_data() { AddLineRows(); }
    void lostLineMidExchange()
    {
        QFETCH(Line, line);
        VirtualClock clock;
        clock.setRealPausePerStep(1ms);
        SimRig rig(line, clock);
        QVERIFY(rig.opened);
        rig.device.faults().arm(SimFault::Silence, SimFaults::Always);
        QObject::connect(&rig.device, &SwitcherDevice::unitReceived, &rig.device, [&] {
            QTimer::singleShot(0, &rig.device, [&] {
                if (line == Line::Pty)
                    rig.pty.close();
                else
                    rig.server.resetConnection();
            });
        });
        TCommandResult result;
        QElapsedTimer elapsed;
        elapsed.start();
        rig.link.SendCommand(MakeFrame(2, 1, 1), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(rig.outcome(), QList<int>{NotifyAccessFailed});
        // Ended by the loss, not by three time-outs (a loaded machine may see the loss only
        // when the next attempt writes).
        QVERIFY(clock.elapsedMs() < 3 * 5000);
        QVERIFY(elapsed.elapsed() < 5000);
        QVERIFY(!rig.link.Connected());
    }
};

QTEST_GUILESS_MAIN(LinkSimTest)
#include "tst_link_sim.moc"
