#include "LanFixtures.h"
#include "LanPanelRig.h"
#include "WidgetTexts.h"

#include "lanmodule/ui/OctetField.h"
#include "lanmodule/ui/Search.h"
#include "link/KXCOMControl.h"
#include "shell/connection/ConnectionController.h"
#include "ui/KXGauge.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace std::chrono_literals;

namespace {
const QString Zeta = QStringLiteral("[Zeta]-[Static IP]-[192.168.0.20]-[00-1A-2B-3C-4D-01]"
                                    "-[Same Subnet]");
const QString Alpha = QStringLiteral("[Alpha]-[Auto IP]-[192.168.0.21]-[00-1A-2B-3C-4D-02]"
                                     "-[Same Subnet]");

/// Modules answer the broadcast; `unicast` answers a probe sent to that address.
void Answer(ContextRig &rig, bool broadcast, const QString &unicast = {})
{
    FakeDatagramEndpoint *udp = rig.transports.udp;
    udp->responder = [udp, broadcast, unicast](const FakeDatagramEndpoint::Sent &sent) {
        if (broadcast && sent.host == QLatin1String("255.255.255.255")) {
            udp->deliver(LanDeviceRecord(1, {192, 168, 0, 20}, "Zeta", 0) +
                             LanDeviceRecord(2, {192, 168, 0, 21}, "Alpha", 1),
                         QStringLiteral("192.168.0.20"), 30600);
        } else if (!unicast.isEmpty() && sent.host == unicast) {
            udp->deliver(LanDeviceRecord(1, {192, 168, 0, 20}, "Zeta", 0), unicast, 30600);
        }
    };
}

TfrmSearch *Wizard(QDialog *dialog)
{
    auto *wizard = qobject_cast<TfrmSearch *>(dialog);
    wizard->FormShow();
    wizard->FormActivate();
    return wizard;
}

/// What a click on the "TCP control mode" button does.
void UseLanMode(ShellContext &context)
{
    context.connection().setLanSelected(true);
    context.connection().rbLANModeClick();
}
} // namespace

class SearchWizardTest : public QObject
{
    Q_OBJECT
private slots:
    void twoModulesAreOfferedAndTaken()
    {
        LanPanelRig rig;
        UseLanMode(rig.context);
        Answer(rig, true);
        rig.dialogs.pushModal([&](QDialog *dialog) {
            TfrmSearch *wizard = Wizard(dialog);
            if (wizard->currentStep() != 2)
                return -1;
            if (wizard->FoundDevices != QStringList{Zeta, Alpha})
                return -2;
            if (ComboItems(wizard->cbMXDevice) != QStringList{Alpha, Zeta})
                return -3;
            if (wizard->windowTitle() != QLatin1String("Matrix found"))
                return -4;
            // The caption shows the last progress text.
            if (wizard->kxSearching->Caption() !=
                QLatin1String("Searching TCP control device ...-"))
                return -5;
            wizard->btnYES->click();
            return wizard->result();
        });
        rig.click("btnSearchDevice");
        QCOMPARE(rig.dialogs.lastText(ScriptedDialogs::Kind::Modal), QStringLiteral("frmSearch"));
        QCOMPARE(rig.dialogs.calls().last().answer, QString::number(QDialog::Accepted));
        QComboBox *list = rig.devices();
        QCOMPARE(ComboItems(list), (QStringList{Alpha, Zeta}));
        QCOMPARE(list->currentText(), Alpha); // the one added last
        QCOMPARE(rig.context.CurrentDeviceMAC(), QStringLiteral("00-1A-2B-3C-4D-02"));
        QCOMPARE(rig.context.link()->DeviceIP(), QStringLiteral("192.168.0.21"));
        QCOMPARE(rig.status(StatusPanel::Operation),
                 QStringLiteral("Search TCP control device ok"));
        QCOMPARE(rig.transports.udp->sent.size(), std::size_t(1));
    }

