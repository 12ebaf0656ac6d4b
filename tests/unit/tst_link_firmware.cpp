#include "LinkRig.h"
#include "TestBytes.h"

#include "link/Scrambler.h"

#include <QTest>

#include <functional>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr std::uint8_t Declined = 0x44;

std::uint16_t Param(const QByteArray &bytes, int index)
{
    return std::uint16_t(std::uint8_t(bytes[2 + 2 * index]) |
                         (std::uint8_t(bytes[3 + 2 * index]) << 8));
}

QByteArray Answer(const QByteArray &request, std::uint8_t r4)
{
    return AsBytes(MakeFrame(std::uint8_t(request[2]), std::uint8_t(request[3]), r4));
}

/// A switcher on the fake serial port that accepts every part, packet and poll; `verdict`
/// can change the answer (r4) of any numbered write, or return -1 to stay silent.
struct FirmwareSwitcher
{
    explicit FirmwareSwitcher(LinkRig &rig) : rig(rig), port(rig.openCom())
    {
        port.responder = [this](const QByteArray &written) {
            sleptAtWrite.push_back(this->rig.clock.sleptMs());
            elapsedAtWrite.push_back(this->rig.clock.elapsedMs());
            const int index = int(sleptAtWrite.size()) - 1;
            const bool isFrame = written.size() == qsizetype(FrameSize);
            const bool start = isFrame && std::uint8_t(written[2]) == 0x20 &&
                               Param(written, 1) != 0x0080 && Param(written, 1) != 0x0010;
            int r4 = start ? StatusReady : StatusAccepted;
            if (verdict)
                r4 = verdict(index, written, r4);
            if (r4 >= 0)
                port.deliverLater(1ms, Answer(written, std::uint8_t(r4)));
        };
    }

    QList<QByteArray> packets() const
    {
        QList<QByteArray> found;
        for (const QByteArray &write : port.writes) {
            if (write.size() > qsizetype(FrameSize))
                found.append(write);
        }
        return found;
    }

    LinkRig &rig;
    FakeStreamEndpoint &port;
    std::function<int(int index, const QByteArray &written, int r4)> verdict;
    std::vector<std::int64_t> sleptAtWrite;
    std::vector<std::int64_t> elapsedAtWrite;
};

QList<qint64> ProgressValues(const LinkRig &rig)
{
    QList<qint64> values;
    for (const auto &note : rig.seen) {
        if (note.code == NotifyProgress)
            values.append(note.lParam);
    }
    return values;
}

int RestartLines(const LinkRig &rig)
{
    int lines = 0;
    for (const auto &note : rig.seen) {
        if (note.code == NotifyLogLine && note.lParam == 1 &&
            note.text.startsWith(QStringLiteral("System rebooting, please wait ...")))
            ++lines;
    }
    return lines;
}

bool SawLogLine(const LinkRig &rig, const QString &text)
{
    for (const auto &note : rig.seen) {
        if (note.code == NotifyLogLine && note.text == text)
            return true;
    }
    return false;
}

} // namespace

class LinkFirmwareTest : public QObject
{
    Q_OBJECT
private slots:
    void slaveImageGoesOutInShortenedPackets()
    {
        LinkRig rig;
        FirmwareSwitcher device(rig);
        const QByteArray image = Image(600, 0);
        rig.link.WriteStream = image;
        TCommandResult result;
        rig.link.WriteSlaveFirmware(MakeFrame(0x20, 2, 3, 0, 2, 10), result);

        QCOMPARE(result.Success, std::uint8_t(1));
        QCOMPARE(device.port.writes.size(), 4);
        QCOMPARE(device.port.writes[0], AsBytes(MakeFrame(0x20, 2, 3, 0, 2, 10)));
        const QList<QByteArray> packets = device.packets();
        QCOMPARE(packets.size(), 3);
        const std::array<int, 3> wireSizes{270, 270, 102};
        const std::array<std::uint16_t, 3> statuses{0xAA, 0xAA, 0x56};
        const std::array<int, 3> lengths{256, 256, 88};
        for (int i = 0; i < 3; ++i) {
            const QByteArray &packet = packets[i];
            QCOMPARE(packet.size(), wireSizes[i]);
            QCOMPARE(std::uint8_t(packet[2]), std::uint8_t(0x20));
            QCOMPARE(std::uint8_t(packet[3]), std::uint8_t(2));
            QCOMPARE(Param(packet, 1), statuses[i]);
            QCOMPARE(Param(packet, 2), std::uint16_t(lengths[i]));
            QCOMPARE(Param(packet, 3), std::uint16_t(3));
            QCOMPARE(Param(packet, 4), std::uint16_t(i));
            const QByteArray data = image.mid(i * 256, lengths[i]);
            QCOMPARE(packet.mid(14, lengths[i]), data);
            QCOMPARE(std::uint8_t(packet[13]),
                     DataChecksum(std::span(reinterpret_cast<const std::uint8_t *>(data.data()),
                                            std::size_t(data.size()))));
        }
        QCOMPARE(ProgressValues(rig), (QList<qint64>{42, 85, 100}));
        for (const auto &note : rig.seen) {
            if (note.code == NotifyProgress)
                QCOMPARE(note.wParam, qint64(0x0203));
        }
        QCOMPARE(rig.outcome(),
                 (QList<int>{NotifyProgress, NotifyProgress, NotifyProgress, NotifyTransferDone}));
        QCOMPARE(rig.seen.last().wParam, qint64(0));
        // The full packet is what the trace shows, even though only 102 bytes went out.
        int dumps = 0;
        for (const auto &note : rig.seen) {
            if (note.code == NotifyDataDump) {
                QVERIFY(note.text.startsWith(QStringLiteral("send data:\r\n0x")));
                QCOMPARE(note.text.count(QStringLiteral("0x")), 270);
                ++dumps;
            }
        }
        QCOMPARE(dumps, 3);
        QCOMPARE(rig.clock.sleptMs(), 0);
    }

