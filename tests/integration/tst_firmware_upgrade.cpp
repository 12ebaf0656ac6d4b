#include "SimShellRig.h"
#include "TestFiles.h"

#include "firmware/FirmwareFile.h"
#include "firmware/ui/FirmwarePage.h"
#include "firmware/ui/KXGauge.h"
#include "link/KXCOMControl.h"
#include "shell/ui/MainWindow.h"
#include "SimFirmware.h"

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

QByteArray Image(int size, int seed)
{
    QByteArray image(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        image[i] = char((i * 31 + seed * 17 + (i >> 8)) & 0xFF);
    return image;
}

QByteArray Record(std::uint8_t kind, std::uint16_t part, std::uint8_t v1, std::uint8_t v2,
                  const QByteArray &image)
{
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t *>(image.constData()),
                                 std::size_t(image.size()));
    return FirmwareFile::BuildPartRecord(kind, part, v1, v2, bytes).value_or(QByteArray());
}

/// The program's windows talking to the simulated switcher, which can also take firmware,
/// with restart waits kept short.
struct UpgradeRig : SimShellRig
{
    UpgradeRig() : SimShellRig(10) { device.state().restartSilenceMs = 100; }

    FirmwarePage &page() const { return *form().findChild<FirmwarePage *>(); }

    QString writeFile(const QByteArray &content, const QString &name = QStringLiteral("a.fw"))
    {
        const QString path = dir.filePath(name);
        if (!WriteFileBytes(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    void upgrade(const QString &path)
    {
        page().edtFWFile->setText(path);
        page().btnUpgrade->click();
    }

    QStringList lines() const
    {
        const QString text = form().mmoMessage->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }

    bool received(const QByteArray &frame) const { return device.state().received.contains(frame); }
    bool restartSent() const { return received(Frame(0x80, 0x02, 0x000F)); }

    /// The page is back to idle: button enabled, no exchange marked as running.
    bool pageRestored() const
    {
        return page().btnUpgrade->isEnabled() && form().flags().CommandIdle &&
               form().statusText(3).isEmpty();
    }

    SimFirmware firmware{device};
};

} // namespace

class FirmwareUpgradeTest : public QObject
{
    Q_OBJECT
private slots:
    void onePartUpgradesAndRestarts()
    {
        UpgradeRig rig;
        const QByteArray image = Image(600, 1);
        rig.upgrade(rig.writeFile(Record(1, 1, 1, 2, image)));

        const QStringList lines = rig.lines();
        QCOMPARE(lines.count(QStringLiteral("Upgrading Part_1.1.1.2 ...")), 1);
        QCOMPARE(lines.first(), QStringLiteral("Upgrading Part_1.1.1.2 ..."));
        QVERIFY(lines.contains(QStringLiteral("Part_1.1.1.2 upgrading complete")));
        QCOMPARE(lines.last(), QStringLiteral("Firmware upgrade successfully!"));
        // Each restart wait shows one refreshed line, then its outcome.
        QCOMPARE(lines.count(QStringLiteral("System reboot ok")), 2);
        for (const QString &line : lines) {
            if (line.startsWith(QStringLiteral("System rebooting")))
                QVERIFY(line.startsWith(QStringLiteral("System rebooting, please wait ...")));
        }
        QCOMPARE(rig.form().statusText(2), QStringLiteral("Firmware upgrade successfully"));

        QCOMPARE(rig.firmware.image(1, 1), image);
        QVERIFY(rig.firmware.complete(1, 1));
        QCOMPARE(rig.firmware.versions(1, 1), (std::pair<std::uint16_t, std::uint16_t>(1, 2)));
        QVERIFY(rig.received(UpgradeRig::Frame(0x20, 0x01, 0x0080)));
        QVERIFY(rig.received(UpgradeRig::Frame(0x20, 0x01, 0x0010)));
        QVERIFY(rig.restartSent());
        QCOMPARE(rig.firmware.selfRestarts(), 1);
        // A 300 ms pause before each announcement and before the first packet.
        QVERIFY(rig.clock.sleptMs() >= 900);
        QCOMPARE(rig.page().kxgFWProgress->Progress(), 100);
        QCOMPARE(rig.page().kxgFWProgress->Caption(), QStringLiteral("Upgrading Part_1.1"));
        QVERIFY(rig.pageRestored());
        QVERIFY(rig.form().link()->WriteStream.isEmpty());
    }

    void slavePartsAndGaugeReset()
    {
        UpgradeRig rig;
        const QByteArray first = Image(300, 2);
        const QByteArray second = Image(513, 3);
        QList<std::pair<QString, int>> gaugeAtStart;
        QObject::connect(&rig.device, &SwitcherDevice::unitReceived, &rig.device,
                         [&rig, &gaugeAtStart](const QByteArray &unit) {
                             if (unit.size() == 13 && std::uint8_t(unit[2]) == 0x20)
                                 gaugeAtStart.append({rig.page().kxgFWProgress->Caption(),
                                                      rig.page().kxgFWProgress->Progress()});
                         });
        rig.upgrade(rig.writeFile(Record(2, 1, 3, 4, first) + Record(2, 3, 0, 9, second)));

        QCOMPARE(rig.firmware.image(2, 1), first);
        QCOMPARE(rig.firmware.image(2, 3), second);
        QCOMPARE(gaugeAtStart.size(), 2);
        for (const auto &[caption, progress] : gaugeAtStart) {
            QCOMPARE(caption, QStringLiteral("Upgrade progress"));
            QCOMPARE(progress, 0);
        }
        // Slave packets are cut to their data: 256 + 14, 256 + 14, 1 + 14.
        int shortPackets = 0;
        for (const QByteArray &unit : rig.device.state().received)
            shortPackets += unit.size() == 15 ? 1 : 0;
        QCOMPARE(shortPackets, 1);
        QVERIFY(rig.restartSent());
        QCOMPARE(rig.lines().last(), QStringLiteral("Firmware upgrade successfully!"));
        QVERIFY(rig.pageRestored());
    }

    void damagedHeaders()
    {
        {
            UpgradeRig rig;
            QByteArray file = Record(1, 1, 1, 2, Image(100, 4));
            file[20] = char(file[20] ^ 0x01);
            rig.upgrade(rig.writeFile(file));
            QCOMPARE(rig.lines(), QStringList{QStringLiteral("Bad FW file!")});
            QVERIFY(rig.device.state().received.isEmpty());
            QVERIFY(rig.pageRestored());
        }
        {
            UpgradeRig rig;
            const QByteArray first = Image(100, 5);
            QByteArray second = Record(2, 2, 1, 0, Image(50, 6));
            second[130] = 7; // part number changed, checksum not
            rig.upgrade(rig.writeFile(Record(2, 1, 1, 0, first) + second));
            QCOMPARE(rig.firmware.image(2, 1), first);
            QCOMPARE(rig.lines(), (QStringList{QStringLiteral("Upgrading Part_2.1.1.0 ..."),
                                               QStringLiteral("Part_2.1.1.0 upgrading complete"),
                                               QStringLiteral("Bad FW file!")}));
            QVERIFY(!rig.restartSent());
            QCOMPARE(rig.firmware.partsStarted(), 1);
            QVERIFY(rig.pageRestored());
        }
    }

    void unusableParts_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        const QByteArray image = Image(40, 7);
        QByteArray kind3 = Record(3, 1, 1, 0, image);
        QTest::newRow("unknown kind")
            << kind3 << QStringLiteral("Part_3.1.1.0 has an unknown part kind 3, not sent");
        QTest::newRow("empty image") << Record(2, 1, 1, 0, QByteArray())
                                     << QStringLiteral("Part_2.1.1.0 has an empty image, not sent");
        QTest::newRow("image beyond end")
            << Record(2, 1, 1, 0, image).left(143 + 30)
            << QStringLiteral("Bad FW file! Part_2.1.1.0 needs 40 image bytes, only 30 remain");
        QTest::newRow("truncated header")
            << Record(2, 1, 1, 0, image).left(100) << QStringLiteral("Bad FW file!");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("Bad FW file!");
    }

    void unusableParts()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        UpgradeRig rig;
        rig.upgrade(rig.writeFile(file));
        QCOMPARE(rig.lines(), QStringList{expected});
        QVERIFY(rig.device.state().received.isEmpty());
        QVERIFY(rig.pageRestored());
    }