    void knownEntriesAreNotAddedAgain()
    {
        LanPanelRig rig;
        QComboBox *list = rig.devices();
        list->addItem(Zeta.toLower());
        list->addItem(QString(Alpha).replace(QStringLiteral("Alpha"), QStringLiteral("Old")));
        Answer(rig, true);
        rig.dialogs.pushModal([](QDialog *dialog) {
            Wizard(dialog)->btnYES->click();
            return dialog->result();
        });
        rig.click("btnSearchDevice");
        QCOMPARE(list->count(), 3);
        QVERIFY(ComboItems(list).contains(Alpha));
        QVERIFY(!ComboItems(list).contains(Zeta));
        // COM mode: the result text is cleared again.
        QCOMPARE(rig.status(StatusPanel::Operation), QString());
    }

    void stopCancelsTheSearch()
    {
        LanPanelRig rig;
        UseLanMode(rig.context);
        Answer(rig, true);
        rig.transports.udp->responder = nullptr;
        QStringList texts;
        rig.dialogs.pushModal([&](QDialog *dialog) {
            auto *wizard = qobject_cast<TfrmSearch *>(dialog);
            rig.clock.schedule(1000ms, [wizard] { wizard->btnStop->click(); });
            wizard->FormShow();
            texts.append(wizard->windowTitle());
            wizard->FormActivate();
            texts.append(wizard->windowTitle());
            wizard->btnStopThenClose->click();
            return wizard->result();
        });
        rig.click("btnSearchDevice");
        QCOMPARE(texts, (QStringList{"Auto searching", "Searching cancelled"}));
        QVERIFY(rig.clock.elapsedMs() <= 1100);
        QCOMPARE(rig.status(StatusPanel::Operation),
                 QStringLiteral("Search TCP control device cancelled"));
        QCOMPARE(rig.devices()->count(), 0);
    }

    void manualSearchAddsACrossSubnetDevice()
    {
        LanPanelRig rig;
        Answer(rig, false, QStringLiteral("10.1.1.7"));
        QStringList seen;
        rig.dialogs.pushModal([&](QDialog *dialog) {
            TfrmSearch *wizard = Wizard(dialog);
            seen.append(QString::number(wizard->currentStep()));
            for (OctetField *field : wizard->edtIPFields)
                seen.append(field->text());
            const std::array<const char *, 4> typed = {"10", "1", "1", "7"};
            for (std::size_t i = 0; i < 4; ++i)
                wizard->edtIPFields[i]->setText(QString::fromLatin1(typed[i]));
            wizard->btnGOClick();
            seen.append(QString::number(wizard->currentStep()));
            seen.append(wizard->cbMXDevice1->currentText());
            wizard->btnDone->click();
            return wizard->result();
        });
        rig.click("btnSearchDevice");
        QCOMPARE(seen.mid(0, 5), (QStringList{"3", "192", "168", "0", "220"}));
        const QString cross = QStringLiteral("[Zeta]-[Static IP]-[10.1.1.7]-[00-1A-2B-3C-4D-01]"
                                             "-[Cross Subnet]");
        QCOMPARE(seen.mid(5), (QStringList{"5", cross}));
        QCOMPARE(ComboItems(rig.devices()), QStringList{cross});
        QCOMPARE(rig.transports.udp->sent.back().host, QStringLiteral("10.1.1.7"));
        QVERIFY(!rig.transports.udp->sent.back().broadcastAllowed);
    }