    void mainPartPausesAnnouncesAndRestarts()
    {
        LinkRig rig;
        FirmwareSwitcher device(rig);
        rig.link.WriteStream = Image(600, 0);
        TCommandResult result;
        rig.link.WriteMainFirmware(MakeFrame(0x20, 1, 1, 0, 1, 2), result);

        QCOMPARE(result.Success, std::uint8_t(1));
        const auto &writes = device.port.writes;
        QCOMPARE(writes.size(), 7); // start, 0x0080, 0x0010, three packets, one poll
        QCOMPARE(writes[1], AsBytes(MakeFrame(0x20, 1, 0x0080)));
        QCOMPARE(writes[2], AsBytes(MakeFrame(0x20, 1, 0x0010)));
        for (int i = 3; i < 6; ++i) {
            QCOMPARE(writes[i].size(), 270);
            QCOMPARE(Param(writes[i], 4), std::uint16_t(i - 3));
        }
        QCOMPARE(writes[5].mid(14 + 88), QByteArray(256 - 88, '\0'));
        QCOMPARE(writes[6], AsBytes(MakeFrame(0x01, 0x01)));
        // A 300 ms pause before each announcement and before the first packet.
        QCOMPARE(device.sleptAtWrite[1], 300);
        QCOMPARE(device.sleptAtWrite[2], 600);
        QCOMPARE(device.sleptAtWrite[3], 900);
        QCOMPARE(rig.clock.sleptMs(), 900);
        // The restart wait: about 6 s of silence before the first poll.
        QVERIFY(device.elapsedAtWrite[6] - device.elapsedAtWrite[5] >= 6000);

        QCOMPARE(rig.count(NotifyTransferDone), 1);
        for (const auto &note : rig.seen) {
            if (note.code == NotifyTransferDone) {
                QCOMPARE(note.wParam, qint64(0x0101));
                QCOMPARE(note.lParam, qint64(0x0102));
            }
        }
        QCOMPARE(RestartLines(rig), 62); // first line, 60 while silent, one while polling
        QVERIFY(SawLogLine(rig, QStringLiteral("System reboot ok")));
        int dumps = 0;
        for (const auto &note : rig.seen) {
            if (note.code == NotifyDataDump) {
                QVERIFY(note.text.startsWith(QStringLiteral("[1]send data:\r\n")));
                ++dumps;
            }
        }
        QCOMPARE(dumps, 3);
    }

