#include "ShellRig.h"
#include "TestFiles.h"

#include "firmware/FirmwareFile.h"
#include "firmware/ui/FirmwareMergePanel.h"
#include "firmware/ui/FirmwarePage.h"
#include "firmware/ui/IrControl.h"
#include "link/Scrambler.h"
#include "shell/ui/MainWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray Image(int size, int seed)
{
    QByteArray image(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        image[i] = char((i * 13 + seed) & 0xFF);
    return image;
}

/// The main window with its merge group, images written into the rig's folder.
struct MergeRig
{
    /// The group as it would be when offered to the operator: shown and enabled.
    explicit MergeRig(bool offered = true)
    {
        rig.create();
        if (offered) {
            merge().gbMergeFW->setEnabled(true);
            merge().gbMergeFW->show();
        }
    }

    TForm1 &form() const { return rig.form(); }
    FirmwareMergePanel &merge() const { return *form().findChild<FirmwarePage *>()->merge(); }

    QString writeImage(const QString &name, const QByteArray &content) const
    {
        const QString path = rig.dir.filePath(name);
        if (!WriteFileBytes(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    void setPart(int index, const QString &path, const QString &v1, const QString &v2) const
    {
        const auto &part = merge().parts()[std::size_t(index)];
        part.path->setText(path);
        part.version1->setText(v1);
        part.version2->setText(v2);
    }

    QStringList lines() const
    {
        const QString text = form().mmoMessage->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }

    QString outputPath(const QString &name) const { return form().AppDir + name; }

    QStringList folderEntries() const
    {
        return QDir(rig.dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    ShellRig rig;
};

} // namespace

class FirmwareMergeTest : public QObject
{
    Q_OBJECT
private slots:
    void groupAndControls()
    {
        MergeRig rig(false);
        FirmwareMergePanel &merge = rig.merge();
        QVERIFY(merge.gbMergeFW->isHidden());
        QVERIFY(!merge.gbMergeFW->isEnabled());
        merge.gbMergeFW->setEnabled(true);
        QCOMPARE(merge.gbMergeFW->title(), QStringLiteral("Merge FW"));
        const std::array<int, 4> tags{1, 11, 12, 13};
        for (std::size_t i = 0; i < 4; ++i) {
            const auto &part = merge.parts()[i];
            QCOMPARE(part.path->property("Tag").toInt(), tags[i]);
            QCOMPARE(part.open->property("Tag").toInt(), tags[i]);
            QVERIFY(!part.open->accessibleName().isEmpty());
            QCOMPARE(part.version1->maxLength(), 3);
        }
        QCOMPARE(
            rig.form().findChild<QLineEdit *>(QStringLiteral("leSlave2FWVer1"))->accessibleName(),
            QStringLiteral("IR Ver1"));
        QCOMPARE(merge.btnMerge->text(), QStringLiteral("&Merge"));

        // The slave buttons share one handler that finds its field by Tag.
        rig.rig.dialogs.pushFileName(QStringLiteral("/images/ir.bin"));
        rig.form().findChild<QPushButton *>(QStringLiteral("btnOpenSlave2"))->click();
        QCOMPARE(merge.edtSlaveMCU2FW->text(), QStringLiteral("/images/ir.bin"));
        QCOMPARE(rig.rig.dialogs.calls().last().filter,
                 QStringLiteral("FW binary file(*.bin)|*.bin"));
        rig.rig.dialogs.pushFileName(QString());
        rig.form().findChild<QPushButton *>(QStringLiteral("btnOpenMain"))->click();
        QVERIFY(merge.edtMainMCUFW->text().isEmpty());
    }

    void versionKeyFilter()
    {
        MergeRig rig;
        QLineEdit *field = rig.merge().parts()[0].version1;
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
        rig.merge().btnMerge->click();

        const QString output = rig.outputPath(QStringLiteral("KorvexA1_pnl2.10.fw"));
        QCOMPARE(rig.merge().edtSlaveMCU3FW->text(), path);
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
        rig.merge().MergeFirmware();

        const QString output = rig.outputPath(QStringLiteral("KorvexA1_mm1.2_ir0.255.fw"));
        QVERIFY(rig.lines().contains(QStringLiteral("Slave MCU1 firmware file: ") +
                                     rig.rig.dir.filePath(QStringLiteral("missing.bin")) +
                                     QStringLiteral(" does not exist")));
        QCOMPARE(rig.merge().parts()[2].version1->text(), QStringLiteral("0"));
        QCOMPARE(rig.merge().parts()[2].version2->text(), QStringLiteral("255"));
        const QByteArray first = FileBytes(output);
        QCOMPARE(first.size(), 143 + 1000 + 143);

        rig.form().mmoMessage->clear();
        rig.rig.dialogs.pushConfirm(false);
        rig.merge().MergeFirmware();
        QCOMPARE(rig.rig.dialogs.lastText(ScriptedDialogs::Kind::Confirm),
                 QStringLiteral("Firmware file: ") + output +
                     QStringLiteral(" exists, overwrite it?"));
        QCOMPARE(rig.lines().last(), QStringLiteral("Save canceled"));
        QCOMPARE(FileBytes(output), first);

        // Nothing in the file depends on the time of the merge.
        QFile::remove(output);
        rig.rig.clock.advance(std::chrono::milliseconds(5000));
        rig.rig.dialogs.pushConfirm(true);
        rig.merge().MergeFirmware();
        QCOMPARE(FileBytes(output), first);
        QCOMPARE(rig.rig.dialogs.count(ScriptedDialogs::Kind::Confirm), 1);
    }

    void nothingToMerge()
    {
        MergeRig rig;
        rig.setPart(0, QStringLiteral("   "), QStringLiteral("1"), QStringLiteral("1"));
        rig.merge().MergeFirmware();
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
        rig.merge().MergeFirmware();
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
        rig.merge().MergeFirmware();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        QCOMPARE(rig.rig.dialogs.count(ScriptedDialogs::Kind::Error), 1);
        QVERIFY(!rig.lines().last().startsWith(QStringLiteral("Firmware merged complete")));
        QCOMPARE(rig.folderEntries(), QStringList{QStringLiteral("main.bin")});
    }

    void irSwitchSendsTheChoice()
    {
        ShellRig rig;
        TForm1 &form = rig.show();
        QStringList statusDuringCommand;
        rig.serial().responder = [&rig, &form, &statusDuringCommand](const QByteArray &written) {
            statusDuringCommand.append(form.statusText(2));
            rig.serial().deliver(ShellRig::answerTo(written, 0, 0));
        };
        auto *box = form.findChild<QCheckBox *>(QStringLiteral("cbIREnable"));
        QVERIFY(box);
        QVERIFY(box->isChecked());
        QCOMPARE(box->text(), QStringLiteral("Enable IR control"));
        QCOMPARE(qobject_cast<QGroupBox *>(box->parentWidget())->title(),
                 QStringLiteral("IR control enable/disable setting"));

        box->click();
        QCOMPARE(rig.serial().writes.size(), 1);
        const TCommandFrame off = MakeFrame(4, 3, 0x00F0);
        QCOMPARE(rig.serial().writes[0],
                 QByteArray(reinterpret_cast<const char *>(off.data()), 13));
        QCOMPARE(statusDuringCommand, QStringList{QStringLiteral("Disable IR control ...")});
        QCOMPARE(form.statusText(2), QStringLiteral("Done"));

        box->click();
        const TCommandFrame on = MakeFrame(4, 3, 0x000F);
        QCOMPARE(rig.serial().writes.last(),
                 QByteArray(reinterpret_cast<const char *>(on.data()), 13));
        QCOMPARE(statusDuringCommand.last(), QStringLiteral("Enable IR control ..."));

        // A failed command leaves the box as the operator set it.
        rig.serial().responder = nullptr;
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(form.statusText(2), QStringLiteral("Time out!"));
    }
};

QTEST_MAIN(FirmwareMergeTest)
#include "tst_firmware_merge.moc"