    void fileProblemsAndRefusals()
    {
        UpgradeRig rig;
        const QString missing = rig.dir.filePath(QStringLiteral("none.fw"));
        rig.upgrade(missing);
        QCOMPARE(rig.lines().last(),
                 QStringLiteral("Firmware file: ") + missing + QStringLiteral(" does not exist"));
        QVERIFY(!rig.form().link()->Connected()); // nothing was tried

        // A folder exists but cannot be read as a file.
        const QString folder = rig.dir.filePath(QStringLiteral("folder.fw"));
        QVERIFY(QDir().mkpath(folder));
        rig.upgrade(folder);
        QVERIFY(rig.lines().last().startsWith(QStringLiteral("Firmware file: ") + folder +
                                              QStringLiteral(" cannot be read")));
        QVERIFY(rig.device.state().received.isEmpty());
        QVERIFY(rig.pageRestored());

        // Another exchange is running.
        const QString path = rig.writeFile(Record(2, 1, 1, 0, Image(10, 8)));
        rig.form().flags().CommandIdle = false;
        rig.upgrade(path);
        QCOMPARE(rig.form().statusText(3), QStringLiteral("In processing, command ignored"));
        QVERIFY(rig.device.state().received.isEmpty());
        rig.form().flags().CommandIdle = true;
    }

