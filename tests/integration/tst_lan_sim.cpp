#include "LinkRig.h"

#include "link/LanRecords.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"
#include "link/UdpEndpoint.h"
#include "SimLdcd.h"
#include "SimNetworkModule.h"
#include "SimPty.h"
#include "SwitcherDevice.h"

#include <QHostAddress>
#include <QTest>

using namespace std::chrono_literals;

namespace {
const QString ModuleAddress = QStringLiteral("127.0.0.5");
// Not the loopback address the answers come from, so the link's own-address filter keeps them.
const QString PcAddress = QStringLiteral("192.0.2.1");

/// The real UDP socket, except that broadcasts are recorded instead of sent: tests never
/// broadcast on a real interface.
class LoopbackOnlyEndpoint final : public DatagramEndpoint
{
public:
    explicit LoopbackOnlyEndpoint(QStringList &broadcasts) : m_broadcasts(broadcasts)
    {
        connect(&m_socket, &DatagramEndpoint::datagramArrived, this,
                &DatagramEndpoint::datagramArrived);
    }
    bool bind(std::uint16_t localPort) override { return m_socket.bind(localPort); }
    void setBroadcastAllowed(bool allowed) override { m_socket.setBroadcastAllowed(allowed); }
    bool send(const QString &host, std::uint16_t port, std::span<const std::uint8_t> bytes) override
    {
        if (!QHostAddress(host).isLoopback()) {
            m_broadcasts.append(host);
            return true;
        }
        return m_socket.send(host, port, bytes);
    }
    void close() override { m_socket.close(); }

private:
    UdpEndpoint m_socket;
    QStringList &m_broadcasts;
};

class LoopbackFactory final : public TransportFactory
{
public:
    std::unique_ptr<StreamEndpoint> createSerial() override { return m_qt.createSerial(); }
    std::unique_ptr<StreamEndpoint> createTcp() override { return m_qt.createTcp(); }
    std::unique_ptr<DatagramEndpoint> createUdp() override
    {
        return std::make_unique<LoopbackOnlyEndpoint>(notSent);
    }
    QString localIPv4() const override { return PcAddress; }

    QStringList notSent;

private:
    QtTransportFactory m_qt;
};

struct LanSimRig
{
    explicit LanSimRig(WaitClock &clock) : clock(clock) { RecordNotifications(link, seen); }

    QList<int> outcome() const { return OutcomeCodes(seen, true); }

    WaitClock &clock;
    LoopbackFactory factory;
    ProgramFlags flags;
    TKXCOMControl link{flags, factory, clock};
    QList<SeenNotification> seen;
};

QByteArray ExpectedLdcdWire(std::uint8_t command, std::array<std::uint8_t, 4> address)
{
    QByteArray wire = QByteArray::fromHex("5E17C2A04B9D38E6F1027A4CD95B6E13");
    wire += char(command);
    wire += QByteArray(3, '\0');
    for (const auto octet : address)
        wire += char(octet);
    wire += QByteArray(6, '\0');
    wire += char(0xFF);
    unsigned sum = 0;
    for (const char c : wire)
        sum += std::uint8_t(c);
    wire += char(sum);
    return wire;
}
} // namespace

