#include "LanFixtures.h"
#include "LanPanelRig.h"

#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/MACField.h"
#include "lanmodule/ui/OctetField.h"
#include "link/KXCOMControl.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>

namespace {
const QString ModuleIP = QStringLiteral("192.168.1.20");

/// Selects `entry` as the only device, and lets the module answer configurations with
/// `status` (none: no answer).
void Prepare(LanPanelRig &rig, const QString &entry, int status = 0x00)
{
    QComboBox *list = rig.devices();
    list->addItem(entry);
    list->setCurrentIndex(0);
    rig.panel.cbLANDeviceChange();
    FakeDatagramEndpoint *udp = rig.transports.udp;
    udp->responder = [udp, status](const FakeDatagramEndpoint::Sent &sent) {
        if (status >= 0 && sent.host != QLatin1String("255.255.255.255"))
            udp->deliver(LanConfigAnswer(std::uint8_t(status)), ModuleIP, 30601);
    };
}

void Configure(LanPanelRig &rig, std::function<void(TfrmEditLAN *)> edit)
{
    rig.dialogs.pushModal([edit](QDialog *dialog) {
        auto *window = qobject_cast<TfrmEditLAN *>(dialog);
        window->FormShow();
        edit(window);
        return window->result();
    });
    rig.click("btnConfig");
}

void SetIP(TfrmEditLAN *window, const QStringList &octets)
{
    for (int i = 0; i < 4; ++i)
        window->edtIPFields[std::size_t(i)]->setText(octets.at(i));
}

QByteArray SentRecord(const ContextRig &rig)
{
    return rig.transports.udp->sent.empty() ? QByteArray() : rig.transports.udp->sent[0].bytes;
}
} // namespace

class EditLanTest : public QObject
{
    Q_OBJECT
private slots:
    void crossSubnetChangesOnlyTheTag()
    {
        LanPanelRig rig;
        Prepare(rig, QStringLiteral("[Hall]-[Static IP]-[10.1.1.7]-[00-1A-2B-3C-4D-5E]"
                                    "-[Cross Subnet]"));
        bool locked = false;
        Configure(rig, [&](TfrmEditLAN *window) {
            locked = !window->rbDHCP->isEnabled() && !window->rbStaticIP->isEnabled() &&
                     !window->edtIPFields[0]->isEnabled() && window->rbStaticIP->isChecked() &&
                     window->GetMACText() == QLatin1String("00-1A-2B-3C-4D-5E") &&
                     window->edtMACFields[0]->isReadOnly();
            window->leDeviceTag->setText(QStringLiteral("Stage"));
            window->btnOK->click();
        });
        QVERIFY(locked);
        const QByteArray record = SentRecord(rig);
        QCOMPARE(record.size(), 76);
        QCOMPARE(record.left(6), QByteArray::fromHex("001A2B3C4D5E"));
        QCOMPARE(record.mid(6, 13), QByteArray(13, '\0')); // no address, DHCP flag 0
        QCOMPARE(int(record[25]), 20);
        QCOMPARE(record.mid(42, 6), QByteArray("Stage\0", 6));
        QCOMPARE(rig.devices()->currentText(),
                 QStringLiteral("[Stage]-[Static IP]-[10.1.1.7]-[00-1A-2B-3C-4D-5E]"
                                "-[Cross Subnet]"));
        QCOMPARE(rig.status(StatusPanel::Operation), QStringLiteral("Modify TCP configuration ok"));
    }

    void staticAddressOnTheSameSubnet()
    {
        LanPanelRig rig;
        Prepare(rig, QStringLiteral("[Hall]-[Auto IP]-[192.168.1.20]-[00-1A-2B-3C-4D-5E]"
                                    "-[Same Subnet]"));
        Configure(rig, [](TfrmEditLAN *window) {
            window->rbStaticIP->click();
            SetIP(window, {"192", "168", "1", "50"});
            window->btnOK->click();
        });
        const QByteArray record = SentRecord(rig);
        QCOMPARE(record.mid(6, 13), QByteArray::fromHex("C0A80132C0A80101FFFFFF0000"));
        QCOMPARE(int(record[25]), 21);
        QCOMPARE(rig.context.link()->DeviceIP(), QStringLiteral("192.168.1.50"));
        QCOMPARE(rig.devices()->currentText(),
                 QStringLiteral("[Hall]-[Static IP]-[192.168.1.50]-[00-1A-2B-3C-4D-5E]"
                                "-[Same Subnet]"));
    }

    void autoAddressSendsNoAddress()
    {
        LanPanelRig rig;
        Prepare(rig, QStringLiteral("[Hall]-[Static IP]-[192.168.1.20]-[00-1A-2B-3C-4D-5E]"
                                    "-[Same Subnet]"));
        bool fieldsEnabledAtOpening = false;
        Configure(rig, [&](TfrmEditLAN *window) {
            fieldsEnabledAtOpening = window->edtIPFields[3]->isEnabled();
            window->rbDHCP->click();
            window->btnOK->click();
        });
        QVERIFY(fieldsEnabledAtOpening);
        const QByteArray record = SentRecord(rig);
        QCOMPARE(record.mid(6, 12), QByteArray(12, '\0'));
        QCOMPARE(int(record[18]), 1);
        QCOMPARE(int(record[25]), 20);
        QCOMPARE(rig.devices()->currentText(),
                 QStringLiteral("[Hall]-[Auto IP]-[192.168.1.20]-[00-1A-2B-3C-4D-5E]"
                                "-[Same Subnet]"));
    }

