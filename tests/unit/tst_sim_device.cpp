#include "TestBytes.h"

#include "SimEdid.h"
#include "SimExchange.h"
#include "SimNetworkModule.h"
#include "SimOptions.h"
#include "SimPty.h"
#include "SimTcpServer.h"
#include "SwitcherDevice.h"
#include "edid/EdidBlock.h"
#include "link/Frames.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

#include <fcntl.h>
#include <poll.h>
#include <set>
#include <unistd.h>

namespace {

QByteArray Packet(std::uint8_t sub, std::uint16_t status, const QByteArray &data)
{
    const TDataPacket packet = BuildDataPacket(
        MakeFrame(0x03, sub), status, 0, 0,
        {reinterpret_cast<const std::uint8_t *>(data.constData()), std::size_t(data.size())});
    return AsByteArray(packet);
}

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

bool ChecksumOk(const QByteArray &frame)
{
    const auto *b = reinterpret_cast<const std::uint8_t *>(frame.constData());
    return frame.size() >= 13 && FrameChecksum({b, 13}) == b[12];
}

} // namespace

class tst_SimDevice : public QObject
{
    Q_OBJECT

private slots:
    void answersGoBackWhereRequestsCameFrom();
    void answers_data();
    void answers();
    void routingChangesState();
    void assemblesFramesFromAnyPieces();
    void edidReadExchange();
    void edidReadRefusals();
    void edidDownloadStoresBlock();
    void edidDownloadRejectsBadPackets();
    void edidCommandsChangeInputs();
    void lockedControlModeRefusesChanges();
    void builtinEdidBlocksAreComplete();
    void faultsApplyToCountedAnswers();
    void splitExtraAndDelayFaults();
    void pacedLineLimitsRate();
    void extensionHandlers();
    void restartSilence();
    void commandLine();
    void networkModuleOption();
    void ptyExchange();
    void serialPortOnPty();
    void tcpExchange();
};

void tst_SimDevice::answers_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("kind") << Hex("a55b0101fe0000000000000000") << Hex("a55b01010100000000000000fd");
    QTest::newRow("alive poll") << Hex("a55b01010000000000000000fe")
                                << Hex("a55b01010100000000000000fd");
    QTest::newRow("size") << Hex("a55b0102fe00000000000000ff") << Hex("a55b01020400040000000000f5");
    QTest::newRow("version") << Hex("a55b0103fe00000000000000fe")
                             << Hex("a55b01030100020000000000f9");
    QTest::newRow("input 1 connected")
        << Hex("a55b01040100000000000000fa") << Hex("a55b01040100000000000000fa");
    QTest::newRow("input 3 free") << Hex("a55b01040300000000000000f8")
                                  << Hex("a55b01040300ff0000000000f9");
    QTest::newRow("input 5 unknown")
        << Hex("a55b01040500000000000000f6") << Hex("a55b0104ff00000000000000fc");
    QTest::newRow("output 3 free")
        << Hex("a55b01050300000000000000f7") << Hex("a55b01050300ff0000000000f8");
    QTest::newRow("route of output 2")
        << Hex("a55b02010200000000000000fb") << Hex("a55b02010200020000000000f9");
    QTest::newRow("EDID control mode")
        << Hex("a55b030b0000000000000000f2") << Hex("a55b030b0000000000000000f2");
    QTest::newRow("unknown command")
        << Hex("a55b7e01000000000000000081") << Hex("a55b7e01ff0000000000000082");
}

void tst_SimDevice::answers()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    SwitcherDevice device;
    QCOMPARE(Exchange(device, request), answer);
    QCOMPARE(device.state().received, QList<QByteArray>{request});
    QCOMPARE(device.state().sent, QList<QByteArray>{answer});
}

