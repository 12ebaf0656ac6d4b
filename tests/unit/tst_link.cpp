#include "LinkRig.h"

#include "link/ByteSpan.h"
#include "link/LinkLogging.h"

#include <QTest>

#include <vector>

using namespace std::chrono_literals;

namespace {
enum Answer { Pieces, TwentyBytes, Silence, BadChecksum, RefusedOnce, OtherCommand };

TCommandFrame AnswerTo(const QByteArray &request, std::uint8_t r4 = 0, std::uint8_t r6 = 0)
{
    return MakeFrame(std::uint8_t(request[2]), std::uint8_t(request[3]), r4, r6);
}

std::vector<std::uint8_t> SampleBlock(std::size_t size)
{
    std::vector<std::uint8_t> block(size);
    for (std::size_t i = 0; i < size; ++i)
        block[i] = std::uint8_t(i * 13 + 5);
    return block;
}
} // namespace

class LinkTest : public QObject
{
    Q_OBJECT
private slots:
    void commandSucceedsAndWakesAtOnce()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        port.responder = [&port](const QByteArray &written) {
            port.deliverLater(2ms, AsBytes(AnswerTo(written, 1, 4)));
        };
        TCommandResult result;
        rig.link.SendCommand(MakeFrame(2, 1, 3), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(result.r6(), std::uint8_t(4));
        QCOMPARE(port.writes.size(), 1);
        QCOMPARE(port.writes[0], AsBytes(MakeFrame(2, 1, 3)));
        QVERIFY(rig.outcome().isEmpty());
        // The wait ended when the answer was complete, not at the end of a 10 ms step.
        QVERIFY(rig.clock.elapsedMs() < 10);
        QCOMPARE(rig.count(NotifyTrace), 2); // sent and received frame
    }