    void declinesAndRefusals()
    {
        {
            // Part declined at the start: reported, nothing sent, the caller may go on.
            LinkRig rig;
            FirmwareSwitcher device(rig);
            device.verdict = [](int index, const QByteArray &, int r4) {
                return index == 0 ? Declined : r4;
            };
            rig.link.WriteStream = Image(100, 0);
            TCommandResult result;
            rig.link.WriteMainFirmware(MakeFrame(0x20, 1, 1, 0, 7, 9), result);
            QCOMPARE(result.Success, std::uint8_t(1));
            QCOMPARE(device.port.writes.size(), 1);
            QCOMPARE(rig.outcome(), QList<int>{NotifyPartWriteFailed});
            QCOMPARE(rig.seen.last().wParam, qint64(0x0101));
            QCOMPARE(rig.seen.last().lParam, qint64(0x0709));
        }
        {
            // A start answer that is neither ready nor declined.
            LinkRig rig;
            FirmwareSwitcher device(rig);
            device.verdict = [](int index, const QByteArray &, int r4) {
                return index == 0 ? 0x00 : r4;
            };
            rig.link.WriteStream = Image(100, 0);
            TCommandResult result;
            rig.link.WriteSlaveFirmware(MakeFrame(0x20, 2, 1), result);
            QCOMPARE(result.Success, std::uint8_t(0));
            QCOMPARE(device.port.writes.size(), 1);
            QCOMPARE(rig.outcome(), QList<int>{NotifyDataInvalid});
        }
        {
            // The erase announcement declined: the part ends there.
            LinkRig rig;
            FirmwareSwitcher device(rig);
            device.verdict = [](int index, const QByteArray &, int r4) {
                return index == 2 ? Declined : r4;
            };
            rig.link.WriteStream = Image(100, 0);
            TCommandResult result;
            rig.link.WriteMainFirmware(MakeFrame(0x20, 1, 1), result);
            QCOMPARE(result.Success, std::uint8_t(1));
            QCOMPARE(device.port.writes.size(), 3);
            QCOMPARE(rig.outcome(), QList<int>{NotifyPartWriteFailed});
        }
    }

    void packetDeclinedThreeTimes()
    {
        LinkRig rig;
        FirmwareSwitcher device(rig);
        device.verdict = [](int, const QByteArray &written, int r4) {
            const bool secondPacket = written.size() > 13 && Param(written, 4) == 1;
            return secondPacket ? Declined : r4;
        };
        rig.link.WriteStream = Image(600, 0);
        TCommandResult result;
        rig.link.WriteSlaveFirmware(MakeFrame(0x20, 2, 2, 0, 1, 0), result);

        QCOMPARE(rig.count(NotifyPartWriteFailed), 3);
        QCOMPARE(rig.count(NotifySendFailed), 0);
        QCOMPARE(rig.count(NotifyTransferDone), 0);
        QCOMPARE(result.Success, std::uint8_t(1));
        const QList<QByteArray> packets = device.packets();
        QCOMPARE(packets.size(), 4); // the first once, the second three times
        QCOMPARE(packets[3], packets[1]);
        QCOMPARE(rig.clock.sleptMs(), 150);
        QCOMPARE(ProgressValues(rig), QList<qint64>{42});
    }

    void packetRetriesAndFailures()
    {
        {
            // Refused twice, accepted on the third attempt: the transfer goes on.
            LinkRig rig;
            FirmwareSwitcher device(rig);
            int refusals = 0;
            device.verdict = [&refusals](int, const QByteArray &written, int r4) {
                if (written.size() > 13 && Param(written, 4) == 0 && refusals < 2) {
                    ++refusals;
                    return int(StatusRefused);
                }
                return r4;
            };
            rig.link.WriteStream = Image(300, 0);
            TCommandResult result;
            rig.link.WriteSlaveFirmware(MakeFrame(0x20, 2, 1), result);
            QCOMPARE(result.Success, std::uint8_t(1));
            QCOMPARE(device.packets().size(), 4);
            QCOMPARE(rig.count(NotifyTransferDone), 1);
            QCOMPARE(rig.count(NotifySendFailed), 0);
            QCOMPARE(rig.clock.sleptMs(), 100);
        }
        {
            // Three refusals: send failure, no completion.
            LinkRig rig;
            FirmwareSwitcher device(rig);
            device.verdict = [](int, const QByteArray &written, int r4) {
                return written.size() > 13 ? int(StatusReady) : r4;
            };
            rig.link.WriteStream = Image(300, 0);
            TCommandResult result;
            rig.link.WriteSlaveFirmware(MakeFrame(0x20, 2, 1), result);
            QCOMPARE(result.Success, std::uint8_t(0));
            QCOMPARE(device.packets().size(), 3);
            QCOMPARE(rig.outcome(), QList<int>{NotifySendFailed});
        }
        {
            // Silence after the start: three tries of the same packet, one time-out.
            LinkRig rig;
            FirmwareSwitcher device(rig);
            device.verdict = [](int index, const QByteArray &, int r4) {
                return index == 0 ? r4 : -1;
            };
            rig.link.WriteStream = Image(10, 0);
            TCommandResult result;
            rig.link.WriteSlaveFirmware(MakeFrame(0x20, 2, 1), result);
            QCOMPARE(result.Success, std::uint8_t(0));
            QCOMPARE(device.packets().size(), 3);
            QCOMPARE(device.packets()[0].size(), 24);
            QCOMPARE(rig.outcome(), QList<int>{NotifyTimeout});
        }
        {
            // The port goes away in the middle of the part.
            LinkRig rig;
            FirmwareSwitcher device(rig);
            device.verdict = [&device](int index, const QByteArray &, int r4) {
                if (index == 1)
                    device.port.failWrites = true;
                return r4;
            };
            rig.link.WriteStream = Image(600, 0);
            TCommandResult result;
            rig.link.WriteSlaveFirmware(MakeFrame(0x20, 2, 1), result);
            QCOMPARE(result.Success, std::uint8_t(0));
            QCOMPARE(rig.outcome(), (QList<int>{NotifyProgress, NotifyAccessFailed}));
        }
    }

