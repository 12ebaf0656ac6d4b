#include "SimContextRig.h"
#include "SimShellRig.h"
#include "TestBytes.h"
#include "TestFiles.h"
#include "WidgetFinder.h"

#include "SimFirmware.h"
#include "firmware/ui/FirmwarePage.h"
#include "link/KXCOMControl.h"
#include "shell/StatusBoard.h"
#include "shell/ui/MainWindow.h"
#include "ui/KXGauge.h"

#include <QDir>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

/// What the firmware page and the simulated switcher show of an upgrade, wherever the page
/// lives.
struct UpgradeView
{
    void upgrade(const QString &path) const
    {
        Child<QLineEdit>(&m_page, "edtFWFile")->setText(path);
        Child<QPushButton>(&m_page, "btnUpgrade")->click();
    }

    QStringList lines() const
    {
        const QString text = Child<QPlainTextEdit>(&m_page, "mmoMessage")->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }

    TKXGauge *gauge() const { return Child<TKXGauge>(&m_page, "kxgFWProgress"); }
    QString status(StatusPanel panel) const { return m_context.status().text(panel); }
    bool received(const QByteArray &frame) const
    {
        return m_device.state().received.contains(frame);
    }
    bool restartSent() const { return received(FrameBytes(0x80, 0x02, 0x000F)); }

    /// The page is back to idle: button enabled, no exchange marked as running.
    bool pageRestored() const
    {
        return Child<QPushButton>(&m_page, "btnUpgrade")->isEnabled() &&
               m_context.flags().CommandIdle && status(StatusPanel::Hint).isEmpty();
    }