    void declinedFirstPartThenSecondWritten()
    {
        UpgradeRig rig;
        rig.firmware.declinePart(2, 1);
        const QByteArray second = Image(700, 9);
        rig.upgrade(rig.writeFile(Record(2, 1, 1, 5, Image(100, 10)) + Record(2, 2, 2, 6, second)));

        const QStringList lines = rig.lines();
        QCOMPARE(lines.mid(0, 4), (QStringList{QStringLiteral("Upgrading Part_2.1.1.5 ..."),
                                               QStringLiteral("Write to Part_2.1.1.5 failed"),
                                               QStringLiteral("Upgrading Part_2.2.2.6 ..."),
                                               QStringLiteral("Part_2.2.2.6 upgrading complete")}));
        QVERIFY(!lines.contains(QStringLiteral("Part_2.1.1.5 upgrading complete")));
        QVERIFY(rig.firmware.image(2, 1).isEmpty());
        QCOMPARE(rig.firmware.image(2, 2), second);
        QVERIFY(rig.restartSent());
        QCOMPARE(lines.last(), QStringLiteral("Firmware upgrade successfully!"));
    }

    void declinedLastPartMeansNoRestart()
    {
        UpgradeRig rig;
        rig.firmware.declinePart(2, 2);
        rig.upgrade(
            rig.writeFile(Record(2, 1, 1, 5, Image(100, 11)) + Record(2, 2, 2, 6, Image(100, 12))));
        QVERIFY(rig.lines().contains(QStringLiteral("Write to Part_2.2.2.6 failed")));
        QCOMPARE(rig.form().statusText(2), QStringLiteral("Write Part_2.2.2.6 failed"));
        QVERIFY(!rig.restartSent());
        QVERIFY(rig.pageRestored());
    }

    void closingDuringWriteStopsEverything()
    {
        UpgradeRig rig;
        int packets = 0;
        QObject::connect(&rig.device, &SwitcherDevice::unitReceived, &rig.device,
                         [&rig, &packets](const QByteArray &unit) {
                             if (unit.size() > 13 && ++packets == 2) {
                                 rig.dialogs.pushConfirm(true);
                                 rig.form().close();
                             }
                         });
        rig.upgrade(rig.writeFile(Record(2, 1, 1, 0, Image(1000, 13)) +
                                  Record(2, 2, 1, 0, Image(100, 14))));

        QCOMPARE(rig.dialogs.lastText(ScriptedDialogs::Kind::Confirm),
                 QStringLiteral("Processing not complete, continue to close controller?"));
        QVERIFY(rig.form().flags().StopRequested);
        QCOMPARE(rig.firmware.partsStarted(), 1);
        QVERIFY(!rig.firmware.complete(2, 1));
        QVERIFY(!rig.restartSent());
        QVERIFY(rig.page().btnUpgrade->isEnabled());
        QVERIFY(rig.form().flags().CommandIdle);
        // The window released its link once the procedure had returned.
        QVERIFY(rig.form().link() == nullptr);
    }
};

QTEST_MAIN(FirmwareUpgradeTest)
#include "tst_firmware_upgrade.moc"
