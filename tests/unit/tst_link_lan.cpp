#include "LanFixtures.h"
#include "LinkRig.h"

#include "link/LanRecords.h"
#include "link/LinkLog.h"

#include <QTest>

#include <vector>

using namespace std::chrono_literals;

namespace {
const QString ModuleIP = QStringLiteral("192.168.0.20");
const QString Broadcast = QStringLiteral("255.255.255.255");

QByteArray DeviceRecord(std::uint8_t macLast, std::array<std::uint8_t, 4> ip, const QByteArray &tag,
                        std::uint8_t dhcp)
{
    QByteArray record(55, '\0');
    const QByteArray mac = QByteArray::fromHex("001A2B3C4D") + char(macLast);
    record.replace(0, 6, mac);
    for (int i = 0; i < 4; ++i) {
        record[6 + i] = char(ip[std::size_t(i)]);
        record[10 + i] = char(i == 3 ? 1 : ip[std::size_t(i)]);
        record[14 + i] = char(i == 3 ? 0 : 255);
    }
    record[18] = char(0x12); // 0x1234 = 4660, big-endian
    record[19] = char(0x34);
    record[20] = char(0x75);
    record[21] = char(0x30);
    record.replace(22, qMin<qsizetype>(tag.size(), 32), tag.left(32));
    record[54] = char(dhcp);
    return record;
}

TLANConfigRecord StaticRecord(std::array<std::uint8_t, 4> ip)
{
    TLANConfigRecord record{};
    const std::array<std::uint8_t, 6> mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::copy(mac.begin(), mac.end(), record.begin());
    std::copy(ip.begin(), ip.end(), record.begin() + 6);
    record[25] = 21;
    return record;
}

QStringList StatusTexts(const LinkRig &rig, qint64 lParam)
{
    QStringList texts;
    for (const auto &note : rig.seen) {
        if (note.code == NotifyStatusText && note.lParam == lParam)
            texts.append(note.text);
    }
    return texts;
}

TLDCDRecord QueryRequest()
{
    TLDCDRecord request{};
    request[16] = 0x01;
    return request;
}

QByteArray LdcdAnswer(const QByteArray &request, std::uint8_t mark, bool goodChecksum = true)
{
    QByteArray answer = request;
    answer[17] = 1;
    answer[18] = 5;
    answer[19] = 0;
    answer[20] = 10;
    answer[21] = 0;
    answer[22] = 0;
    answer[23] = 7;
    answer[30] = char(mark);
    unsigned sum = 0;
    for (int i = 0; i < 31; ++i)
        sum += std::uint8_t(answer[i]);
    answer[31] = char(goodChecksum ? sum : sum + 1);
    return answer;
}
} // namespace

class LinkLanTest : public QObject
{
    Q_OBJECT
private slots:
    void searchCollectsTwoDevicesFromOneDatagram()
    {
        LinkRig rig;
        auto *udp = rig.factory.udp;
        udp->responder = [udp](const FakeDatagramEndpoint::Sent &sent) {
            udp->deliver(DeviceRecord(0x5E, {192, 168, 0, 20}, "Hall", 0) +
                             DeviceRecord(0x5F, {192, 168, 0, 21}, "Stage", 3),
                         ModuleIP, 30600);
        };
        QVERIFY(rig.link.SearchDevices());
        QCOMPARE(rig.link.DeviceCount(), 2);
        const QStringList first = {"00-1A-2B-3C-4D-5E",
                                   "192.168.0.20",
                                   "192.168.0.1",
                                   "255.255.255.0",
                                   "4660",
                                   "30000",
                                   "Hall",
                                   "0"};
        QCOMPARE(rig.link.DeviceList.mid(0, 8), first);
        QCOMPARE(rig.link.GetDeviceItem(2, 6), QStringLiteral("Stage"));
        QCOMPARE(rig.link.GetDeviceItem(2, 7), QStringLiteral("3"));

        // One probe: "#" broadcast from and to port 30600.
        QCOMPARE(udp->binds, std::vector<std::uint16_t>{30600});
        QCOMPARE(udp->sent.size(), std::size_t(1));
        QCOMPARE(udp->sent[0].host, Broadcast);
        QCOMPARE(udp->sent[0].port, quint16(30600));
        QCOMPARE(udp->sent[0].bytes, QByteArray("#"));
        QVERIFY(udp->sent[0].broadcastAllowed);
        // Answered in the first cycle: 30 progress steps of 100 ms and one 10 ms check.
        QCOMPARE(rig.clock.elapsedMs(), std::int64_t(3010));
        QVERIFY(!rig.link.Searching());

        const auto trace = std::find_if(rig.seen.begin(), rig.seen.end(),
                                        [](const auto &n) { return n.code == NotifyTrace; });
        QVERIFY(trace != rig.seen.end());
        QCOMPARE(trace->text, QStringLiteral("Remote: [192.168.0.20] : Port[30600]\r\n"
                                             "Local: [192.168.0.10]"));
    }