void tst_SimDevice::routingChangesState()
{
    SwitcherDevice device;
    QCOMPARE(Exchange(device, FrameBytes(0x02, 0x03, 3, 2)), Hex("a55b02030300020000000000f6"));
    QCOMPARE(device.state().routing[1], 3);
    QCOMPARE(Exchange(device, FrameBytes(0x02, 0x01, 2)), Hex("a55b02010200030000000000f8"));
    // Ports that do not exist are refused and change nothing.
    QCOMPARE(quint8(Exchange(device, FrameBytes(0x02, 0x03, 5, 1)).at(4)), 0xFF);
    QCOMPARE(quint8(Exchange(device, FrameBytes(0x02, 0x03, 1, 0)).at(4)), 0xFF);
    QCOMPARE(device.state().routing[0], 1);
}

void tst_SimDevice::assemblesFramesFromAnyPieces()
{
    SwitcherDevice device;
    QSignalSpy spy(&device, &SwitcherDevice::transmit);
    const QByteArray kind = FrameBytes(0x01, 0x01, 0xFE);
    for (char byte : kind)
        device.receive(QByteArray(1, byte));
    QCOMPARE(spy.count(), 1);

    // Garbage, a lone lead-in and a broken frame before a good one: only the good one is
    // answered, the broken one is kept aside.
    QByteArray broken = FrameBytes(0x01, 0x02, 0xFE);
    broken[12] = char(broken[12] ^ 0x01);
    device.receive(Hex("00ff5ba5") + broken + FrameBytes(0x01, 0x03, 0xFE));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toByteArray(), Hex("a55b01030100020000000000f9"));
    QCOMPARE(device.state().rejected, QList<QByteArray>{broken});

    // Two frames in one write get two answers, in order.
    QCOMPARE(Exchange(device, FrameBytes(0x01, 0x04, 1) + FrameBytes(0x01, 0x05, 3)),
             Hex("a55b01040100000000000000fa") + Hex("a55b01050300ff0000000000f8"));
    QCOMPARE(device.state().received.size(), 4);
}

void tst_SimDevice::edidReadExchange()
{
    SwitcherDevice device;
    const QByteArray display = AsByteArray(device.state().displayEdid[0]);

    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x05, 0xF001)), FrameBytes(0x03, 0x05, 0xAA));
    const QByteArray packet = Exchange(device, FrameBytes(0x03, 0x05, 0x00AA));
    QCOMPARE(packet.size(), 270);
    QCOMPARE(packet.left(13), FrameBytes(0x03, 0x05, 0x0056, 256));
    QCOMPARE(quint8(packet[13]),
             DataChecksum({reinterpret_cast<const std::uint8_t *>(display.constData()), 256}));
    QCOMPARE(packet.mid(14), display);

    // A repeat request gets the same packet again; there is nothing after the last one.
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x05, 0x00FF)), packet);
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x05, 0x0000)), FrameBytes(0x03, 0x05, 0xFF));

    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x05, 0xF200)), FrameBytes(0x03, 0x05, 0xAA));
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x05, 0x00AA)).mid(14),
             AsByteArray(device.state().userMemory[1]));
}

void tst_SimDevice::edidReadRefusals()
{
    SwitcherDevice device;
    // Output 3 has no display; 0xF005 is no output; a request without a started read.
    QCOMPARE(quint8(Exchange(device, FrameBytes(0x03, 0x05, 0xF003)).at(4)), 0xFF);
    QCOMPARE(quint8(Exchange(device, FrameBytes(0x03, 0x05, 0xF005)).at(4)), 0xFF);
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x05, 0x00AA)), FrameBytes(0x03, 0x05, 0xFF));
}