    void rebootAgainstSilence()
    {
        LinkRig rig;
        FirmwareSwitcher device(rig);
        device.verdict = [](int, const QByteArray &, int) { return -1; };
        TCommandResult result;
        result.Success = 1;
        rig.link.RebootDevice(result);

        QCOMPARE(result.Success, std::uint8_t(0));
        QCOMPARE(RestartLines(rig), 211);
        QCOMPARE(rig.count(NotifyTimeout), 1);
        QCOMPARE(rig.seen.last().code, NotifyTimeout);
        QVERIFY(!SawLogLine(rig, QStringLiteral("System reboot failed")));
        QCOMPARE(device.port.writes.size(), 3);
        // The spinner turns through its four characters.
        QCOMPARE(rig.seen.first().text, QStringLiteral("System rebooting, please wait .../"));
        QCOMPARE(rig.seen[1].text, QStringLiteral("System rebooting, please wait ...-"));
        QCOMPARE(rig.seen[2].text, QStringLiteral("System rebooting, please wait ...\\"));
        QCOMPARE(rig.seen[3].text, QStringLiteral("System rebooting, please wait ...|"));
        QVERIFY(rig.clock.elapsedMs() >= 6000 + 3 * 5000);
    }

    void rebootWithInvalidAnswersOrStop()
    {
        {
            LinkRig rig;
            FirmwareSwitcher device(rig);
            device.verdict = [](int, const QByteArray &, int) { return int(StatusRefused); };
            TCommandResult result;
            rig.link.RebootDevice(result);
            QCOMPARE(result.Success, std::uint8_t(0));
            QCOMPARE(device.port.writes.size(), 6);
            QCOMPARE(rig.count(NotifyTimeout), 0);
            QCOMPARE(rig.seen.last().text, QStringLiteral("System reboot failed"));
            QCOMPARE(rig.seen.last().lParam, qint64(0));
        }
        {
            // Closing during the silence ends the wait at once, without a poll.
            LinkRig rig;
            FirmwareSwitcher device(rig);
            rig.clock.schedule(1000ms, [&rig] { rig.flags.StopRequested = true; });
            TCommandResult result;
            rig.link.RebootDevice(result);
            QCOMPARE(result.Success, std::uint8_t(0));
            QCOMPARE(device.port.writes.size(), 0);
            QVERIFY(RestartLines(rig) <= 12);
            QVERIFY(rig.clock.elapsedMs() < 1200);
        }
    }

    void rebootPollsTcpWithoutDump()
    {
        LinkRig rig;
        rig.link.setControlMode(cmLAN);
        rig.link.setDeviceIP(QStringLiteral("127.0.0.9"));
        QVERIFY(rig.link.Open());
        FakeStreamEndpoint &peer = *rig.factory.tcp;
        peer.responder = [&peer](const QByteArray &written) {
            peer.deliverLater(50ms, Answer(written, 0));
        };
        TCommandResult result;
        rig.link.RebootDevice(result);
        QCOMPARE(result.Success, std::uint8_t(1));
        QVERIFY(SawLogLine(rig, QStringLiteral("System reboot ok")));
        QCOMPARE(rig.count(NotifyDataDump), 0);
        QCOMPARE(rig.count(NotifyBytesReceived), 1);
    }

    void scramblingRoundTrip()
    {
        std::vector<std::uint8_t> bytes(256 * 33);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = std::uint8_t(i / 33);
        const std::vector<std::uint8_t> plain = bytes;
        QVERIFY(TKXCOMControl::EncodeBuffer(bytes));
        QVERIFY(bytes != plain);
        // Key character '3' (0x33): (0 xor 0x33) + 0x33 = 0x66; byte 32 uses it again.
        QCOMPARE(bytes[0], std::uint8_t(0x66));
        QCOMPARE(bytes[32], std::uint8_t(((plain[32] ^ 0x33) + 0x33) & 0xFF));
        QVERIFY(TKXCOMControl::DecodeBuffer(bytes));
        QVERIFY(bytes == plain);
        QVERIFY(TKXCOMControl::EncodeBuffer({}));
    }
};

QTEST_GUILESS_MAIN(LinkFirmwareTest)
#include "tst_link_firmware.moc"
