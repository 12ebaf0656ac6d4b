#include "ContextRig.h"
#include "ShellRig.h"
#include "TestBytes.h"
#include "TestFiles.h"
#include "WidgetFinder.h"

#include "firmware/FirmwareFile.h"
#include "firmware/ui/FirmwareMergePanel.h"
#include "firmware/ui/IrControl.h"
#include "shell/StatusBoard.h"
#include "shell/TextLog.h"
#include "shell/ui/MainWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <array>
#include <csignal>
#include <sys/resource.h>

namespace {

/// The controls of one part of the merge, by name, in file order.
struct PartNames
{
    const char *path;
    const char *open;
    const char *version1;
    const char *version2;
};

constexpr std::array<PartNames, 4> Parts{{
    {"edtMainMCUFW", "btnOpenMain", "leMainFWVer1", "leMainFWVer2"},
    {"edtSlaveMCU1FW", "btnOpenSlave1", "leSlave1FWVer1", "leSlave1FWVer2"},
    {"edtSlaveMCU2FW", "btnOpenSlave2", "leSlave2FWVer1", "leSlave2FWVer2"},
    {"edtSlaveMCU3FW", "btnOpenSlave3", "leSlave3FWVer1", "leSlave3FWVer2"},
}};

/// The merge group alone on a shell context, as it is when offered to the operator (shown
/// and enabled), images written into the rig's folder, which is also the program's folder.
struct MergeRig
{
    MergeRig()
    {
        rig.window.layout()->addWidget(&merge);
        rig.window.show();
    }

    QLineEdit *field(const char *name) const { return Child<QLineEdit>(&merge, name); }
    QPushButton *button(const char *name) const { return Child<QPushButton>(&merge, name); }

