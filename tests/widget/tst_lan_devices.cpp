#include "ShellRig.h"

#include "lanmodule/ui/EnterYes.h"
#include "link/KXCOMControl.h"
#include "shell/ui/ConnectionPanel.h"
#include "shell/ui/MainWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace std::chrono_literals;

namespace {
/// The serial line answers LDCD records like a module with version 1.5, static address
/// 10.0.0.7; `valid` false makes every answer carry the refusal mark.
void AnswerRecords(ShellRig &rig, bool valid = true)
{
    rig.serial().responder = [&rig, valid](const QByteArray &written) {
        if (written.size() != 32)
            return;
        QByteArray answer = written;
        answer[17] = 1;
        answer[18] = 5;
        answer[19] = 0;
        answer.replace(20, 4, QByteArray::fromHex("0A000007"));
        answer[30] = char(valid ? 0x00 : 0xFF);
        unsigned sum = 0;
        for (int i = 0; i < 31; ++i)
            sum += std::uint8_t(answer[i]);
        answer[31] = char(sum);
        rig.serial().deliverLater(2ms, answer);
    };
}

QStringList Labels(const TForm1 &form)
{
    const ConnectionPanel *panel = form.connection();
    return {panel->lblTCPVersion->text(), panel->lblTCPDHCP->text(), panel->lblTCPIPAddr->text()};
}

TForm1 &Connected(ShellRig &rig)
{
    // Shown, the window starts in serial control mode, where the module maintenance works.
    TForm1 &form = rig.show();
    form.btnConnectClick();
    return form;
}

const QString EntryA = QStringLiteral("[A]-[Static IP]-[10.0.0.1]-[00-00-00-00-00-0A]"
                                      "-[Same Subnet]");
const QString EntryB = QStringLiteral("[B]-[Auto IP]-[10.0.0.2]-[00-00-00-00-00-0B]"
                                      "-[Same Subnet]");
const QString EntryC = QStringLiteral("[C]-[Static IP]-[10.0.0.3]-[00-00-00-00-00-0C]"
                                      "-[Cross Subnet]");
} // namespace

class LanDevicesTest : public QObject
{
    Q_OBJECT
private slots:
    void queryFillsTheLabels()
    {
        ShellRig rig;
        TForm1 &form = Connected(rig);
        QVERIFY(form.link()->Connected());
        QCOMPARE(form.link()->ControlMode(), cmCOM);
        AnswerRecords(rig);
        form.connection()->btnQueryTCPModInfo->click();
        QCOMPARE(Labels(form),
                 (QStringList{"Version: Ver1.5", "DHCP: Static IP", "IP Address: 10.0.0.7"}));
        QCOMPARE(form.statusText(2), QStringLiteral("Query TCP Module ok"));
        QVERIFY(form.flags().CommandIdle);
        QVERIFY(form.connection()->btnQueryTCPModInfo->isEnabled());
    }

    void failedQueryLeavesBareLabels()
    {
        ShellRig rig;
        TForm1 &form = Connected(rig);
        AnswerRecords(rig, false);
        form.connection()->lblTCPVersion->setText(QStringLiteral("Version: Ver9.9"));
        form.connection()->btnQueryTCPModInfo->click();
        QCOMPARE(Labels(form), (QStringList{"Version: ", "DHCP: ", "IP Address: "}));
        QCOMPARE(form.statusText(2), QStringLiteral("Query TCP Module failed"));
        QCOMPARE(rig.serial().writes.size(), 3);
        QVERIFY(form.flags().CommandIdle);
    }

