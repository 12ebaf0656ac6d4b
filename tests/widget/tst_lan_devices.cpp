#include "LanPanelRig.h"

#include "lanmodule/ui/EnterYes.h"
#include "link/KXCOMControl.h"
#include "shell/connection/ConnectionController.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace std::chrono_literals;

namespace {
constexpr auto Operation = StatusPanel::Operation;

/// The serial line answers LDCD records like a module with version 1.5, static address
/// 10.0.0.7; `valid` false makes every answer carry the refusal mark.
void AnswerRecords(ContextRig &rig, bool valid = true)
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

QStringList Labels(const LanPanelRig &rig)
{
    return {rig.child<QLabel>("lblTCPVersion")->text(), rig.child<QLabel>("lblTCPDHCP")->text(),
            rig.child<QLabel>("lblTCPIPAddr")->text()};
}

/// Serial control mode, where the module maintenance works, as the window's start sets it;
/// false when the connection did not open.
bool Connect(LanPanelRig &rig)
{
    rig.context.connection().rbCOMModeClick();
    return rig.connect();
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
        LanPanelRig rig;
        QVERIFY(Connect(rig));
        QCOMPARE(rig.context.link()->ControlMode(), cmCOM);
        AnswerRecords(rig);
        rig.click("btnQueryTCPModInfo");
        QCOMPARE(Labels(rig),
                 (QStringList{"Version: Ver1.5", "DHCP: Static IP", "IP Address: 10.0.0.7"}));
        QCOMPARE(rig.status(Operation), QStringLiteral("Query TCP Module ok"));
        QVERIFY(rig.context.flags().CommandIdle);
        QVERIFY(rig.child<QWidget>("btnQueryTCPModInfo")->isEnabled());
    }

    void failedQueryLeavesBareLabels()
    {
        LanPanelRig rig;
        QVERIFY(Connect(rig));
        AnswerRecords(rig, false);
        rig.child<QLabel>("lblTCPVersion")->setText(QStringLiteral("Version: Ver9.9"));
        rig.click("btnQueryTCPModInfo");
        QCOMPARE(Labels(rig), (QStringList{"Version: ", "DHCP: ", "IP Address: "}));
        QCOMPARE(rig.status(Operation), QStringLiteral("Query TCP Module failed"));
        QCOMPARE(rig.serial().writes.size(), 3);
        QVERIFY(rig.context.flags().CommandIdle);
    }

    void busyWindowRefuses()
    {
        LanPanelRig rig;
        QVERIFY(Connect(rig));
        rig.context.flags().CommandIdle = false;
        rig.click("btnQueryTCPModInfo");
        rig.click("btnReset");
        QCOMPARE(rig.status(StatusPanel::Hint), QStringLiteral("In processing, command ignored"));
        QVERIFY(rig.serial().writes.isEmpty());
        QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Modal), 0);
    }

    void resetNeedsYesExactly()
    {
        LanPanelRig rig;
        QVERIFY(Connect(rig));
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
        rig.click("btnReset");
        QCOMPARE(afterTyping, (QStringList{"0", "0", "0", "1"}));
        // The reset request, then the query that follows it.
        QCOMPARE(rig.serial().writes.size(), 2);
        const QByteArray reset = rig.serial().writes[0];
        QCOMPARE(std::uint8_t(reset[16]), std::uint8_t(0xFF));
        QCOMPARE(reset.mid(19, 5), QByteArray::fromHex("00C0A80064"));
        QCOMPARE(std::uint8_t(rig.serial().writes[1][16]), std::uint8_t(0x01));
        QCOMPARE(rig.status(Operation), QStringLiteral("Query TCP Module ok"));
        QCOMPARE(Labels(rig).first(), QStringLiteral("Version: Ver1.5"));
    }

    void resetCancelledSendsNothing()
    {
        LanPanelRig rig;
        QVERIFY(Connect(rig));
        rig.dialogs.pushModal([](QDialog *dialog) {
            auto *confirm = qobject_cast<TfrmEnterYes *>(dialog);
            confirm->FormShow();
            confirm->edtYes->setText(QStringLiteral("Yes"));
            QTest::keyClick(confirm->edtYes, Qt::Key_Escape);
            return confirm->result();
        });
        rig.click("btnReset");
        QCOMPARE(rig.status(Operation), QStringLiteral("Reset Default cancelled"));
        QVERIFY(rig.serial().writes.isEmpty());
    }

    void deleteSelectsTheNeighbour()
    {
        LanPanelRig rig;
        QComboBox *list = rig.devices();
        list->addItems({EntryA, EntryB, EntryC});
        list->setCurrentIndex(2);

        rig.dialogs.pushConfirm(false);
        rig.click("btnDeleteDevice");
        QCOMPARE(list->count(), 3);
        QCOMPARE(rig.dialogs.lastText(ScriptedDialogs::Kind::Confirm),
                 QStringLiteral("Sure to delete device: ") + EntryC + QStringLiteral(" ?"));

        rig.dialogs.pushConfirm(true);
        rig.click("btnDeleteDevice");
        QCOMPARE(list->currentText(), EntryB);
        QCOMPARE(rig.context.CurrentDeviceMAC(), QStringLiteral("00-00-00-00-00-0B"));
        QCOMPARE(rig.context.link()->DeviceIP(), QStringLiteral("10.0.0.2"));

        list->setCurrentIndex(0);
        rig.dialogs.pushConfirm(true);
        rig.click("btnDeleteDevice");
        QCOMPARE(list->currentText(), EntryB); // the same position again
        rig.dialogs.pushConfirm(true);
        rig.click("btnDeleteDevice");
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(rig.context.CurrentDeviceMAC(), QStringLiteral("00-00-00-00-00-00"));
        QCOMPARE(rig.context.link()->DeviceIP(), QStringLiteral("0.0.0.0"));

        const int asked = rig.dialogs.count(ScriptedDialogs::Kind::Confirm);
        rig.click("btnDeleteDevice");
        QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Confirm), asked);
    }

    void selectingClosesTheConnection()
    {
        LanPanelRig rig;
        QVERIFY(Connect(rig));
        QComboBox *list = rig.devices();
        list->addItems({EntryA, EntryB});
        list->setCurrentIndex(1);
        rig.panel.cbLANDeviceChange();
        QVERIFY(!rig.context.link()->Connected());
        QCOMPARE(rig.context.link()->DeviceIP(), QStringLiteral("10.0.0.2"));
    }
};

QTEST_MAIN(LanDevicesTest)
#include "tst_lan_devices.moc"