class LanSimTest : public QObject
{
    Q_OBJECT
private slots:
    void ldcdQueryAndResetOverPty()
    {
        RealClock clock;
        LanSimRig rig(clock);
        SwitcherDevice device;
        SimLdcd module(device);
        SimPty pty(device);
        QVERIFY2(pty.open(), qPrintable(pty.errorString()));
        rig.link.setControlMode(cmCOM);
        rig.link.setComPort(pty.slavePath());
        QVERIFY(rig.link.Open());

        TLDCDRecord query{};
        query[16] = 0x01;
        TLDCDResult result;
        rig.link.SendLDCD(query, result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(module.received.size(), 1);
        QCOMPARE(module.received[0], ExpectedLdcdWire(0x01, {0, 0, 0, 0}));
        QCOMPARE(result.Reply[17], std::uint8_t(1));
        QCOMPARE(result.Reply[18], std::uint8_t(5));
        QCOMPARE(LanRecords::DottedIPv4(std::span(result.Reply).subspan(20, 4)),
                 QStringLiteral("10.0.0.7"));

        module.dhcp = true;
        TLDCDRecord reset{};
        reset[16] = 0xFF;
        reset[20] = 192;
        reset[21] = 168;
        reset[22] = 0;
        reset[23] = 100;
        rig.link.SendLDCD(reset, result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(module.received.last(), ExpectedLdcdWire(0xFF, {192, 168, 0, 100}));
        QCOMPARE(module.resets, 1);
        QVERIFY(!module.dhcp);
        QCOMPARE(module.address, (std::array<std::uint8_t, 4>{192, 168, 0, 100}));
        QVERIFY(rig.outcome().isEmpty());
    }

    void ldcdFaultsOverPty_data()
    {
        QTest::addColumn<SimFault>("fault");
        QTest::addColumn<QList<int>>("outcome");
        QTest::newRow("refused") << SimFault::Refuse << QList<int>{};
        QTest::newRow("checksum") << SimFault::BadChecksum << QList<int>{NotifySendFailed};
    }

    void ldcdFaultsOverPty()
    {
        QFETCH(SimFault, fault);
        QFETCH(QList<int>, outcome);
        RealClock clock;
        LanSimRig rig(clock);
        SwitcherDevice device;
        SimLdcd module(device);
        SimPty pty(device);
        QVERIFY2(pty.open(), qPrintable(pty.errorString()));
        rig.link.setControlMode(cmCOM);
        rig.link.setComPort(pty.slavePath());
        QVERIFY(rig.link.Open());
        device.faults().arm(fault, 3);

        TLDCDRecord query{};
        query[16] = 0x01;
        TLDCDResult result;
        rig.link.SendLDCD(query, result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(module.received.size(), 3);
        QCOMPARE(rig.outcome(), outcome);
    }

    void discoveryAtOneAddress()
    {
        VirtualClock clock;
        LanSimRig rig(clock);
        SimNetworkModule modules;
        SimNetworkModule::Module second;
        second.mac[5] = 0x5F;
        second.tag = "Stage";
        second.dhcp = true;
        modules.modules.append(second);
        QVERIFY2(modules.listen(QHostAddress(ModuleAddress)), qPrintable(modules.errorString()));

        rig.link.setUDPMode(umNORMAL);
        rig.link.setDeviceIP(ModuleAddress);
        QVERIFY(rig.link.SearchDevices());
        QCOMPARE(rig.link.DeviceCount(), 2);
        QCOMPARE(rig.link.GetDeviceItem(1, 0), QStringLiteral("00-1A-2B-3C-4D-5E"));
        QCOMPARE(rig.link.GetDeviceItem(1, 1), QStringLiteral("192.168.0.100"));
        QCOMPARE(rig.link.GetDeviceItem(1, 6), QStringLiteral("Matrix"));
        QCOMPARE(rig.link.GetDeviceItem(1, 7), QStringLiteral("0"));
        QCOMPARE(rig.link.GetDeviceItem(2, 6), QStringLiteral("Stage"));
        QCOMPARE(rig.link.GetDeviceItem(2, 7), QStringLiteral("1"));

        QCOMPARE(modules.received.size(), 1);
        QCOMPARE(modules.received[0].localPort, std::uint16_t(30600));
        QCOMPARE(modules.received[0].bytes, QByteArray("#"));
        QCOMPARE(modules.received[0].senderPort, std::uint16_t(30600));
        QVERIFY(rig.factory.notSent.isEmpty());
    }

    void configurationAtOneAddress_data()
    {
        QTest::addColumn<SimNetworkModule::ConfigAnswer>("answer");
        QTest::addColumn<int>("result");
        QTest::newRow("accepted") << SimNetworkModule::ConfigAnswer::Accept << 0;
        QTest::newRow("conflict") << SimNetworkModule::ConfigAnswer::Conflict << 2;
        QTest::newRow("failed") << SimNetworkModule::ConfigAnswer::Fail << 1;
    }

    void configurationAtOneAddress()
    {
        QFETCH(SimNetworkModule::ConfigAnswer, answer);
        QFETCH(int, result);
        VirtualClock clock;
        LanSimRig rig(clock);
        SimNetworkModule modules;
        modules.configAnswer = answer;
        QVERIFY2(modules.listen(QHostAddress(ModuleAddress)), qPrintable(modules.errorString()));
        rig.link.setDeviceIP(ModuleAddress);

        TLANConfigRecord record{};
        const std::array<std::uint8_t, 10> head = {0x00, 0x1A, 0x2B, 0x3C, 0x4D,
                                                   0x5E, 192,  168,  1,    50};
        std::copy(head.begin(), head.end(), record.begin());
        record[10] = 192;
        record[11] = 168;
        record[12] = 1;
        record[13] = 1;
        record[14] = 255;
        record[15] = 255;
        record[16] = 255;
        record[25] = 21;
        record.at(42) = 'H';
        record.at(43) = 'i';
        QCOMPARE(rig.link.ConfigureDevice(record), result);

        // The broadcast was kept off the wire; the unicast reached the module unchanged
        // apart from the request mark and the checksum.
        QCOMPARE(rig.factory.notSent, QStringList{QStringLiteral("255.255.255.255")});
        QCOMPARE(modules.received.size(), 1);
        QByteArray expected = AsBytes(record);
        expected[74] = char(0xFF);
        expected[75] = char(LanRecords::RecordChecksum(record) + 0xFF);
        QCOMPARE(modules.received[0].bytes, expected);
        QCOMPARE(modules.received[0].localPort, std::uint16_t(30601));
        if (result == 0) {
            QCOMPARE(modules.modules[0].address, (std::array<std::uint8_t, 4>{192, 168, 1, 50}));
            QCOMPARE(modules.modules[0].tag, QByteArray("Hi"));
        }
    }
};

QTEST_GUILESS_MAIN(LanSimTest)
#include "tst_lan_sim.moc"