void tst_SimDevice::edidDownloadStoresBlock()
{
    SwitcherDevice device;
    const QByteArray block = AsByteArray(SimEdid::Builtin(0xF00C));
    const QByteArray packet = Packet(0x07, 0x0056, block);

    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x07, 0xF002)), FrameBytes(0x03, 0x07, 0xAA));
    // The answer echoes the packet header with r4 = 0x00.
    QCOMPARE(Exchange(device, packet.left(100)), QByteArray());
    QCOMPARE(Exchange(device, packet.mid(100)), FrameBytes(0x03, 0x07, 0x0000, 256));
    QCOMPARE(AsByteArray(device.state().inputEdid[1]), block);
    QCOMPARE(AsByteArray(device.state().inputEdid[0]), AsByteArray(device.state().defaultEdid));
    QCOMPARE(device.state().received.last(), packet);

    // Frames are read as frames again.
    QCOMPARE(Exchange(device, FrameBytes(0x01, 0x01, 0xFE)), Hex("a55b01010100000000000000fd"));

    // All inputs, and a user memory.
    const QByteArray other = AsByteArray(SimEdid::Builtin(0xF00D));
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x06, 0xF0FE)), FrameBytes(0x03, 0x06, 0xAA));
    QCOMPARE(quint8(Exchange(device, Packet(0x06, 0x0056, other)).at(4)), 0x00);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(AsByteArray(device.state().inputEdid[std::size_t(i)]), other);
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x07, 0xF100)), FrameBytes(0x03, 0x07, 0xAA));
    QCOMPARE(quint8(Exchange(device, Packet(0x07, 0x0056, block)).at(4)), 0x00);
    QCOMPARE(AsByteArray(device.state().userMemory[0]), block);

    // A block in two packets, 200 + 56 bytes.
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x07, 0xF004)), FrameBytes(0x03, 0x07, 0xAA));
    QCOMPARE(quint8(Exchange(device, Packet(0x07, 0x00AA, other.left(200))).at(4)), 0x00);
    QCOMPARE(AsByteArray(device.state().inputEdid[3]), other);
    QCOMPARE(quint8(Exchange(device, Packet(0x07, 0x0056, block.mid(200))).at(4)), 0x00);
    QCOMPARE(AsByteArray(device.state().inputEdid[3]), other.left(200) + block.mid(200));
}

void tst_SimDevice::edidDownloadRejectsBadPackets()
{
    SwitcherDevice device;
    const QByteArray block = AsByteArray(SimEdid::Builtin(0xF003));
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x07, 0xF001)), FrameBytes(0x03, 0x07, 0xAA));

    QByteArray badData = Packet(0x07, 0x0056, block);
    badData[20] = char(badData[20] ^ 0x40);
    QCOMPARE(Exchange(device, badData), FrameBytes(0x03, 0x07, 0xFF, 256));
    // A last packet that leaves the block short is refused too.
    QCOMPARE(quint8(Exchange(device, Packet(0x07, 0x0056, block.left(100))).at(4)), 0xFF);
    QCOMPARE(AsByteArray(device.state().inputEdid[0]), AsByteArray(device.state().defaultEdid));

    // The controller repeats the packet; the good copy is taken.
    QCOMPARE(quint8(Exchange(device, Packet(0x07, 0x0056, block)).at(4)), 0x00);
    QCOMPARE(AsByteArray(device.state().inputEdid[0]), block);

    // Targets that do not exist.
    QCOMPARE(quint8(Exchange(device, FrameBytes(0x03, 0x07, 0xF005)).at(4)), 0xFF);
    QCOMPARE(quint8(Exchange(device, FrameBytes(0x03, 0x06, 0xF001)).at(4)), 0xFF);
    QCOMPARE(quint8(Exchange(device, FrameBytes(0x03, 0x07, 0xF300)).at(4)), 0xFF);
}