    void sameAddressGivesNoCrossSubnetTwin()
    {
        LanPanelRig rig;
        Answer(rig, true, QStringLiteral("192.168.0.20"));
        QStringList found;
        rig.dialogs.pushModal([&](QDialog *dialog) {
            TfrmSearch *wizard = Wizard(dialog);
            wizard->btnNo->click();
            const std::array<const char *, 4> typed = {"192", "168", "0", "20"};
            for (std::size_t i = 0; i < 4; ++i)
                wizard->edtIPFields[i]->setText(QString::fromLatin1(typed[i]));
            wizard->btnGOClick();
            found = wizard->FoundDevices;
            found.append(QString::number(wizard->currentStep()));
            wizard->btnDone->click();
            return wizard->result();
        });
        rig.click("btnSearchDevice");
        QCOMPARE(found, (QStringList{Zeta, Alpha, "5"}));
    }

    void nothingFoundEndsWithNo()
    {
        LanPanelRig rig;
        int step = 0;
        int sentBeforeReactivation = 0;
        rig.dialogs.pushModal([&](QDialog *dialog) {
            TfrmSearch *wizard = Wizard(dialog);
            sentBeforeReactivation = int(rig.transports.udp->sent.size());
            wizard->FormActivate(); // switching applications and back: no second search
            if (int(rig.transports.udp->sent.size()) != sentBeforeReactivation)
                return -1;
            wizard->btnGOClick();
            step = wizard->currentStep();
            wizard->btnCloseOfEnd->click();
            return wizard->result();
        });
        rig.click("btnSearchDevice");
        QCOMPARE(sentBeforeReactivation, 3);
        QCOMPARE(step, 6);
        QCOMPARE(rig.dialogs.calls().last().answer, QString::number(TfrmSearch::ResultNo));
        QCOMPARE(rig.devices()->count(), 0);
    }

    void octetFieldsFilterAndClamp()
    {
        LanPanelRig rig;
        TfrmSearch *wizard = &rig.search;
        OctetField *first = wizard->edtIPFields[0];
        OctetField *last = wizard->edtIPFields[3];
        first->clear();
        QTest::keyClicks(first, QStringLiteral("3a.0-0"));
        QCOMPARE(first->text(), QStringLiteral("300"));
        first->clamp();
        QCOMPARE(first->text(), QStringLiteral("255"));
        first->setText(QString());
        first->clamp();
        QCOMPARE(first->text(), QStringLiteral("0"));
        const QList<QPair<QString, QString>> cases = {
            {"1", "2"}, {"255", "252"}, {"", "2"}, {"010", "010"}};
        for (const auto &[typed, clamped] : cases) {
            last->setText(typed);
            last->clamp();
            QCOMPARE(last->text(), clamped);
        }
        last->setText(QStringLiteral("x"));
        last->clamp();
        QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Error), 1);
        QCOMPARE(last->text(), QStringLiteral("2"));
    }

    void progressIsShownOnlyOnStepOne()
    {
        LanPanelRig rig;
        TfrmSearch *wizard = &rig.search;
        wizard->ShowStep(1);
        rig.context.DefaultHandler(NotifyStatusText, 0, 0, QStringLiteral("abc"));
        QCOMPARE(wizard->kxSearching->Caption(), QStringLiteral("abc"));
        wizard->ShowStep(4);
        rig.context.DefaultHandler(NotifyStatusText, 0, 0, QStringLiteral("def"));
        QCOMPARE(wizard->kxSearching->Caption(), QStringLiteral("abc"));
    }

    void searchGaugeBlendsIntoItsGroup()
    {
        LanPanelRig rig;
        const TKXGauge *gauge = rig.search.kxSearching;
        QCOMPARE(gauge->size(), QSize(220, 24));
        QCOMPARE(gauge->TxtAlign(), TKXGauge::ttaLEFT);
        QVERIFY(!gauge->ShowPercent());
        QCOMPARE(gauge->displayText(), QStringLiteral("Searching TCP control device ... |"));
        const QColor buttonFace = gauge->palette().color(QPalette::Button);
        QCOMPARE(gauge->BackColor(), buttonFace);
        QCOMPARE(gauge->BorderColor(), buttonFace);
    }
};

QTEST_MAIN(SearchWizardTest)
#include "tst_search_wizard.moc"