    QString writeImage(const QString &name, const QByteArray &content) const
    {
        const QString path = rig.dir.filePath(name);
        if (!WriteFileBytes(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    void setPart(int index, const QString &path, const QString &v1, const QString &v2) const
    {
        const PartNames &part = Parts[std::size_t(index)];
        field(part.path)->setText(path);
        field(part.version1)->setText(v1);
        field(part.version2)->setText(v2);
    }

    /// The message area's lines.
    QStringList lines() const { return rig.context.messages().lines(); }

    QString outputPath(const QString &name) const
    {
        return rig.context.settingsLocation().appDir() + name;
    }

    QStringList folderEntries() const
    {
        return QDir(rig.dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    ContextRig rig;
    FirmwareMergePanel merge{rig.context, rig.dialogs, &rig.window};
};

} // namespace

class FirmwareMergeTest : public QObject
{
    Q_OBJECT
private slots:
    void deliveredWindowHidesTheGroup()
    {
        ShellRig rig;
        auto *group = Child<QGroupBox>(&rig.create(), "gbMergeFW");
        QVERIFY(group->isHidden());
        QVERIFY(!group->isEnabled());
    }

    void groupAndControls()
    {
        MergeRig rig;
        QCOMPARE(rig.merge.objectName(), QStringLiteral("gbMergeFW"));
        QCOMPARE(rig.merge.title(), QStringLiteral("Merge FW"));
        const std::array<int, 4> tags{1, 11, 12, 13};
        for (std::size_t i = 0; i < 4; ++i) {
            QCOMPARE(rig.field(Parts[i].path)->property("Tag").toInt(), tags[i]);
            QCOMPARE(rig.button(Parts[i].open)->property("Tag").toInt(), tags[i]);
            QVERIFY(!rig.button(Parts[i].open)->accessibleName().isEmpty());
            QCOMPARE(rig.field(Parts[i].version1)->maxLength(), 3);
        }
        QCOMPARE(rig.field("leSlave2FWVer1")->accessibleName(), QStringLiteral("IR Ver1"));
        QCOMPARE(rig.button("btnMerge")->text(), QStringLiteral("&Merge"));

        // The slave buttons share one handler that finds its field by Tag.
        rig.rig.dialogs.pushFileName(QStringLiteral("/images/ir.bin"));
        rig.button("btnOpenSlave2")->click();
        QCOMPARE(rig.field("edtSlaveMCU2FW")->text(), QStringLiteral("/images/ir.bin"));
        QCOMPARE(rig.rig.dialogs.calls().last().filter,
                 QStringLiteral("FW binary file(*.bin)|*.bin"));
        rig.rig.dialogs.pushFileName(QString());
        rig.button("btnOpenMain")->click();
        QVERIFY(rig.field("edtMainMCUFW")->text().isEmpty());
    }

    void versionKeyFilter()
    {
        MergeRig rig;
        QLineEdit *field = rig.field("leMainFWVer1");
        QTest::keyClicks(field, QStringLiteral("1a.2 "));
        QCOMPARE(field->text(), QStringLiteral("12"));
        QTest::keyClicks(field, QStringLiteral("345"));
        QCOMPARE(field->text(), QStringLiteral("123"));
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(field->text(), QStringLiteral("12"));
    }

    void slaveThreeAlone()
    {
        MergeRig rig;
        const QByteArray image = Image(700, 5);
        const QString path = rig.writeImage(QStringLiteral("panel.bin"), image);
        rig.setPart(3, QStringLiteral("  ") + path + QStringLiteral(" "), QStringLiteral("2"),
                    QStringLiteral("10"));
        rig.button("btnMerge")->click();

        const QString output = rig.outputPath(QStringLiteral("KorvexA1_pnl2.10.fw"));
        QCOMPARE(rig.field("edtSlaveMCU3FW")->text(), path);
        QCOMPARE(
            rig.lines(),
            (QStringList{QStringLiteral("Slave MCU3 firmware: ") + path + QStringLiteral(" loaded"),
                         QStringLiteral("Slave MCU3 firmware merged, ver2.10"),
                         QStringLiteral("Firmware merged complete, save to file: ") + output}));
        const QByteArray file = FileBytes(output);
        QCOMPARE(file.size(), 143 + image.size());
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t *>(file.constData()),
                                     std::size_t(file.size()));
        const std::vector<PartRead> parts = FirmwareFile::ReadParts(bytes);
        QCOMPARE(parts.size(), std::size_t(1));
        QVERIFY(parts[0].error == PartError::None);
        QCOMPARE(parts[0].part.header.kind, std::uint8_t(2));
        QCOMPARE(parts[0].part.header.partNumber, std::uint16_t(3));
        QCOMPARE(parts[0].part.header.version1, std::uint16_t(2));
        QCOMPARE(parts[0].part.header.version2, std::uint16_t(10));
        QCOMPARE(parts[0].part.image, image);
        QVERIFY(file.mid(143) != image); // stored scrambled
        QCOMPARE(file.left(33), QByteArray("DON'T MODIFY THIS FILE MANNUALLY!"));
    }

    void fullMergeIsRepeatableAndAsksBeforeOverwriting()
    {
        MergeRig rig;
        rig.setPart(0, rig.writeImage(QStringLiteral("main.bin"), Image(1000, 1)),
                    QStringLiteral("1"), QStringLiteral("2"));
        rig.setPart(2, rig.writeImage(QStringLiteral("ir.bin"), Image(0, 0)), QString(),
                    QStringLiteral("300"));
        rig.setPart(1, rig.rig.dir.filePath(QStringLiteral("missing.bin")), QStringLiteral("4"),
                    QStringLiteral("4"));
        rig.merge.MergeFirmware();

        const QString output = rig.outputPath(QStringLiteral("KorvexA1_mm1.2_ir0.255.fw"));
        QVERIFY(rig.lines().contains(QStringLiteral("Slave MCU1 firmware file: ") +
                                     rig.rig.dir.filePath(QStringLiteral("missing.bin")) +
                                     QStringLiteral(" does not exist")));
        QCOMPARE(rig.field("leSlave2FWVer1")->text(), QStringLiteral("0"));
        QCOMPARE(rig.field("leSlave2FWVer2")->text(), QStringLiteral("255"));
        const QByteArray first = FileBytes(output);
        QCOMPARE(first.size(), 143 + 1000 + 143);

        rig.rig.context.messages().clear();
        rig.rig.dialogs.pushConfirm(false);
        rig.merge.MergeFirmware();
        QCOMPARE(rig.rig.dialogs.lastText(ScriptedDialogs::Kind::Confirm),
                 QStringLiteral("Firmware file: ") + output +
                     QStringLiteral(" exists, overwrite it?"));
        QCOMPARE(rig.lines().last(), QStringLiteral("Save canceled"));
        QCOMPARE(FileBytes(output), first);

        // Nothing in the file depends on the time of the merge.
        QFile::remove(output);
        rig.rig.clock.advance(std::chrono::milliseconds(5000));
        rig.rig.dialogs.pushConfirm(true);
        rig.merge.MergeFirmware();
        QCOMPARE(FileBytes(output), first);
        QCOMPARE(rig.rig.dialogs.count(ScriptedDialogs::Kind::Confirm), 1);
    }

    void nothingToMerge()
    {
        MergeRig rig;
        rig.setPart(0, QStringLiteral("   "), QStringLiteral("1"), QStringLiteral("1"));
        rig.merge.MergeFirmware();
        QVERIFY(rig.lines().isEmpty());
        QVERIFY(!rig.folderEntries().join(QLatin1Char(' ')).contains(QStringLiteral(".fw")));
        QCOMPARE(rig.rig.dialogs.count(), 0);
    }

    void unreadableInput()
    {
        MergeRig rig;
        const QString folder = rig.rig.dir.filePath(QStringLiteral("image.bin"));
        QVERIFY(QDir().mkpath(folder));
        rig.setPart(0, rig.writeImage(QStringLiteral("main.bin"), Image(10, 1)),
                    QStringLiteral("1"), QStringLiteral("0"));
        rig.setPart(1, folder, QStringLiteral("1"), QStringLiteral("0"));
        rig.merge.MergeFirmware();
        QCOMPARE(rig.rig.dialogs.count(ScriptedDialogs::Kind::Error), 1);
        QVERIFY(!rig.lines().contains(QStringLiteral("Slave MCU1 firmware merged, ver1.0")));
        QVERIFY(!rig.lines().last().startsWith(QStringLiteral("Firmware merged complete")));
        QVERIFY(!rig.folderEntries().join(QLatin1Char(' ')).contains(QStringLiteral(".fw")));
    }

    void failedWriteLeavesNoPartialFile()
    {
        MergeRig rig;
        rig.setPart(0, rig.writeImage(QStringLiteral("main.bin"), Image(256 * 1024, 2)),
                    QStringLiteral("1"), QStringLiteral("0"));
        // A disk that fills up in the middle of the write: files may not grow beyond 64 KiB.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        rig.merge.MergeFirmware();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        QCOMPARE(rig.rig.dialogs.count(ScriptedDialogs::Kind::Error), 1);
        QVERIFY(!rig.lines().last().startsWith(QStringLiteral("Firmware merged complete")));
        QCOMPARE(rig.folderEntries(), QStringList{QStringLiteral("main.bin")});
    }

    void irSwitchSendsTheChoice()
    {
        ContextRig rig;
        IrControl ir(rig.context, &rig.window);
        const auto operation = [&rig] { return rig.context.status().text(StatusPanel::Operation); };
        QStringList statusDuringCommand;
        rig.serial().responder = [&](const QByteArray &written) {
            statusDuringCommand.append(operation());
            rig.serial().deliver(ContextRig::answerTo(written, 0, 0));
        };
        auto *box = Child<QCheckBox>(&ir, "cbIREnable");
        QVERIFY(box->isChecked());
        QCOMPARE(box->text(), QStringLiteral("Enable IR control"));
        QCOMPARE(qobject_cast<QGroupBox *>(box->parentWidget())->title(),
                 QStringLiteral("IR control enable/disable setting"));

        box->click();
        QCOMPARE(rig.serial().writes.size(), 1);
        QCOMPARE(rig.serial().writes[0], FrameBytes(4, 3, 0x00F0));
        QCOMPARE(statusDuringCommand, QStringList{QStringLiteral("Disable IR control ...")});
        QCOMPARE(operation(), QStringLiteral("Done"));

        box->click();
        QCOMPARE(rig.serial().writes.last(), FrameBytes(4, 3, 0x000F));
        QCOMPARE(statusDuringCommand.last(), QStringLiteral("Enable IR control ..."));

        // A failed command leaves the box as the operator set it.
        rig.serial().responder = nullptr;
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(operation(), QStringLiteral("Time out!"));
    }
};

QTEST_MAIN(FirmwareMergeTest)
#include "tst_firmware_merge.moc"