void tst_SimDevice::edidCommandsChangeInputs()
{
    SwitcherDevice device;
    auto &state = device.state();
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x08, 0x00F0)), FrameBytes(0x03, 0x08, 0x00));
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x02, 0xF00C, 3)), FrameBytes(0x03, 0x02, 0x00, 3));
    QCOMPARE(AsByteArray(state.inputEdid[2]), AsByteArray(state.builtinEdid[11]));
    QCOMPARE(state.inputEdidMode[2], 0xF00C);

    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x01, 0xF200)), FrameBytes(0x03, 0x01, 0x00));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(AsByteArray(state.inputEdid[std::size_t(i)]), AsByteArray(state.userMemory[1]));

    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x04, 4, 1)), FrameBytes(0x03, 0x04, 0x00, 1));
    QCOMPARE(AsByteArray(state.inputEdid[0]), AsByteArray(state.displayEdid[3]));
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x03, 2)), FrameBytes(0x03, 0x03, 0x00));
    QCOMPARE(AsByteArray(state.inputEdid[3]), AsByteArray(state.displayEdid[1]));
    // No display on output 3.
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x03, 3)), FrameBytes(0x03, 0x03, 0xFF));

    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x0A, 2)), FrameBytes(0x03, 0x0A, 0x00));
    QCOMPARE(AsByteArray(state.inputEdid[1]), AsByteArray(state.defaultEdid));
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x09, 0x00FE)), FrameBytes(0x03, 0x09, 0x00));
    QCOMPARE(AsByteArray(state.inputEdid[3]), AsByteArray(state.defaultEdid));

    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x01, 0xF010)), FrameBytes(0x03, 0x01, 0xFF));
    QCOMPARE(Exchange(device, FrameBytes(0x04, 0x03, 0x00F0)), FrameBytes(0x04, 0x03, 0x00));
    QVERIFY(!state.irEnabled);
    QCOMPARE(Exchange(device, FrameBytes(0x04, 0x03, 0x000F)), FrameBytes(0x04, 0x03, 0x00));
    QVERIFY(state.irEnabled);
    QCOMPARE(Exchange(device, FrameBytes(0x04, 0x03, 0x0001)), FrameBytes(0x04, 0x03, 0xFF));
}

void tst_SimDevice::lockedControlModeRefusesChanges()
{
    SwitcherDevice device;
    device.state().edidControlMode = EdidControlLocked;
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x0B)), Hex("a55b030b0f00000000000000e3"));
    for (std::uint8_t sub : {0x01, 0x02, 0x03, 0x04, 0x06, 0x07, 0x08, 0x09, 0x0A}) {
        const QByteArray answer = Exchange(device, FrameBytes(0x03, sub, 0xF001, 1));
        QCOMPARE(answer.size(), 13);
        QCOMPARE(quint8(answer[4]), 0xFF);
    }
    QCOMPARE(AsByteArray(device.state().inputEdid[0]), AsByteArray(device.state().defaultEdid));
    // Reading changes nothing and stays allowed.
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x05, 0xF100)), FrameBytes(0x03, 0x05, 0xAA));
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x05, 0xAA)).size(), 270);
}

void tst_SimDevice::builtinEdidBlocksAreComplete()
{
    SwitcherState state;
    std::set<std::string> names;
    auto check = [&](const SimEdidBlock &block) {
        QVERIFY(SimEdid::IsWellFormed(block));
        // The controller's own rules accept what the simulator holds.
        QVERIFY(EdidBlock::Validate(std::span<const std::uint8_t>(block)));
        const std::string name = SimEdid::MonitorName(block);
        QVERIFY(!name.empty());
        QVERIFY2(names.insert(name).second, name.c_str());
        QCOMPARE(block[8], 0x4D); // manufacturer "SIM"
        QCOMPARE(block[9], 0x2D);
        // The extension flag matches the second half.
        const bool hasExtension = block[128] == 0x02;
        QCOMPARE(block[126], hasExtension ? 1 : 0);
        if (!hasExtension)
            QVERIFY(std::all_of(block.begin() + 128, block.end(), [](auto b) { return !b; }));
    };
    for (const SimEdidBlock &block : state.builtinEdid)
        check(block);
    check(state.defaultEdid);
    check(state.userMemory[0]);
    check(state.userMemory[1]);
    for (int output = 0; output < 4; ++output)
        check(state.displayEdid[std::size_t(output)]);
    QCOMPARE(SimEdid::MonitorName(state.builtinEdid[14]), std::string("DVI 1920x1200"));

    SimEdidBlock broken = state.defaultEdid;
    broken[200] ^= 1;
    QVERIFY(!SimEdid::IsWellFormed(broken));
}