    void unansweredSearchRunsThreeCyclesWithSpinner()
    {
        LinkRig rig;
        QVERIFY(!rig.link.SearchDevices());
        QCOMPARE(rig.factory.udp->sent.size(), std::size_t(3));
        QCOMPARE(rig.clock.elapsedMs(), std::int64_t(3 * 3100));
        const QStringList texts = StatusTexts(rig, 0);
        QCOMPARE(texts.size(), 90);
        const QString base = QStringLiteral("Searching TCP control device ...");
        QCOMPARE(texts.mid(0, 5),
                 QStringList({base + "/", base + "-", base + "\\", base + "|", base + "/"}));
        QVERIFY(!rig.link.Searching());
    }

    void manualSearchProbesOneAddress()
    {
        LinkRig rig;
        rig.link.setUDPMode(umNORMAL);
        rig.link.setDeviceIP(QStringLiteral("10.1.2.3"));
        rig.link.SearchDevices();
        QCOMPARE(rig.factory.udp->sent[0].host, QStringLiteral("10.1.2.3"));
        QVERIFY(!rig.factory.udp->sent[0].broadcastAllowed);
    }

    void repeatedAnswersListADeviceOnce()
    {
        LinkRig rig;
        auto *udp = rig.factory.udp;
        const QByteArray hall = DeviceRecord(0x5E, {192, 168, 0, 20}, "Hall", 0);
        udp->responder = [&](const FakeDatagramEndpoint::Sent &) {
            udp->deliver(hall, ModuleIP, 30600);
            rig.clock.schedule(500ms, [&] { udp->deliver(hall + hall, ModuleIP, 30600); });
        };
        QVERIFY(rig.link.SearchDevices());
        QCOMPARE(rig.link.DeviceCount(), 1);
        // A second search without emptying the list (the manual search after the automatic
        // one) finds the same module again and still lists it once.
        QVERIFY(rig.link.SearchDevices());
        QCOMPARE(rig.link.DeviceCount(), 1);
    }

