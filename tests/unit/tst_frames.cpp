#include "link/AnswerAssembler.h"
#include "link/Frames.h"
#include "link/LinkLog.h"

#include <QTest>

#include <vector>

class FramesTest : public QObject
{
    Q_OBJECT
private slots:
    void checksums()
    {
        TCommandFrame frame;
        InitFrame(frame);
        QCOMPARE(frame[0], std::uint8_t(0xA5));
        QCOMPARE(frame[1], std::uint8_t(0x5B));
        QCOMPARE(FrameChecksum(frame), std::uint8_t(0x00)); // 0xA5 + 0x5B = 0x100
        const std::uint8_t abc[] = {0x61, 0x62, 0x63};
        QCOMPARE(DataChecksum(abc), std::uint8_t(0xDA));
        QCOMPARE(DataChecksum({}), std::uint8_t(0));
    }

    void routeFrameOnTheWire()
    {
        // Input 3 to output 2: A5 5B 02 03 | 03 00 | 02 00 | 00 00 | 00 00 | checksum.
        const TCommandFrame frame = MakeFrame(2, 3, 3, 2);
        const TCommandFrame expected = {0xA5, 0x5B, 0x02, 0x03, 0x03, 0x00, 0x02,
                                        0x00, 0x00, 0x00, 0x00, 0x00, 0xF6};
        QCOMPARE(frame, expected);
        unsigned sum = 0;
        for (auto b : frame)
            sum += b;
        QCOMPARE(sum % 256, 0u);
        QCOMPARE(FrameParam(MakeFrame(3, 1, 0xF200), 1), std::uint16_t(0xF200));
        const TCommandFrame wire = WireFrame(TCommandFrame{0, 0, 2, 3, 3, 0, 2});
        QCOMPARE(wire, expected);
    }

    void answerValidation()
    {
        const TCommandFrame sent = MakeFrame(1, 1, 0xFE);
        QVERIFY(IsValidAnswer(MakeFrame(1, 1, 1, 0), sent));
        QVERIFY(!IsValidAnswer(MakeFrame(1, 1, 0xFF, 0), sent)); // refused even if intact
        QVERIFY(!IsValidAnswer(MakeFrame(2, 1, 1, 0), sent));    // other command
        QVERIFY(!IsValidAnswer(MakeFrame(1, 2, 1, 0), sent));    // other subcommand
        TCommandFrame bad = MakeFrame(1, 1, 1, 0);
        ++bad[12];
        QVERIFY(!IsValidAnswer(bad, sent));
        QVERIFY(!IsValidAnswer(std::span(bad).first(12), sent)); // too short
        // Packet answers carry their verdict in r4, 0xFF included.
        QVERIFY(IsValidPacketAnswer(MakeFrame(1, 1, 0xFF), sent));
    }

    void blockCutting()
    {
        QCOMPARE(PacketStatusFor(256), PacketLast);
        QCOMPARE(PacketLengthFor(256), std::size_t(256));
        QCOMPARE(PacketStatusFor(257), PacketMore);
        QCOMPARE(PacketLengthFor(257), std::size_t(256));
        QCOMPARE(PacketStatusFor(1), PacketLast);
        QCOMPARE(PacketLengthFor(1), std::size_t(1));
    }

    void packetBuildAndCheck()
    {
        std::vector<std::uint8_t> data(100);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = std::uint8_t(i * 7);
        const TCommandFrame start = MakeFrame(3, 7, 0xF100);
        const TDataPacket packet = BuildDataPacket(start, PacketLast, 0, 0, data);
        QCOMPARE(FrameParam(packet, 1), PacketLast);
        QCOMPARE(FrameParam(packet, 2), std::uint16_t(100));
        QCOMPARE(packet[13], DataChecksum(data));
        for (std::size_t i = 14 + 100; i < PacketSize; ++i)
            QCOMPARE(packet[i], std::uint8_t(0));
        const PacketCheck check = CheckDataPacket(packet, start);
        QVERIFY(check.valid);
        QCOMPARE(check.length, std::size_t(100));

        TDataPacket damaged = packet;
        damaged[20] ^= 1;
        QVERIFY(!CheckDataPacket(damaged, start).valid);

        // A packet announcing more than 256 data bytes is refused without reading past 270.
        TCommandFrame header = MakeFrame(3, 7, PacketLast, 300);
        TDataPacket oversized{};
        std::copy(header.begin(), header.end(), oversized.begin());
        QVERIFY(!CheckDataPacket(oversized, start).valid);
        QVERIFY(!CheckDataPacket(std::span(packet).first(20), start).valid);
    }

    void assemblyInPieces()
    {
        const TCommandFrame answer = MakeFrame(2, 3, 3, 2);
        AnswerAssembler assembler;
        assembler.reset(FrameSize);
        QCOMPARE(assembler.feed(std::span(answer).first(5)), std::size_t(5));
        QVERIFY(!assembler.complete());
        QCOMPARE(assembler.feed(std::span(answer).subspan(5, 5)), std::size_t(5));
        QVERIFY(!assembler.complete());
        QCOMPARE(assembler.feed(std::span(answer).subspan(10)), std::size_t(3));
        QVERIFY(assembler.complete());
        QCOMPARE(assembler.position(), std::size_t(0));
        QVERIFY(std::equal(answer.begin(), answer.end(), assembler.buffer().begin()));

        // 20 bytes at once: the first 13 complete the answer, the other 7 are dropped, and
        // later bytes do not overwrite the completed answer.
        std::vector<std::uint8_t> twenty(answer.begin(), answer.end());
        twenty.resize(20, 0xEE);
        assembler.reset(FrameSize);
        QCOMPARE(assembler.feed(twenty), std::size_t(13));
        QVERIFY(assembler.complete());
        QCOMPARE(assembler.feed(twenty), std::size_t(0));
        QVERIFY(std::equal(answer.begin(), answer.end(), assembler.buffer().begin()));

        QCOMPARE(AnswerAssembler::ExpectedLength(ReplyKind::Packet), PacketSize);
        QCOMPARE(AnswerAssembler::ExpectedLength(ReplyKind::Ldcd), std::size_t(32));
        QCOMPARE(AnswerAssembler::ExpectedLength(ReplyKind::SlaveAnswer), FrameSize);
    }

    void traceTexts()
    {
        const TCommandFrame frame = MakeFrame(2, 3, 3, 2);
        QCOMPARE(FrameTraceText(QStringLiteral("rcv cmd PPP:   "), frame, 0),
                 QStringLiteral("rcv cmd PPP:   \r\nA5 5B 02 03 [03 UU 00] [02 00] [00 00] "
                                "[00 00] F6, RC=0"));
        std::vector<std::uint8_t> bytes(17);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = std::uint8_t(i);
        const QString dump = DataDumpText(QStringLiteral("send data:\r\n"), bytes);
        QVERIFY(dump.startsWith(QStringLiteral("send data:\r\n0x00, 0x01, 0x02, 0x03, |0x04, "
                                               "0x05, |0x06, ")));
        QVERIFY(dump.endsWith(QStringLiteral("0x0F, \r\n0x10, ")));
        QCOMPARE(TcpDumpText(std::span(bytes).first(2)),
                 QStringLiteral("************************************************\r\n"
                                "cmLAN:::0x00, 0x01, \r\n"
                                "************************************************\r\n"));
    }
};

QTEST_GUILESS_MAIN(FramesTest)
#include "tst_frames.moc"