void tst_SimDevice::faultsApplyToCountedAnswers()
{
    SwitcherDevice device;
    const QByteArray request = FrameBytes(0x01, 0x02, 0xFE);
    const QByteArray good = Hex("a55b01020400040000000000f5");

    device.faults().arm(SimFault::Silence, 2);
    QCOMPARE(Exchange(device, request), QByteArray());
    QCOMPARE(Exchange(device, request), QByteArray());
    QCOMPARE(Exchange(device, request), good);
    QCOMPARE(device.state().received.size(), 3);

    device.faults().arm(SimFault::BadChecksum);
    QByteArray answer = Exchange(device, request);
    QCOMPARE(answer.left(12), good.left(12));
    QVERIFY(!ChecksumOk(answer));
    QCOMPARE(Exchange(device, request), good);

    device.faults().arm(SimFault::Refuse, SimFaults::Always);
    for (int i = 0; i < 3; ++i) {
        answer = Exchange(device, request);
        QCOMPARE(quint8(answer[4]), 0xFF);
        QVERIFY(ChecksumOk(answer));
    }
    QCOMPARE(device.faults().remaining(SimFault::Refuse), SimFaults::Always);
    device.faults().disarm(SimFault::Refuse);

    // A refused data packet fails its header check as well.
    device.receive(FrameBytes(0x03, 0x05, 0xF001));
    device.faults().arm(SimFault::Refuse);
    answer = Exchange(device, FrameBytes(0x03, 0x05, 0xAA));
    QCOMPARE(answer.size(), 270);
    QCOMPARE(quint8(answer[4]), 0xFF);
    QVERIFY(ChecksumOk(answer));
    QCOMPARE(Exchange(device, FrameBytes(0x03, 0x05, 0xFF)).at(4), char(0x56));
}

void tst_SimDevice::splitExtraAndDelayFaults()
{
    SwitcherDevice device;
    QSignalSpy spy(&device, &SwitcherDevice::transmit);
    const QByteArray request = FrameBytes(0x01, 0x03, 0xFE);
    const QByteArray good = Hex("a55b01030100020000000000f9");

    device.faults().arm(SimFault::Split);
    device.receive(request);
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 3, 1000);
    QCOMPARE(spy.at(0).at(0).toByteArray(), good.left(5));
    QCOMPARE(spy.at(1).at(0).toByteArray(), good.mid(5, 5));
    QCOMPARE(spy.at(2).at(0).toByteArray(), good.mid(10));
    spy.clear();

    device.faults().arm(SimFault::ExtraBytes);
    device.receive(request);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toByteArray(), good + device.faults().extraBytes());
    spy.clear();

    device.faults().setDelay(std::chrono::milliseconds(60));
    device.faults().arm(SimFault::Delay);
    QElapsedTimer timer;
    timer.start();
    device.receive(request);
    QCOMPARE(spy.count(), 0);
    QVERIFY(spy.wait(1000));
    QVERIFY(timer.elapsed() >= 55);
    QCOMPARE(spy.at(0).at(0).toByteArray(), good);
    // The delay was for one answer only.
    device.receive(request);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(device.state().sent.size(), 6);
}

void tst_SimDevice::pacedLineLimitsRate()
{
    SwitcherDevice device;
    device.faults().setPaced(true);
    QByteArray out;
    qsizetype largest = 0;
    QElapsedTimer timer;
    qint64 firstSliceMs = -1;
    connect(&device, &SwitcherDevice::transmit, this, [&](const QByteArray &bytes) {
        if (out.isEmpty())
            firstSliceMs = timer.elapsed();
        out += bytes;
        largest = std::max(largest, bytes.size());
    });
    device.receive(FrameBytes(0x03, 0x05, 0xF002));
    QTRY_COMPARE_WITH_TIMEOUT(out.size(), 13, 1000);
    out.clear();
    timer.start();
    device.receive(FrameBytes(0x03, 0x05, 0xAA));
    QTRY_COMPARE_WITH_TIMEOUT(out.size(), 270, 2000);
    // No byte arrives before it has crossed the wire: the first 32 bytes after the 13-byte
    // request take 23.4 ms, all 270 take 147.4 ms.
    QVERIFY2(firstSliceMs >= 23, QByteArray::number(firstSliceMs));
    QVERIFY2(timer.elapsed() >= 147, QByteArray::number(timer.elapsed()));
    QVERIFY(largest <= 32);
    QCOMPARE(out.mid(14), AsByteArray(device.state().displayEdid[1]));
}