    void malformedDatagramsAreIgnored_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("devices");
        QTest::newRow("empty") << 0 << ModuleIP << 30600 << 0;
        QTest::newRow("one byte") << 1 << ModuleIP << 30600 << 0;
        QTest::newRow("54") << 54 << ModuleIP << 30600 << 0;
        QTest::newRow("56") << 56 << ModuleIP << 30600 << 0;
        QTest::newRow("2048") << 2048 << ModuleIP << 30600 << 0;
        QTest::newRow("65507") << 65507 << ModuleIP << 30600 << 0;
        QTest::newRow("38 records") << 38 * 55 << ModuleIP << 30600 << 0;
        QTest::newRow("37 records") << 37 * 55 << ModuleIP << 30600 << 37;
        QTest::newRow("own address") << 55 << QStringLiteral("192.168.0.10") << 30600 << 0;
        QTest::newRow("wrong port") << 55 << ModuleIP << 30601 << 0;
        QTest::newRow("other port") << 55 << ModuleIP << 12345 << 0;
    }

    void malformedDatagramsAreIgnored()
    {
        QFETCH(int, size);
        QFETCH(QString, sender);
        QFETCH(int, port);
        QFETCH(int, devices);
        LinkRig rig;
        QByteArray datagram;
        for (int i = 0; datagram.size() < size; ++i)
            datagram += DeviceRecord(std::uint8_t(i), {10, 0, 0, std::uint8_t(i)}, "M", 0);
        datagram.truncate(size);
        // Straight to the handler, past the socket's 2048-byte cut: the handler must hold
        // its own limits.
        rig.factory.udp->responder = [&](const FakeDatagramEndpoint::Sent &) {
            rig.link.UDPDataReceived(datagram, sender, quint16(port));
        };
        QCOMPARE(rig.link.SearchDevices(), devices > 0);
        QCOMPARE(rig.link.DeviceCount(), devices);
    }

    void datagramsOutsideASearchAreOnlyTraced()
    {
        LinkRig rig;
        rig.factory.udp->deliver(DeviceRecord(1, {10, 0, 0, 1}, "M", 0), ModuleIP, 30600);
        QCOMPARE(rig.link.DeviceCount(), 0);
        QCOMPARE(rig.count(NotifyTrace), 1);
    }

    void tagsAreCleanedAndBounded()
    {
        LinkRig rig;
        rig.factory.udp->responder = [&](const FakeDatagramEndpoint::Sent &) {
            rig.factory.udp->deliver(
                DeviceRecord(1, {10, 0, 0, 1}, QByteArray("A\nB\x01\x7F\xE9z", 7), 0) +
                    DeviceRecord(2, {10, 0, 0, 2}, QByteArray(40, 'T'), 0),
                ModuleIP, 30600);
        };
        QVERIFY(rig.link.SearchDevices());
        QCOMPARE(rig.link.GetDeviceItem(1, 6), QStringLiteral("A?B???z"));
        // A tag without a terminating zero ends at its 32nd character.
        QCOMPARE(rig.link.GetDeviceItem(2, 6), QString(32, 'T'));
    }

    void stopButtonEndsSearchWithinOneTick()
    {
        LinkRig rig;
        rig.clock.schedule(1000ms, [&] { rig.link.setSearching(false); });
        QVERIFY(!rig.link.SearchDevices());
        QVERIFY(rig.clock.elapsedMs() <= 1100);
        QCOMPARE(rig.factory.udp->sent.size(), std::size_t(1));
    }

    void secondSearchWhileSearchingIsRefused()
    {
        LinkRig rig;
        bool nested = true;
        rig.clock.schedule(200ms, [&] { nested = rig.link.SearchDevices(); });
        rig.link.SearchDevices();
        QVERIFY(!nested);
        QCOMPARE(rig.factory.udp->sent.size(), std::size_t(3));
    }

    void closingLeavesTheSearchFlagsSet()
    {
        LinkRig rig;
        rig.clock.schedule(300ms, [&] { rig.flags.StopRequested = true; });
        QVERIFY(!rig.link.SearchDevices());
        QVERIFY(rig.link.Searching());
        rig.link.setControlMode(cmCOM);
        QVERIFY(!rig.link.Searching());
    }

    void deviceItemDefaults()
    {
        LinkRig rig;
        QCOMPARE(rig.link.GetDeviceItem(0, 1), QStringLiteral("0.0.0.0"));
        QCOMPARE(rig.link.GetDeviceItem(1, 0), QStringLiteral("00-00-00-00-00-00"));
        QCOMPARE(rig.link.GetDeviceItem(1, 6), QString());
        rig.link.DeviceList = QStringList{"AA", "1.2.3.4", "", "", "", "", "X", "1"};
        QCOMPARE(rig.link.GetDeviceItem(1, 1), QStringLiteral("1.2.3.4"));
        QCOMPARE(rig.link.GetDeviceItem(2, 0), QStringLiteral("00-00-00-00-00-00"));
        QCOMPARE(rig.link.GetDeviceItem(1, 8), QString());
        QCOMPARE(rig.link.GetDeviceItem(-1, 1), QStringLiteral("0.0.0.0"));
    }

    void configurationBroadcastsThenUnicasts()
    {
        LinkRig rig;
        rig.link.setDeviceIP(ModuleIP);
        auto *udp = rig.factory.udp;
        std::vector<std::int64_t> sentAt;
        udp->responder = [&](const FakeDatagramEndpoint::Sent &) {
            sentAt.push_back(rig.clock.elapsedMs());
            if (sentAt.size() == 2)
                rig.clock.schedule(700ms, [&] {
                    udp->deliver(LanConfigAnswer(0xFF) + LanConfigAnswer(0x00), ModuleIP, 30601);
                });
        };
        const TLANConfigRecord record = StaticRecord({192, 168, 1, 50});
        QCOMPARE(rig.link.ConfigureDevice(record), 0);

        QCOMPARE(udp->binds, std::vector<std::uint16_t>{30601});
        QCOMPARE(udp->sent.size(), std::size_t(2));
        QCOMPARE(udp->sent[0].host, Broadcast);
        QVERIFY(udp->sent[0].broadcastAllowed);
        QCOMPARE(udp->sent[1].host, ModuleIP);
        QCOMPARE(udp->sent[0].port, quint16(30601));
        QCOMPARE(udp->sent[1].port, quint16(30601));
        QCOMPARE(sentAt[1] - sentAt[0], std::int64_t(50));

        QByteArray expected = AsBytes(record);
        expected[74] = char(0xFF);
        unsigned sum = 0;
        for (int i = 0; i < 75; ++i)
            sum += std::uint8_t(expected[i]);
        expected[75] = char(sum);
        QCOMPARE(udp->sent[0].bytes, expected);
        QCOMPARE(udp->sent[1].bytes, expected);
        QCOMPARE(rig.link.ConfigReply[74], std::uint8_t(0x00));
        QVERIFY(!rig.link.Configuring());

        const QStringList texts = StatusTexts(rig, 1);
        QCOMPARE(texts.size(), 30);
        QCOMPARE(texts.first(), QStringLiteral("Setting TCP control configuration .../"));
        QVERIFY(StatusTexts(rig, 0).isEmpty());
    }

    void configurationResultFollowsStatus_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("result");
        QTest::newRow("accepted") << 0x00 << 0;
        QTest::newRow("conflict") << 0x20 << 2;
        QTest::newRow("failed") << 0x10 << 1;
        QTest::newRow("conflict and failed") << 0x30 << 2;
        QTest::newRow("unknown") << 0x01 << 1;
    }

    void configurationResultFollowsStatus()
    {
        QFETCH(int, status);
        QFETCH(int, result);
        LinkRig rig;
        rig.link.setDeviceIP(ModuleIP);
        auto *udp = rig.factory.udp;
        udp->responder = [&](const FakeDatagramEndpoint::Sent &sent) {
            if (sent.host == ModuleIP)
                udp->deliver(LanConfigAnswer(std::uint8_t(status)), ModuleIP, 30601);
        };
        QCOMPARE(rig.link.ConfigureDevice(StaticRecord({192, 168, 1, 50})), result);
    }

    void unansweredConfigurationFailsAfterTenCycles()
    {
        LinkRig rig;
        rig.link.setDeviceIP(ModuleIP);
        // Answers of the wrong kind do not count: a discovery answer, a record still marked
        // as a request, a size that is no multiple of 76.
        rig.factory.udp->responder = [&](const FakeDatagramEndpoint::Sent &) {
            rig.factory.udp->deliver(DeviceRecord(1, {10, 0, 0, 1}, "M", 0), ModuleIP, 30600);
            rig.factory.udp->deliver(LanConfigAnswer(0xFF), ModuleIP, 30601);
            rig.factory.udp->deliver(LanConfigAnswer(0x00) + "x", ModuleIP, 30601);
        };
        QCOMPARE(rig.link.ConfigureDevice(StaticRecord({192, 168, 1, 50})), 1);
        QCOMPARE(rig.clock.elapsedMs(), std::int64_t(50 + 10 * 3100));
        QCOMPARE(StatusTexts(rig, 1).size(), 300);
        QVERIFY(!rig.link.Configuring());
        QCOMPARE(rig.link.DeviceCount(), 0);
    }

    void ownAddressIsRefusedWithoutSending()
    {
        LinkRig rig;
        rig.factory.localIP = QStringLiteral("192.168.1.50");
        QCOMPARE(rig.link.ConfigureDevice(StaticRecord({192, 168, 1, 50})), 2);
        QVERIFY(rig.factory.udp->sent.empty());
        QVERIFY(rig.factory.udp->binds.empty());
        QVERIFY(!rig.link.Configuring());
    }

    void secondConfigurationIsRefused()
    {
        LinkRig rig;
        int nested = -1;
        rig.clock.schedule(1000ms, [&] {
            nested = rig.link.ConfigureDevice(StaticRecord({192, 168, 1, 60}));
            rig.link.setControlMode(cmLAN); // cancels the running one
        });
        QCOMPARE(rig.link.ConfigureDevice(StaticRecord({192, 168, 1, 50})), 1);
        QCOMPARE(nested, 1);
        QCOMPARE(rig.factory.udp->sent.size(), std::size_t(2));
        QVERIFY(rig.clock.elapsedMs() < 1200);
    }

    void ldcdQuerySucceeds()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        port.responder = [&port](const QByteArray &written) {
            port.deliverLater(3ms, LdcdAnswer(written, 0x00));
        };
        TLDCDResult result;
        rig.link.SendLDCD(QueryRequest(), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(port.writes.size(), 1);
        const QByteArray wire = port.writes[0];
        QCOMPARE(wire.size(), 32);
        QCOMPARE(wire.left(16), QByteArray::fromHex("5E17C2A04B9D38E6F1027A4CD95B6E13"));
        QCOMPARE(std::uint8_t(wire[16]), std::uint8_t(1));
        QCOMPARE(std::uint8_t(wire[30]), std::uint8_t(0xFF));
        unsigned sum = 0;
        for (int i = 0; i < 31; ++i)
            sum += std::uint8_t(wire[i]);
        QCOMPARE(std::uint8_t(wire[31]), std::uint8_t(sum));
        QCOMPARE(result.Reply[17], std::uint8_t(1));
        QCOMPARE(result.Reply[23], std::uint8_t(7));
        QVERIFY(rig.outcome().isEmpty());
        QCOMPARE(rig.count(NotifyTrace), 2);
    }

    void ldcdRejectedAnswers_data()
    {
        QTest::addColumn<int>("mark");
        QTest::addColumn<bool>("goodChecksum");
        QTest::addColumn<bool>("badHeader");
        QTest::addColumn<QList<int>>("outcome");
        QTest::newRow("receive mark") << 0xFF << true << false << QList<int>{};
        QTest::newRow("header") << 0x00 << true << true << QList<int>{};
        QTest::newRow("checksum") << 0x00 << false << false << QList<int>{NotifySendFailed};
    }

    void ldcdRejectedAnswers()
    {
        QFETCH(int, mark);
        QFETCH(bool, goodChecksum);
        QFETCH(bool, badHeader);
        QFETCH(QList<int>, outcome);
        LinkRig rig;
        auto &port = rig.openCom();
        port.responder = [&](const QByteArray &written) {
            QByteArray request = written;
            if (badHeader)
                request[3] = char(request[3] ^ 0x01);
            port.deliverLater(3ms, LdcdAnswer(request, std::uint8_t(mark), goodChecksum));
        };
        TLDCDResult result;
        rig.link.SendLDCD(QueryRequest(), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(port.writes.size(), 3);
        QCOMPARE(rig.outcome(), outcome);
    }

    void ldcdSilenceTimesOut()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        TLDCDResult result;
        result.Success = 1;
        rig.link.SendLDCD(QueryRequest(), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(port.writes.size(), 3);
        QCOMPARE(rig.outcome(), QList<int>{NotifyTimeout});
        QCOMPARE(rig.clock.elapsedMs(), std::int64_t(3 * 5000));
    }

    void ldcdLostPortReportsAccess()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        port.failWrites = true;
        TLDCDResult result;
        rig.link.SendLDCD(QueryRequest(), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(rig.outcome(), QList<int>{NotifyAccessFailed});
    }

    void ldcdTraceText()
    {
        TLDCDRecord record = LanRecords::LdcdWireRecord(QueryRequest());
        record[17] = 0xAB;
        record[20] = 192;
        record[21] = 168;
        const QString text = LanRecords::LdcdLogText(QStringLiteral("send LDCD:   "), record);
        QCOMPARE(text, QStringLiteral("send LDCD:   \r\n"
                                      "header:5E 17 C2 A0 4B 9D 38 E6 F1 02 7A 4C D9 5B 6E 13 \r\n"
                                      "command:01\r\n"
                                      "param1:AB; param2:00\r\n"
                                      "DHCP:00\r\n"
                                      "IPAddr:C0 A8 00 00\r\n"
                                      "ReveiveOK:FF\r\n"
                                      "CheckSum:") +
                           HexByte(record[31]) +
                           QStringLiteral("\r\n///////////////////////////////////////"));
    }

    void checksums()
    {
        TLANConfigRecord record{};
        record.fill(0x03);
        // 75 bytes of 3 = 225; bytes 75 onwards do not count.
        QCOMPARE(TKXCOMControl::RecordChecksum(record), std::uint8_t(225));
        TLDCDRecord ldcd{};
        ldcd.fill(0x10);
        QCOMPARE(TKXCOMControl::LDCDChecksum(ldcd), std::uint8_t((31 * 0x10) % 256));
    }
};

QTEST_GUILESS_MAIN(LinkLanTest)
#include "tst_link_lan.moc"