    QString writeFile(const QByteArray &content, const QString &name = QStringLiteral("a.fw")) const
    {
        const QString path = m_dir.filePath(name);
        if (!WriteFileBytes(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    FirmwarePage &m_page;
    ShellContext &m_context;
    const SwitcherDevice &m_device;
    const QTemporaryDir &m_dir;
};

/// The firmware page alone on a context talking to the simulated switcher, which can also
/// take firmware, with restart waits kept short.
struct UpgradeRig : SimContextRig, UpgradeView
{
    UpgradeRig() : SimContextRig(10), UpgradeView{page, context, device, dir}
    {
        device.state().restartSilenceMs = 100;
        window.layout()->addWidget(&page);
        window.show();
    }

    FirmwarePage page{context, dialogs, &window};
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
        rig.upgrade(rig.writeFile(PartRecord(1, 1, 1, 2, image)));

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
        QCOMPARE(rig.status(StatusPanel::Operation),
                 QStringLiteral("Firmware upgrade successfully"));

        QCOMPARE(rig.firmware.image(1, 1), image);
        QVERIFY(rig.firmware.complete(1, 1));
        QCOMPARE(rig.firmware.versions(1, 1), (std::pair<std::uint16_t, std::uint16_t>(1, 2)));
        QVERIFY(rig.received(FrameBytes(0x20, 0x01, 0x0080)));
        QVERIFY(rig.received(FrameBytes(0x20, 0x01, 0x0010)));
        QVERIFY(rig.restartSent());
        QCOMPARE(rig.firmware.selfRestarts(), 1);
        // A 300 ms pause before each announcement and before the first packet.
        QVERIFY(rig.clock.sleptMs() >= 900);
        QCOMPARE(rig.gauge()->Progress(), 100);
        QCOMPARE(rig.gauge()->Caption(), QStringLiteral("Upgrading Part_1.1"));
        QVERIFY(rig.pageRestored());
        QVERIFY(rig.context.link()->WriteStream.isEmpty());
    }

    void restartThatAnswersWronglyShowsTheFailure()
    {
        // Once the written switcher restarts, its answers to the polls are damaged: the part
        // ends failed although the link raises no notification of its own.
        UpgradeRig rig;
        QObject::connect(&rig.device, &SwitcherDevice::unitReceived, &rig.device,
                         [&rig](const QByteArray &unit) {
                             if (unit == FrameBytes(0x01, 0x01))
                                 rig.device.faults().arm(SimFault::BadChecksum, SimFaults::Always);
                         });
        rig.upgrade(rig.writeFile(PartRecord(1, 1, 1, 2, Image(300, 2))));
        QVERIFY(rig.lines().contains(QStringLiteral("System reboot failed")));
        QCOMPARE(rig.lines().last(), QStringLiteral("Upgrading Part_1.1.1.2 failed"));
        QCOMPARE(rig.status(StatusPanel::Operation),
                 QStringLiteral("Upgrading Part_1.1.1.2 failed"));
        QVERIFY(!rig.context.status().normal());
        QVERIFY(rig.pageRestored());
    }

    void slavePartsAndGaugeReset()
    {
        UpgradeRig rig;
        const QByteArray first = Image(300, 2);
        const QByteArray second = Image(513, 3);
        QList<std::pair<QString, int>> gaugeAtStart;
        QObject::connect(
            &rig.device, &SwitcherDevice::unitReceived, &rig.device,
            [&rig, &gaugeAtStart](const QByteArray &unit) {
                if (unit.size() == 13 && std::uint8_t(unit[2]) == 0x20)
                    gaugeAtStart.append({rig.gauge()->Caption(), rig.gauge()->Progress()});
            });
        rig.upgrade(rig.writeFile(PartRecord(2, 1, 3, 4, first) + PartRecord(2, 3, 0, 9, second)));

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
            QByteArray file = PartRecord(1, 1, 1, 2, Image(100, 4));
            file[20] = char(file[20] ^ 0x01);
            rig.upgrade(rig.writeFile(file));
            QCOMPARE(rig.lines(), QStringList{QStringLiteral("Bad FW file!")});
            QVERIFY(rig.device.state().received.isEmpty());
            QVERIFY(rig.pageRestored());
        }
        {
            UpgradeRig rig;
            const QByteArray first = Image(100, 5);
            QByteArray second = PartRecord(2, 2, 1, 0, Image(50, 6));
            second[130] = 7; // part number changed, checksum not
            rig.upgrade(rig.writeFile(PartRecord(2, 1, 1, 0, first) + second));
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
        QByteArray kind3 = PartRecord(3, 1, 1, 0, image);
        QTest::newRow("unknown kind")
            << kind3 << QStringLiteral("Part_3.1.1.0 has an unknown part kind 3, not sent");
        QTest::newRow("empty image") << PartRecord(2, 1, 1, 0, QByteArray())
                                     << QStringLiteral("Part_2.1.1.0 has an empty image, not sent");
        QTest::newRow("image beyond end")
            << PartRecord(2, 1, 1, 0, image).left(143 + 30)
            << QStringLiteral("Bad FW file! Part_2.1.1.0 needs 40 image bytes, only 30 remain");
        QTest::newRow("truncated header")
            << PartRecord(2, 1, 1, 0, image).left(100) << QStringLiteral("Bad FW file!");
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
        QVERIFY(!rig.context.link()->Connected()); // nothing was tried

        // A folder exists but cannot be read as a file.
        const QString folder = rig.dir.filePath(QStringLiteral("folder.fw"));
        QVERIFY(QDir().mkpath(folder));
        rig.upgrade(folder);
        QVERIFY(rig.lines().last().startsWith(QStringLiteral("Firmware file: ") + folder +
                                              QStringLiteral(" cannot be read")));
        QVERIFY(rig.device.state().received.isEmpty());
        QVERIFY(rig.pageRestored());

        // Another exchange is running.
        const QString path = rig.writeFile(PartRecord(2, 1, 1, 0, Image(10, 8)));
        rig.context.flags().CommandIdle = false;
        rig.upgrade(path);
        QCOMPARE(rig.status(StatusPanel::Hint), QStringLiteral("In processing, command ignored"));
        QVERIFY(rig.device.state().received.isEmpty());
        rig.context.flags().CommandIdle = true;
    }

    void declinedFirstPartThenSecondWritten()
    {
        UpgradeRig rig;
        rig.firmware.declinePart(2, 1);
        const QByteArray second = Image(700, 9);
        rig.upgrade(
            rig.writeFile(PartRecord(2, 1, 1, 5, Image(100, 10)) + PartRecord(2, 2, 2, 6, second)));

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
        rig.upgrade(rig.writeFile(PartRecord(2, 1, 1, 5, Image(100, 11)) +
                                  PartRecord(2, 2, 2, 6, Image(100, 12))));
        QVERIFY(rig.lines().contains(QStringLiteral("Write to Part_2.2.2.6 failed")));
        QCOMPARE(rig.status(StatusPanel::Operation), QStringLiteral("Write Part_2.2.2.6 failed"));
        QVERIFY(!rig.restartSent());
        QVERIFY(rig.pageRestored());
    }

    void closingDuringWriteStopsEverything()
    {
        // Closing the main window is the program's business: the whole program runs here.
        SimShellRig rig(10);
        rig.device.state().restartSilenceMs = 100;
        SimFirmware firmware(rig.device);
        const UpgradeView view{rig.windows->firmware(), rig.context(), rig.device, rig.dir};
        int packets = 0;
        QObject::connect(&rig.device, &SwitcherDevice::unitReceived, &rig.device,
                         [&rig, &packets](const QByteArray &unit) {
                             if (unit.size() > 13 && ++packets == 2) {
                                 rig.dialogs.pushConfirm(true);
                                 rig.form().close();
                             }
                         });
        view.upgrade(view.writeFile(PartRecord(2, 1, 1, 0, Image(1000, 13)) +
                                    PartRecord(2, 2, 1, 0, Image(100, 14))));

        QCOMPARE(rig.dialogs.lastText(ScriptedDialogs::Kind::Confirm),
                 QStringLiteral("Processing not complete, continue to close controller?"));
        QVERIFY(rig.context().flags().StopRequested);
        QCOMPARE(firmware.partsStarted(), 1);
        QVERIFY(!firmware.complete(2, 1));
        QVERIFY(!view.restartSent());
        QVERIFY(Child<QPushButton>(&rig.windows->firmware(), "btnUpgrade")->isEnabled());
        QVERIFY(rig.context().flags().CommandIdle);
        // The window released its link once the procedure had returned.
        QVERIFY(rig.context().link() == nullptr);
    }
};

QTEST_MAIN(FirmwareUpgradeTest)
#include "tst_firmware_upgrade.moc"