void tst_SimDevice::extensionHandlers()
{
    SwitcherDevice device;
    QList<QByteArray> packets;
    device.setCommandHandler(0x20, [&](const TCommandFrame &request) {
        device.expectPackets(
            0x20, request[3],
            [](std::span<const std::uint8_t> header) {
                return PacketHeaderSize + FrameParam(header, 2);
            },
            [&](const QByteArray &packet) {
                packets.append(packet);
                device.reply(MakeFrame(0x20, 0x02, 0, 88), StatusAccepted);
                device.expectFrames();
            });
        device.reply(request, StatusReady);
    });
    QCOMPARE(Exchange(device, FrameBytes(0x20, 0x02, 7)), FrameBytes(0x20, 0x02, 0xAA));
    const QByteArray data(88, 'x');
    TDataPacket full = BuildDataPacket(
        MakeFrame(0x20, 0x02), PacketLast, 7, 0,
        {reinterpret_cast<const std::uint8_t *>(data.constData()), std::size_t(data.size())});
    const QByteArray shortPacket(reinterpret_cast<const char *>(full.data()), 14 + 88);
    QCOMPARE(Exchange(device, shortPacket + FrameBytes(0x01, 0x01, 0xFE)),
             FrameBytes(0x20, 0x02, 0x00, 88) + Hex("a55b01010100000000000000fd"));
    QCOMPARE(packets, QList<QByteArray>{shortPacket});

    QList<QByteArray> records;
    device.setRecordHandler([&](const QByteArray &record) { records.append(record); });
    QByteArray record = Hex("5E17C2A04B9D38E6F1027A4CD95B6E13");
    record += QByteArray(16, '\x01');
    QCOMPARE(Exchange(device, Hex("5e00") + record.left(20)), QByteArray());
    QCOMPARE(Exchange(device, record.mid(20) + FrameBytes(0x01, 0x01, 0xFE)),
             Hex("a55b01010100000000000000fd"));
    QCOMPARE(records, QList<QByteArray>{record});
}

void tst_SimDevice::restartSilence()
{
    SwitcherDevice device;
    device.state().restartSilenceMs = 80;
    QSignalSpy restarted(&device, &SwitcherDevice::restarted);
    QCOMPARE(Exchange(device, FrameBytes(0x80, 0x02, 0x0F)), FrameBytes(0x80, 0x02, 0x00));
    QCOMPARE(restarted.count(), 1);
    QCOMPARE(Exchange(device, FrameBytes(0x01, 0x01)), QByteArray());
    QTRY_VERIFY_WITH_TIMEOUT(!device.silent(), 1000);
    QCOMPARE(Exchange(device, FrameBytes(0x01, 0x01)), Hex("a55b01010100000000000000fd"));
    QCOMPARE(device.state().restarts, 1);
}

void tst_SimDevice::commandLine()
{
    QString error;
    auto options = SimOptions::Parse({"--tcp", "127.0.0.3", "--port", "18001", "--paced"}, &error);
    QVERIFY(options);
    QCOMPARE(options->port, 18001);
    QVERIFY(options->paced);
    QVERIFY(!SimOptions::Parse({"--tcp", "192.168.1.20"}, &error));
    QVERIFY(error.contains("loopback"));
    QVERIFY(SimOptions::Parse({"--tcp", "192.168.1.20", "--allow-non-loopback"}, &error));
    QVERIFY(!SimOptions::Parse({}, &error));
    QVERIFY(!SimOptions::Parse({"--pty", "--delay", "-5"}, &error));
    QVERIFY(!SimOptions::Parse({"--pty", "--port"}, &error));
    QVERIFY(SimOptions::Parse({"--help"}, &error)->help);
    QVERIFY(SimOptions::Parse({"--version"}, &error)->version);

    options = SimOptions::Parse({"--pty", "--silence", "2", "--delay", "30"}, &error);
    QVERIFY(options);
    SimFaults faults;
    options->applyTo(faults);
    QCOMPARE(faults.remaining(SimFault::Silence), 2);
    QCOMPARE(faults.remaining(SimFault::Delay), SimFaults::Always);
    QCOMPARE(faults.delay(), std::chrono::milliseconds(30));

    options = SimOptions::Parse({"--tcp", "127.0.0.3", "--flood"}, &error);
    QVERIFY(options);
    options->applyTo(faults);
    QCOMPARE(faults.flood(), qint64(SimFaults::Always));
}