    // How the switcher answers a command, and what the link makes of it.
    void commandAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("success");
        QTest::addColumn<int>("writes");
        QTest::addColumn<QList<int>>("outcome");
        QTest::addColumn<int>("elapsedMs"); // -1: not checked
        QTest::addColumn<int>("sleptMs");   // -1: not checked
        QTest::addColumn<int>("r4");        // -1: not checked
        QTest::addColumn<int>("arrivals");  // NotifyBytesReceived count, -1: not checked
        QTest::addRow("in pieces completes once")
            << int(Pieces) << 1 << 1 << QList<int>() << -1 << -1 << -1 << 3;
        QTest::addRow("20 bytes at once take 13")
            << int(TwentyBytes) << 1 << 1 << QList<int>() << -1 << -1 << 7 << 1;
        // Three waits of 500 ticks, retried at once without a pause.
        QTest::addRow("silence times out once")
            << int(Silence) << 0 << 3 << QList<int>{NotifyTimeout} << 3 * 500 * 10 << 0 << -1 << 0;
        // 5 ms after each invalid answer.
        QTest::addRow("bad checksums fail once")
            << int(BadChecksum) << 0 << 3 << QList<int>{NotifySendFailed} << -1 << 15 << -1 << 3;
        QTest::addRow("refused, then valid")
            << int(RefusedOnce) << 1 << 2 << QList<int>() << -1 << -1 << 0 << 2;
        QTest::addRow("answer to another command")
            << int(OtherCommand) << 0 << 3 << QList<int>{NotifySendFailed} << -1 << -1 << -1 << 3;
    }

    void commandAnswers()
    {
        QFETCH(int, answer);
        LinkRig rig;
        auto &port = rig.openCom();
        int answers = 0;
        port.responder = [&](const QByteArray &written) {
            TCommandFrame frame = AnswerTo(written);
            switch (Answer(answer)) {
            case Pieces: {
                const QByteArray bytes = AsBytes(frame);
                port.deliverLater(1ms, bytes.left(5));
                port.deliverLater(2ms, bytes.mid(5, 5));
                port.deliverLater(3ms, bytes.mid(10) + QByteArray(7, '\xEE'));
                return;
            }
            case TwentyBytes:
                port.deliver(AsBytes(AnswerTo(written, 7)) + QByteArray(7, '\x11'));
                return;
            case Silence:
                return;
            case BadChecksum:
                frame[12] ^= 0x01;
                break;
            case RefusedOnce:
                frame = AnswerTo(written, ++answers == 1 ? 0xFF : 0x00);
                break;
            case OtherCommand:
                frame = MakeFrame(9, 9);
                break;
            }
            port.deliver(AsBytes(frame));
        };
        TCommandResult result;
        result.Success = 1;
        rig.link.SendCommand(MakeFrame(2, 3, 1, 2), result);

        QTEST(int(result.Success), "success");
        QTEST(int(port.writes.size()), "writes");
        QTEST(rig.outcome(), "outcome");
        QFETCH(int, elapsedMs);
        if (elapsedMs >= 0)
            QCOMPARE(rig.clock.elapsedMs(), elapsedMs);
        QFETCH(int, sleptMs);
        if (sleptMs >= 0)
            QCOMPARE(rig.clock.sleptMs(), sleptMs);
        QFETCH(int, r4);
        if (r4 >= 0)
            QCOMPARE(int(result.r4()), r4);
        QFETCH(int, arrivals);
        if (arrivals >= 0)
            QCOMPARE(rig.count(NotifyBytesReceived), arrivals);
        if (result.Success) {
            // The answer is taken whole and nothing of it stays behind.
            QCOMPARE(rig.seen.last().code, NotifyTrace);
            QCOMPARE(rig.link.RxPos(), 0);
        }
    }

    void readEdidOfOneBlock()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        const auto block = SampleBlock(256);
        port.responder = [&](const QByteArray &written) {
            if (FrameParam(std::span(reinterpret_cast<const std::uint8_t *>(written.data()), 13),
                           1) == PacketMore) {
                port.deliver(AsBytes(BuildDataPacket(MakeFrame(3, 5), PacketLast, 0, 0, block)));
            } else {
                port.deliver(AsBytes(AnswerTo(written)));
            }
        };
        TCommandResult result;
        rig.link.ReadEDID(MakeFrame(3, 5, 0xF003), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(port.writes.size(), 2); // start command, one request, no acknowledgement
        QCOMPARE(port.writes[1], AsBytes(MakeFrame(3, 5, PacketMore)));
        QCOMPARE(rig.link.ReadStream, AsBytes(block));
        QCOMPARE(rig.outcome(), QList<int>{NotifyTransferDone});
        QCOMPARE(rig.clock.sleptMs(), 0); // no pause after the last packet: nothing follows
    }

    void readEdidRepeatsBadPackets()
    {
        // Two packets; the first arrives damaged once, the second once. The request for the
        // first is repeated with 0x00AA, for the second with 0x00FF.
        LinkRig rig;
        auto &port = rig.openCom();
        const auto block = SampleBlock(300);
        int requests = 0;
        port.responder = [&](const QByteArray &written) {
            const auto *bytes = reinterpret_cast<const std::uint8_t *>(written.data());
            if (written.size() == 13 && FrameParam(std::span(bytes, 13), 1) == 0xF001) {
                port.deliver(AsBytes(AnswerTo(written)));
                return;
            }
            ++requests;
            const bool second = requests >= 3;
            TDataPacket packet = second ? BuildDataPacket(MakeFrame(3, 5), PacketLast, 0, 0,
                                                          std::span(block).subspan(256))
                                        : BuildDataPacket(MakeFrame(3, 5), PacketMore, 0, 0,
                                                          std::span(block).first(256));
            if (requests == 1 || requests == 3)
                packet[40] ^= 0xFF; // data checksum no longer matches
            port.deliver(AsBytes(packet));
        };
        TCommandResult result;
        rig.link.ReadEDID(MakeFrame(3, 5, 0xF001), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(rig.link.ReadStream, AsBytes(block));
        QCOMPARE(port.writes.size(), 5);
        QCOMPARE(port.writes[1], AsBytes(MakeFrame(3, 5, PacketMore)));
        QCOMPARE(port.writes[2], AsBytes(MakeFrame(3, 5, PacketMore)));
        QCOMPARE(port.writes[3], AsBytes(MakeFrame(3, 5, PacketNext)));
        QCOMPARE(port.writes[4], AsBytes(MakeFrame(3, 5, PacketRepeat)));
        QCOMPARE(rig.outcome(), QList<int>{NotifyTransferDone});
        QCOMPARE(rig.clock.sleptMs(), 3 * 5); // after two bad packets and the first good one
    }

    void readEdidThatNeverEndsIsCut()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        const auto block = SampleBlock(256);
        port.responder = [&](const QByteArray &written) {
            if (written[4] == '\x01') {
                port.deliver(AsBytes(AnswerTo(written)));
                return;
            }
            port.deliver(AsBytes(BuildDataPacket(MakeFrame(3, 5), PacketMore, 0, 0, block)));
        };
        TCommandResult result;
        rig.link.ReadEDID(MakeFrame(3, 5, 0xF001), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(rig.outcome(), QList<int>{NotifyDataInvalid});
        QVERIFY(rig.link.ReadStream.size() <= 64 * 1024 + 256);
    }

    void downloadEdidOfOneBlock()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        const auto block = SampleBlock(256);
        rig.link.WriteStream = AsBytes(block);
        port.responder = [&](const QByteArray &written) {
            port.deliver(AsBytes(AnswerTo(written, written.size() == 13 ? 0xAA : 0x00)));
        };
        TCommandResult result;
        rig.link.DownloadEDID(MakeFrame(3, 7, 0xF100), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(port.writes.size(), 2);
        QCOMPARE(port.writes[1].size(), qsizetype(PacketSize));
        QCOMPARE(port.writes[1],
                 AsBytes(BuildDataPacket(MakeFrame(3, 7), PacketLast, 0, 0, block)));
        QCOMPARE(rig.outcome(), QList<int>{NotifyTransferDone});
        QCOMPARE(rig.count(NotifyDataDump), 1);
    }

    void downloadOf257BytesGoesOutInTwoPackets()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        rig.link.WriteStream = AsBytes(SampleBlock(257));
        port.responder = [&](const QByteArray &written) {
            port.deliver(AsBytes(AnswerTo(written, written.size() == 13 ? 0xAA : 0x00)));
        };
        TCommandResult result;
        rig.link.DownloadEDID(MakeFrame(3, 6, 0xF0FE), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(port.writes.size(), 3);
        const auto *first = reinterpret_cast<const std::uint8_t *>(port.writes[1].data());
        const auto *second = reinterpret_cast<const std::uint8_t *>(port.writes[2].data());
        QCOMPARE(FrameParam(std::span(first, 13), 1), PacketMore);
        QCOMPARE(FrameParam(std::span(first, 13), 2), std::uint16_t(256));
        QCOMPARE(FrameParam(std::span(second, 13), 1), PacketLast);
        QCOMPARE(FrameParam(std::span(second, 13), 2), std::uint16_t(1));
    }

    void downloadNotStartedWithoutReadyAnswer()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        rig.link.WriteStream = AsBytes(SampleBlock(256));
        port.responder = [&](const QByteArray &written) {
            port.deliver(AsBytes(AnswerTo(written, 0x00)));
        };
        TCommandResult result;
        rig.link.DownloadEDID(MakeFrame(3, 7, 0xF001), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(port.writes.size(), 1);
        QCOMPARE(rig.outcome(), QList<int>{NotifyDataInvalid});
    }

    void downloadPacketRefusedThreeTimes()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        rig.link.WriteStream = AsBytes(SampleBlock(256));
        port.responder = [&](const QByteArray &written) {
            port.deliver(AsBytes(AnswerTo(written, written.size() == 13 ? 0xAA : 0xFF)));
        };
        TCommandResult result;
        rig.link.DownloadEDID(MakeFrame(3, 7, 0xF001), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(port.writes.size(), 4);
        QCOMPARE(rig.outcome(), QList<int>{NotifySendFailed});
    }

    void openingTwiceTouchesNothing()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        QVERIFY(rig.link.Connected());
        QCOMPARE(port.target(), QStringLiteral("COM3"));
        QVERIFY(rig.link.Open());
        QCOMPARE(port.openCalls, 1);
        QVERIFY(rig.link.Close());
        QVERIFY(!rig.link.Connected());
    }

    void failedOpens()
    {
        LinkRig rig;
        rig.factory.serial->openFails = true;
        rig.link.setControlMode(cmCOM);
        QVERIFY(!rig.link.Open());
        QCOMPARE(rig.outcome(), QList<int>{NotifyOpenCloseFailed});
        QCOMPARE(rig.seen.last().wParam, 0);

        // A TCP peer that never answers: the connect gives up after 3000 ms.
        LinkRig lan;
        lan.factory.tcp->connectDelay = 60000ms;
        lan.factory.tcp->openFails = true;
        lan.link.setDeviceIP(QStringLiteral("127.0.0.9"));
        QVERIFY(!lan.link.Open());
        QVERIFY(!lan.link.Opening());
        QCOMPARE(lan.outcome(), QList<int>{NotifyOpenCloseFailed});
        QCOMPARE(lan.seen.last().wParam, 0);
        QVERIFY(lan.clock.elapsedMs() >= 3000 && lan.clock.elapsedMs() < 3100);
        QCOMPARE(lan.factory.tcp->target(), QStringLiteral("127.0.0.9"));
    }

    void lanAnswerIsPolledAndDumped()
    {
        LinkRig rig;
        rig.factory.tcp->connectDelay = 30ms;
        rig.link.setDeviceIP(QStringLiteral("127.0.0.2"));
        QVERIFY(rig.link.Open());
        auto &socket = *rig.factory.tcp;
        socket.responder = [&socket](const QByteArray &written) {
            socket.deliverLater(1ms, AsBytes(AnswerTo(written, 2)).left(8));
            socket.deliverLater(2ms, AsBytes(AnswerTo(written, 2)).mid(8));
        };
        TCommandResult result;
        rig.link.SendCommand(MakeFrame(1, 1, 0xFE), result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(rig.count(NotifyDataDump), 2);
        const auto dumps = std::count_if(rig.seen.begin(), rig.seen.end(), [](const auto &n) {
            return n.code == NotifyDataDump && n.text.startsWith(QStringLiteral("*****")) &&
                   n.text.contains(QStringLiteral("cmLAN:::0xA5, 0x5B, "));
        });
        QCOMPARE(dumps, 1);
    }

    void stopRequestedEndsWaitsAndIgnoresBytes()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        port.responder = [&](const QByteArray &) {
            rig.clock.schedule(50ms, [&] { rig.flags.StopRequested = true; });
        };
        TCommandResult result;
        result.Success = 1;
        rig.link.SendCommand(MakeFrame(2, 1, 1), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QVERIFY(rig.outcome().isEmpty());
        QVERIFY(rig.clock.elapsedMs() < 100);

        port.deliver(AsBytes(MakeFrame(2, 1)));
        QCoreApplication::processEvents();
        QCOMPARE(rig.count(NotifyBytesReceived), 0);

        // Nothing is even sent while stopping.
        rig.link.SendCommand(MakeFrame(2, 1, 1), result);
        QCOMPARE(port.writes.size(), 1);
    }

    void lostDeviceMidExchangeFailsAccessAndRecovers()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        port.responder = [&](const QByteArray &) {
            rig.clock.schedule(30ms, [&] { port.breakConnection(); });
        };
        TCommandResult result;
        rig.link.SendCommand(MakeFrame(2, 1, 1), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(rig.outcome(), QList<int>{NotifyAccessFailed});
        QVERIFY(rig.clock.elapsedMs() < 100);
        QVERIFY(!rig.link.Connected());

        // The device is back: the link opens again and works.
        port.responder = [&port](const QByteArray &written) {
            port.deliver(AsBytes(AnswerTo(written)));
        };
        QVERIFY(rig.link.Open());
        rig.link.SendCommand(MakeFrame(2, 1, 1), result);
        QCOMPARE(result.Success, std::uint8_t(1));
    }

    void writeErrorFailsAccess()
    {
        LinkRig rig;
        auto &port = rig.openCom();
        port.failWrites = true;
        TCommandResult result;
        rig.link.SendCommand(MakeFrame(2, 1, 1), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(rig.outcome(), QList<int>{NotifyAccessFailed});
    }

    void dripNeitherShortensNorStretchesTheTimeOut_data()
    {
        QTest::addColumn<TControlMode>("mode");
        QTest::newRow("tcp") << cmLAN;
        QTest::newRow("com") << cmCOM;
    }

    void dripNeitherShortensNorStretchesTheTimeOut()
    {
        // A packet request answered by nothing but one stray byte every 19 ms, too few to
        // complete a packet. Over TCP every byte ends a waiting step early; each attempt still
        // lasts 500 ticks of 10 ms on the clock, and the next follows at once.
        QFETCH(TControlMode, mode);
        LinkRig rig;
        auto &port = mode == cmCOM ? rig.openCom() : rig.openLan();
        QList<std::int64_t> requestTimes;
        port.responder = [&](const QByteArray &written) {
            if (FrameParam(ByteSpan(written), 1) != PacketMore) {
                port.deliver(AsBytes(AnswerTo(written)));
                return;
            }
            requestTimes.append(rig.clock.elapsedMs());
            for (int i = 1; requestTimes.size() == 1 && i <= 16000 / 19; ++i)
                port.deliverLater(std::chrono::milliseconds(19 * i), QByteArray(1, '\xEE'));
        };
        TCommandResult result;
        rig.link.ReadEDID(MakeFrame(3, 5, 0xF001), result);
        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(rig.outcome(), QList<int>{NotifyTimeout});
        QCOMPARE(requestTimes.size(), 3);
        QCOMPARE(requestTimes[1] - requestTimes[0], 5000);
        QCOMPARE(requestTimes[2] - requestTimes[1], 5000);
        QCOMPARE(rig.clock.elapsedMs() - requestTimes[2], 5000);
    }

    void wireTraceWhenAskedFor()
    {
        // Off unless QT_LOGGING_RULES asks for it; then one line of hex per write and arrival.
        QVERIFY(!lcLink().isDebugEnabled());
        LinkRig rig;
        auto &port = rig.openCom();
        port.responder = [&port](const QByteArray &written) {
            port.deliver(AsBytes(AnswerTo(written, 1, 4)));
        };
        QLoggingCategory::setFilterRules(QStringLiteral("matrix.link.debug=true"));
        QTest::ignoreMessage(QtDebugMsg, "COM sent 13: A5 5B 02 01 03 00 00 00 00 00 00 00 FA");
        QTest::ignoreMessage(QtDebugMsg, "COM received 13: A5 5B 02 01 01 00 04 00 00 00 00 00 F8");
        TCommandResult result;
        rig.link.SendCommand(MakeFrame(2, 1, 3), result);
        QLoggingCategory::setFilterRules(QString());
        QCOMPARE(result.Success, std::uint8_t(1));
    }

    void delayCountsSteps()
    {
        LinkRig rig;
        rig.link.Delay(0);
        QCOMPARE(rig.link.TickCount(), 1); // at least one step
        rig.link.Delay(10);
        QCOMPARE(rig.clock.elapsedMs(), 110);
    }
};

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"