    void lastOctetIsClampedBeforeSending_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("sent");
        QTest::newRow("1") << "1" << 2;
        QTest::newRow("254") << "254" << 252;
    }

    void lastOctetIsClampedBeforeSending()
    {
        QFETCH(QString, typed);
        QFETCH(int, sent);
        LanPanelRig rig;
        Prepare(rig, QStringLiteral("[Hall]-[Static IP]-[192.168.1.20]-[00-1A-2B-3C-4D-5E]"
                                    "-[Same Subnet]"));
        Configure(rig, [&](TfrmEditLAN *window) {
            SetIP(window, {"192", "168", "1", typed});
            window->btnOK->click();
        });
        QCOMPARE(int(std::uint8_t(SentRecord(rig)[9])), sent);
    }

    void longTagFillsItsField()
    {
        LanPanelRig rig;
        Prepare(rig, QStringLiteral("[Hall]-[Auto IP]-[192.168.1.20]-[00-1A-2B-3C-4D-5E]"
                                    "-[Same Subnet]"));
        Configure(rig, [](TfrmEditLAN *window) {
            window->leDeviceTag->clear();
            QTest::keyClicks(window->leDeviceTag, QString(33, QLatin1Char('T')));
            window->btnOK->click();
        });
        const QByteArray record = SentRecord(rig);
        QCOMPARE(record.mid(42, 32), QByteArray(32, 'T'));
        QCOMPARE(std::uint8_t(record[74]), std::uint8_t(0xFF));
    }

    void refusalsAndFailures()
    {
        const QString entry = QStringLiteral("[Hall]-[Static IP]-[192.168.1.20]-"
                                             "[00-1A-2B-3C-4D-5E]-[Same Subnet]");
        {
            LanPanelRig rig;
            Prepare(rig, entry, 0x20);
            Configure(rig, [](TfrmEditLAN *window) { window->btnOK->click(); });
            QCOMPARE(rig.status(StatusPanel::Operation),
                     QStringLiteral("Setting IP conflict:192.168.1.20"));
            QCOMPARE(rig.devices()->itemText(0), entry);
        }
        {
            LanPanelRig rig;
            Prepare(rig, entry, -1);
            Configure(rig, [](TfrmEditLAN *window) { window->btnOK->click(); });
            QCOMPARE(rig.status(StatusPanel::Operation),
                     QStringLiteral("Modify TCP configuration failed"));
            QCOMPARE(rig.devices()->itemText(0), entry);
        }
        {
            LanPanelRig rig;
            Prepare(rig, entry);
            Configure(rig, [](TfrmEditLAN *window) { window->btnClose->click(); });
            QCOMPARE(rig.status(StatusPanel::Operation),
                     QStringLiteral("Modify TCP configuration cancelled"));
            QVERIFY(rig.transports.udp->sent.empty());
        }
        {
            LanPanelRig rig;
            rig.click("btnConfig");
            QCOMPARE(rig.dialogs.texts(ScriptedDialogs::Kind::Information),
                     QStringList{QStringLiteral("TCP control deivce not found.")});
            QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Modal), 0);
        }
    }

    void macEditingRules()
    {
        LanPanelRig rig;
        TfrmEditLAN *window = &rig.editLAN;
        window->SetMACEditable(true);
        const QStringList good = {"00", "1A", "2B", "3C", "4D", "5E"};
        for (int i = 0; i < 6; ++i)
            window->edtMACFields[std::size_t(i)]->setText(good.at(i));
        QTest::keyClicks(window->edtMACFields[5], QStringLiteral("zz"));
        QCOMPARE(window->edtMACFields[5]->text(), QStringLiteral("5E"));
        window->edtMACFields[5]->clear();
        QTest::keyClicks(window->edtMACFields[5], QStringLiteral("fg"));
        QCOMPARE(window->edtMACFields[5]->text(), QStringLiteral("F"));

        window->btnOKClick();
        QCOMPARE(window->GetMACText(), QStringLiteral("00-1A-2B-3C-4D-0F"));
        QCOMPARE(window->result(), int(QDialog::Accepted));

        window->setResult(QDialog::Rejected);
        window->edtMACFields[0]->setText(QStringLiteral("01"));
        window->btnOKClick();
        QCOMPARE(rig.dialogs.lastText(ScriptedDialogs::Kind::Error),
                 QStringLiteral("The bit0 of MAC first byte [01] CAN NOT be 1, please change."));
        QCOMPARE(window->result(), int(QDialog::Rejected));

        window->edtMACFields[0]->setText(QStringLiteral("02"));
        window->CheckMACInUse = true;
        window->UsedMACs = {QStringLiteral("02-1a-2b-3c-4d-0f")};
        window->btnOKClick();
        QCOMPARE(rig.dialogs.lastText(ScriptedDialogs::Kind::Error),
                 QStringLiteral("MAC address [02-1A-2B-3C-4D-0F] has been used, please change."));

        // The generator keeps the first three bytes and avoids the used MACs.
        window->edtMACField1DblClick();
        QVERIFY(window->GetMACText().startsWith(QStringLiteral("02-1A-2B-")));
        QVERIFY(!window->UsedMACs.contains(window->GetMACText(), Qt::CaseInsensitive));
        QVERIFY(window->MACGenerationStopped);

        window->edtMACFields[2]->setText(QStringLiteral("X"));
        window->edtMACField1DblClick();
        QCOMPARE(rig.dialogs.lastText(ScriptedDialogs::Kind::Error),
                 QStringLiteral("MAC address not correct."));
    }
};

QTEST_MAIN(EditLanTest)
#include "tst_edit_lan.moc"