void tst_SimDevice::networkModuleOption()
{
    QString error;
    QVERIFY(!SimOptions::Parse({"--network", "192.168.1.20"}, &error));
    QVERIFY(error.contains("loopback"));
    QVERIFY(SimOptions::Parse({"--network", "192.168.1.20", "--allow-non-loopback"}, &error));
    QVERIFY(!SimOptions::Parse({"--network", "::1"}, &error));
    QVERIFY(error.contains("IPv4"));
    QVERIFY(!SimOptions::Parse({"--network"}, &error));
    QVERIFY(!SimOptions::Parse({"--pty", "--network", "127.0.0.x"}, &error));

    // The module alone is enough to run; it announces itself with the address it answers on.
    const auto options = SimOptions::Parse({"--network", "127.0.0.61", "--port", "8123"}, &error);
    QVERIFY2(options, qPrintable(error));
    QVERIFY(!options->pty && !options->tcpAddress);
    const QByteArray record = SimNetworkModule::DiscoveryRecord(options->networkModule());
    QCOMPARE(record.left(22), Hex("001a2b3c4d5e"
                                  "7f00003d"
                                  "7f000001"
                                  "ffffff00"
                                  "1fbb"
                                  "7788"));
    QCOMPARE(record.mid(22, 10), QByteArray("Simulator\0", 10));
    QCOMPARE(record.at(54), '\0');

    // Discovery is answered to the asking socket only, from the given address.
    SimNetworkModule network;
    network.modules = {options->networkModule()};
    QVERIFY2(network.listen(*options->networkAddress), qPrintable(network.errorString()));
    QUdpSocket asker;
    QVERIFY(asker.bind(*options->networkAddress, 0));
    asker.writeDatagram("#", *options->networkAddress, 30600);
    QTRY_VERIFY_WITH_TIMEOUT(asker.hasPendingDatagrams(), 2000);
    QByteArray answer(int(asker.pendingDatagramSize()), '\0');
    QHostAddress from;
    quint16 fromPort = 0;
    asker.readDatagram(answer.data(), answer.size(), &from, &fromPort);
    QCOMPARE(answer, record);
    QCOMPARE(fromPort, quint16(30600));
    QCOMPARE(from.toIPv4Address(), options->networkAddress->toIPv4Address());
}

void tst_SimDevice::ptyExchange()
{
    SwitcherDevice device;
    SimPty pty(device);
    QVERIFY2(pty.open(), qPrintable(pty.errorString()));
    const int fd = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);

    const QByteArray request = FrameBytes(0x02, 0x01, 2);
    QCOMPARE(::write(fd, request.constData(), size_t(request.size())), ssize_t(13));
    QByteArray answer;
    QElapsedTimer timer;
    timer.start();
    while (answer.size() < 13 && timer.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5) > 0) {
            char buffer[64];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0)
                answer += QByteArray(buffer, qsizetype(n));
        }
    }
    QCOMPARE(answer, Hex("a55b02010200020000000000f9"));

    // Pulling the cable: the controller's side sees the end of the line.
    pty.close();
    pollfd p{fd, POLLIN, 0};
    QVERIFY(::poll(&p, 1, 500) > 0);
    QVERIFY(p.revents & (POLLHUP | POLLERR | POLLIN));
    char byte;
    QVERIFY(::read(fd, &byte, 1) <= 0);
    ::close(fd);
}