    void busyWindowRefuses()
    {
        ShellRig rig;
        TForm1 &form = Connected(rig);
        form.flags().CommandIdle = false;
        form.connection()->btnQueryTCPModInfo->click();
        form.connection()->btnReset->click();
        QCOMPARE(form.statusText(3), QStringLiteral("In processing, command ignored"));
        QVERIFY(rig.serial().writes.isEmpty());
        QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Modal), 0);
    }

    void resetNeedsYesExactly()
    {
        ShellRig rig;
        TForm1 &form = Connected(rig);
        AnswerRecords(rig);
        QStringList afterTyping;
        rig.dialogs.pushModal([&](QDialog *dialog) {
            auto *confirm = qobject_cast<TfrmEnterYes *>(dialog);
            confirm->FormShow();
            for (const char *typed : {"yes", "YES", " Yes", "Yes"}) {
                confirm->edtYes->setText(QString::fromLatin1(typed));
                QTest::keyClick(confirm->edtYes, Qt::Key_Return);
                afterTyping.append(QString::number(confirm->result()));
            }
            return confirm->result();
        });
        form.connection()->btnReset->click();
        QCOMPARE(afterTyping, (QStringList{"0", "0", "0", "1"}));
        // The reset request, then the query that follows it.
        QCOMPARE(rig.serial().writes.size(), 2);
        const QByteArray reset = rig.serial().writes[0];
        QCOMPARE(std::uint8_t(reset[16]), std::uint8_t(0xFF));
        QCOMPARE(reset.mid(19, 5), QByteArray::fromHex("00C0A80064"));
        QCOMPARE(std::uint8_t(rig.serial().writes[1][16]), std::uint8_t(0x01));
        QCOMPARE(form.statusText(2), QStringLiteral("Query TCP Module ok"));
        QCOMPARE(Labels(form).first(), QStringLiteral("Version: Ver1.5"));
    }

    void resetCancelledSendsNothing()
    {
        ShellRig rig;
        TForm1 &form = Connected(rig);
        rig.dialogs.pushModal([](QDialog *dialog) {
            auto *confirm = qobject_cast<TfrmEnterYes *>(dialog);
            confirm->FormShow();
            confirm->edtYes->setText(QStringLiteral("Yes"));
            QTest::keyClick(confirm->edtYes, Qt::Key_Escape);
            return confirm->result();
        });
        form.connection()->btnReset->click();
        QCOMPARE(form.statusText(2), QStringLiteral("Reset Default cancelled"));
        QVERIFY(rig.serial().writes.isEmpty());
    }

    void deleteSelectsTheNeighbour()
    {
        ShellRig rig;
        TForm1 &form = rig.create();
        QComboBox *list = form.connection()->cbLANDevice;
        list->addItems({EntryA, EntryB, EntryC});
        list->setCurrentIndex(2);

        rig.dialogs.pushConfirm(false);
        form.connection()->btnDeleteDevice->click();
        QCOMPARE(list->count(), 3);
        QCOMPARE(rig.dialogs.lastText(ScriptedDialogs::Kind::Confirm),
                 QStringLiteral("Sure to delete device: ") + EntryC + QStringLiteral(" ?"));

        rig.dialogs.pushConfirm(true);
        form.connection()->btnDeleteDevice->click();
        QCOMPARE(list->currentText(), EntryB);
        QCOMPARE(form.CurrentDeviceMAC, QStringLiteral("00-00-00-00-00-0B"));
        QCOMPARE(form.link()->DeviceIP(), QStringLiteral("10.0.0.2"));

        list->setCurrentIndex(0);
        rig.dialogs.pushConfirm(true);
        form.connection()->btnDeleteDevice->click();
        QCOMPARE(list->currentText(), EntryB); // the same position again
        rig.dialogs.pushConfirm(true);
        form.connection()->btnDeleteDevice->click();
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(form.CurrentDeviceMAC, QStringLiteral("00-00-00-00-00-00"));
        QCOMPARE(form.link()->DeviceIP(), QStringLiteral("0.0.0.0"));

        const int asked = rig.dialogs.count(ScriptedDialogs::Kind::Confirm);
        form.connection()->btnDeleteDevice->click();
        QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Confirm), asked);
    }

    void selectingClosesTheConnection()
    {
        ShellRig rig;
        TForm1 &form = Connected(rig);
        QVERIFY(form.link()->Connected());
        QComboBox *list = form.connection()->cbLANDevice;
        list->addItems({EntryA, EntryB});
        list->setCurrentIndex(1);
        form.hooks().cbLANDeviceChange();
        QVERIFY(!form.link()->Connected());
        QCOMPARE(form.link()->DeviceIP(), QStringLiteral("10.0.0.2"));
    }
};

QTEST_MAIN(LanDevicesTest)
#include "tst_lan_devices.moc"