void tst_SimDevice::serialPortOnPty()
{
    SwitcherDevice device;
    SimPty pty(device);
    QVERIFY(pty.open());
    QSerialPort port(pty.slavePath());
    port.setBaudRate(19200);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QVERIFY(port.clear());
    port.write(FrameBytes(0x01, 0x03, 0xFE));
    QTRY_COMPARE_WITH_TIMEOUT(port.bytesAvailable(), qint64(13), 2000);
    QCOMPARE(port.readAll(), Hex("a55b01030100020000000000f9"));

    QSignalSpy errors(&port, &QSerialPort::errorOccurred);
    pty.close();
    QTRY_VERIFY_WITH_TIMEOUT(errors.count() > 0 && port.error() == QSerialPort::ResourceError,
                             2000);
}

void tst_SimDevice::answersGoBackWhereRequestsCameFrom()
{
    // One device served on a pseudo-terminal and over TCP at once (matrix-sim --pty --tcp):
    // each answer goes out only where its request came in.
    SwitcherDevice device;
    SimPty pty(device);
    QVERIFY(pty.open());
    SimTcpServer server(device);
    QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.2")), 0));
    QSerialPort port(pty.slavePath());
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QTcpSocket client;
    client.connectToHost(QHostAddress(QStringLiteral("127.0.0.2")), server.port());
    QVERIFY(client.waitForConnected(2000));
    QTRY_VERIFY_WITH_TIMEOUT(server.hasClient(), 2000);

    client.write(FrameBytes(0x01, 0x03, 0xFE));
    QTRY_COMPARE_WITH_TIMEOUT(client.bytesAvailable(), qint64(13), 2000);
    port.write(FrameBytes(0x01, 0x02, 0xFE));
    QTRY_COMPARE_WITH_TIMEOUT(port.bytesAvailable(), qint64(13), 2000);
    QCOMPARE(port.readAll(), Hex("a55b01020400040000000000f5"));
    QTest::qWait(30);
    QCOMPARE(client.readAll(), Hex("a55b01030100020000000000f9"));
    QCOMPARE(port.bytesAvailable(), qint64(0));
}

void tst_SimDevice::tcpExchange()
{
    SwitcherDevice device;
    SimTcpServer server(device);
    QVERIFY2(server.listen(QHostAddress(QStringLiteral("127.0.0.2")), 0),
             qPrintable(server.errorString()));
    QSignalSpy connected(&server, &SimTcpServer::clientConnected);

    QTcpSocket client;
    client.connectToHost(QHostAddress(QStringLiteral("127.0.0.2")), server.port());
    QVERIFY(client.waitForConnected(2000));
    QVERIFY(connected.wait(2000) || connected.count() == 1);

    // Half a frame, then the rest.
    const QByteArray request = FrameBytes(0x01, 0x02, 0xFE);
    client.write(request.left(6));
    QVERIFY(client.waitForBytesWritten(1000));
    QTest::qWait(20);
    client.write(request.mid(6));
    QTRY_COMPARE_WITH_TIMEOUT(client.bytesAvailable(), qint64(13), 2000);
    QCOMPARE(client.readAll(), Hex("a55b01020400040000000000f5"));

    // A second client is turned away while the first stays.
    QTcpSocket second;
    QSignalSpy secondGone(&second, &QTcpSocket::disconnected);
    second.connectToHost(QHostAddress(QStringLiteral("127.0.0.2")), server.port());
    QVERIFY(secondGone.wait(2000));
    QVERIFY(server.hasClient());

    QSignalSpy errors(&client, &QTcpSocket::errorOccurred);
    server.resetConnection();
    QVERIFY(errors.wait(2000));
    QCOMPARE(errors.at(0).at(0).value<QAbstractSocket::SocketError>(),
             QAbstractSocket::RemoteHostClosedError);
    QVERIFY(!server.hasClient());
}

QTEST_GUILESS_MAIN(tst_SimDevice)
#include "tst_sim_device.moc"
