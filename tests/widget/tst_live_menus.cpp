// The menus of the live window on fake transports: what each View choice shows and keeps,
// routing from the keyboard, undo and redo on the wire, a route that looks pending until the
// switcher answers, the keyboard help, and the confirmation of adjusted network addresses.
#include "ShellRig.h"
#include "SimulatedSwitcher.h"
#include "WidgetFinder.h"

#include "LiveFeatures.h"
#include "firmware/ui/FirmwarePage.h"
#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/OctetField.h"
#include "link/KXCOMControl.h"
#include "shell/ShellContext.h"
#include "shell/ViewOptions.h"
#include "shell/presets/ui/PresetsView.h"
#include "shell/routing/RoutingState.h"
#include "shell/routing/ui/LCD99.h"
#include "shell/routing/ui/RoutingView.h"
#include "shell/ui/KeyboardHelp.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramMenus.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

using namespace std::chrono_literals;

namespace {

QByteArray SetRoute(int input, int output)
{
    return SimulatedSwitcher::Frame(2, 3, std::uint16_t(input), std::uint16_t(output));
}

ProgramMenus &Menus(const ShellRig &rig)
{
    return rig.windows->live().menus();
}

/// Shown, connected, on the Setting page, every output read as fed by input 1.
void ShowRouting(ShellRig &rig)
{
    rig.show();
    rig.answerEveryCommand(0, 1);
    rig.form().btnConnectClick();
    rig.form().pcContainer->setCurrentWidget(rig.form().tsSetting);
    rig.serial().writes.clear();
}

/// The widgets the advanced controls show, by the names desktop automation uses.
QList<QWidget *> AdvancedWidgets(const TForm1 &form)
{
    return {Child<QWidget>(&form, "gbModeSelect"), Child<QWidget>(&form, "gbLANMode"),
            Child<QWidget>(&form, "mmoMsg"),       Child<QWidget>(&form, "btnStop"),
            Child<QWidget>(&form, "btnClear"),     Child<QWidget>(&form, "gbMergeFW"),
            Child<QWidget>(&form, "gbTCPModInfo"), Child<QWidget>(&form, "gbResetDefault")};
}

bool AdvancedShown(const TForm1 &form)
{
    const bool tab = form.pcContainer->isTabVisible(form.pcContainer->indexOf(form.tsIR));
    for (QWidget *widget : AdvancedWidgets(form)) {
        if (widget->isHidden() == tab)
            QTest::qFail(qPrintable(widget->objectName()), __FILE__, __LINE__);
    }
    return tab;
}

} // namespace

class LiveMenusTest : public QObject
{
    Q_OBJECT
private slots:
    void everythingStartsOff()
    {
        ShellRig rig;
        TForm1 &form = rig.show();
        ProgramMenus &menus = Menus(rig);
        const QList<QAction *> options{menus.mnuAdvancedControls, menus.mnuFollowSwitcher,
                                       menus.mnuReconnect};
        QStringList texts;
        for (QAction *option : options) {
            QVERIFY(option->isCheckable() && !option->isChecked());
            texts << option->text();
        }
        QCOMPARE(texts, (QStringList{"Advanced controls", "Follow switcher changes",
                                     "Reconnect automatically"}));
        QCOMPARE(menus.mnuExportSetup->text(), QStringLiteral("Export setup..."));
        QCOMPARE(menus.mnuImportSetup->text(), QStringLiteral("Import setup..."));
        QCOMPARE(menus.mnuKeyboardShortcuts->text(), QStringLiteral("Keyboard shortcuts"));
        QVERIFY(!menus.mnuUndo->isEnabled() && !menus.mnuRedo->isEnabled());
        QVERIFY(!AdvancedShown(form));
        QCOMPARE(rig.context().routing().outputs(), 4);
    }

    void advancedControlsShownAndRemembered()
    {
        ShellRig rig;
        rig.viewFile = rig.dir.filePath(QStringLiteral("user/View.ini"));
        TForm1 &form = rig.show();
        const int plainWidth = form.width();
        Menus(rig).mnuAdvancedControls->trigger();
        QVERIFY(AdvancedShown(form));
        // The window grows by the trace column as far as the screen allows; beyond, it scrolls.
        QVERIFY(form.width() >= plainWidth);
        QVERIFY(Child<QWidget>(&form, "mmoMsg")->isEnabled());
        QVERIFY(Child<QWidget>(&form, "mmoMsg")->isVisible());

        // The chosen control mode is kept only while the advanced controls are on.
        Child<QRadioButton>(&form, "rbLANMode")->click();
        QVERIFY(form.SaveSettings());
        QVERIFY(rig.readSettings().contains("Mode=1"));
        Menus(rig).mnuAdvancedControls->trigger();
        QVERIFY(!AdvancedShown(form));
        QCOMPARE(form.width(), plainWidth);
        QVERIFY(form.SaveSettings());
        QVERIFY(rig.readSettings().contains("Mode=0"));
        Menus(rig).mnuAdvancedControls->trigger();
        Menus(rig).mnuReconnect->trigger();
        rig.windows.reset();

        // The choices are the user's, in the view file; Settings.ini knows nothing of them.
        ShellRig next;
        next.viewFile = rig.viewFile;
        next.show();
        QVERIFY(Menus(next).mnuAdvancedControls->isChecked());
        QVERIFY(Menus(next).mnuReconnect->isChecked());
        QVERIFY(!Menus(next).mnuFollowSwitcher->isChecked());
        QVERIFY(AdvancedShown(next.form()));
        QVERIFY(!rig.readSettings().contains("Advanced"));
    }

    void routingFromTheKeyboard()
    {
        ShellRig rig;
        ShowRouting(rig);
        RoutingView &view = rig.windows->routing();
        view.FindInputButton(1, 1)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_2, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_3);
        QCOMPARE(rig.serial().writes, QList<QByteArray>{SetRoute(3, 2)});
        QCOMPARE(view.FindDisplay(2)->text(), QStringLiteral("3"));

        // Keys typed elsewhere stay there.
        QTableWidget *presets = Child<QTableWidget>(&rig.form(), "lvPreSetting");
        presets->setFocus();
        QTest::keyClick(presets, Qt::Key_4);
        rig.form().pcContainer->setCurrentWidget(rig.form().tsEDIDCtrl);
        auto *path = Child<QLineEdit>(&rig.form(), "edtSaveEDID");
        path->clear();
        path->setFocus();
        QTest::keyClicks(path, "12");
        QTest::keyClick(path, Qt::Key_1, Qt::AltModifier);
        QVERIFY(path->text().startsWith(QStringLiteral("12")));
        QCOMPARE(rig.form().pcContainer->currentWidget(), rig.form().tsEDIDCtrl);
        QCOMPARE(rig.serial().writes, QList<QByteArray>{SetRoute(3, 2)});
    }

    void undoAndRedoSendTheRoutes()
    {
        ShellRig rig;
        ShowRouting(rig);
        RoutingView &view = rig.windows->routing();
        view.FindInputButton(2, 3)->click();
        QVERIFY(Menus(rig).mnuUndo->isEnabled());
        QTest::keyClick(&rig.form(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(Menus(rig).mnuRedo->isEnabled() && !Menus(rig).mnuUndo->isEnabled());
        QTest::keyClick(&rig.form(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(rig.serial().writes,
                 (QList<QByteArray>{SetRoute(3, 2), SetRoute(1, 2), SetRoute(3, 2)}));

        // A preset is one step: undone output after output, the last first.
        QList<PresetRow> rows = rig.windows->presets().rows();
        rows[0] = {QStringLiteral("Stage"), {"2", "4", "4", "2"}};
        rig.windows->presets().setRows(rows);
        Child<QTableWidget>(&rig.form(), "lvPreSetting")->selectRow(0);
        Child<QPushButton>(&rig.form(), "btnSet")->click();
        rig.serial().writes.clear();
        Menus(rig).mnuUndo->trigger();
        QCOMPARE(rig.serial().writes, (QList<QByteArray>{SetRoute(1, 4), SetRoute(1, 3),
                                                         SetRoute(3, 2), SetRoute(1, 1)}));
    }

    void routeLooksPendingUntilAnswered_data()
    {
        QTest::addColumn<std::uint8_t>("r4");
        QTest::addColumn<QString>("shown");
        QTest::newRow("accepted") << std::uint8_t(0) << "3";
        QTest::newRow("refused") << std::uint8_t(0xFF) << "1";
    }
    void routeLooksPendingUntilAnswered()
    {
        QFETCH(std::uint8_t, r4);
        QFETCH(QString, shown);
        ShellRig rig;
        ShowRouting(rig);
        rig.answerEveryCommand(r4, 0, 100ms);
        RoutingView &view = rig.windows->routing();
        QAbstractButton *button = view.FindInputButton(2, 3);
        bool pendingSeen = false;
        rig.clock.schedule(50ms, [&] {
            pendingSeen = button->isChecked() && button->property("pending").toBool() &&
                          view.FindDisplay(2)->dimmed();
        });
        button->click();
        QVERIFY(pendingSeen);
        QCOMPARE(view.FindDisplay(2)->text(), shown);
        QVERIFY(!view.FindDisplay(2)->dimmed());
        QVERIFY(!button->property("pending").toBool());
    }

    void keyboardHelpSaysTheScheme()
    {
        ShellRig rig;
        rig.show();
        QString scheme;
        rig.dialogs.pushModal([&scheme](QDialog *dialog) {
            scheme = static_cast<KeyboardHelp *>(dialog)->scheme();
            return int(QDialog::Rejected);
        });
        Menus(rig).mnuKeyboardShortcuts->trigger();
        QCOMPARE(rig.dialogs.calls().last().text, QStringLiteral("frmKeyboardHelp"));
        for (const char *key : {"Alt+1", "1 .. 4", "Ctrl+Z", "Ctrl+Shift+Z", "F5"})
            QVERIFY2(scheme.contains(QLatin1String(key)), key);
    }

    void screenshots()
    {
        // For a reviewer: the advanced controls on the routing page of an 8x8 switcher, with
        // one route pending.
        ShellRig rig;
        rig.viewFile = rig.dir.filePath(QStringLiteral("View.ini"));
        ShowRouting(rig);
        Menus(rig).mnuAdvancedControls->trigger();
        rig.context().routing().setSize(8, 8);
        rig.context().routing().setPending(2, 3);
        const QString folder =
            qEnvironmentVariable("MATRIX_ARTIFACT_DIR", QDir::temp().filePath("matrix-artifacts"));
        QDir().mkpath(folder);
        QVERIFY(rig.form().grab().save(QDir(folder).filePath("live_window_advanced.png")));
        for (QWidget *page : {rig.form().tsIR, rig.form().tsGeneral}) {
            rig.form().pcContainer->setCurrentWidget(page);
            QVERIFY(rig.form().grab().save(
                QDir(folder).filePath("live_window_" + page->objectName() + ".png")));
        }
    }

    void adjustedAddressNeedsConfirmation_data()
    {
        QTest::addColumn<bool>("advanced");
        QTest::newRow("delivered") << false;
        QTest::newRow("advanced") << true;
    }
    void adjustedAddressNeedsConfirmation()
    {
        QFETCH(bool, advanced);
        ShellRig rig;
        rig.show();
        if (advanced)
            Menus(rig).mnuAdvancedControls->trigger();
        TfrmEditLAN &dialog = rig.windows->editLAN();
        LanDeviceForm current;
        current.tag = QStringLiteral("Lobby");
        current.dhcp = false;
        current.ip = QStringLiteral("192.168.1.50");
        current.mac = QStringLiteral("00-1A-2B-3C-4D-5E");
        const QList<std::pair<int, QString>> typed{{1, "300"}, {2, "1"}, {3, "1"}, {4, "1"}};
        rig.dialogs.pushConfirm(false);
        rig.dialogs.pushConfirm(true);
        int attempts = 0;
        rig.dialogs.pushModal([&](QDialog *) {
            dialog.leDeviceTag->clear();
            for (const auto &[field, text] : typed) {
                dialog.edtIPFields[std::size_t(field - 1)]->setText(text);
                dialog.edtIPFields[std::size_t(field - 1)]->clamp(); // leaving the field
            }
            while (dialog.result() != QDialog::Accepted && attempts < 2) {
                ++attempts;
                dialog.btnOKClick();
            }
            return dialog.result();
        });
        const std::optional<LanDeviceForm> chosen = dialog.edit(current);
        QVERIFY(chosen);
        QCOMPARE(chosen->ip, QStringLiteral("255.1.1.2"));
        if (!advanced) {
            QCOMPARE(attempts, 1);
            QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Confirm), 0);
            return;
        }
        QCOMPARE(attempts, 2); // the first OK was not confirmed: the dialog stayed open
        QCOMPARE(rig.dialogs.texts(ScriptedDialogs::Kind::Confirm).first(),
                 QStringLiteral("300.1.1.1 will be sent as 255.1.1.2\nThe device tag is empty "
                                "and will be sent empty\n\nSend this configuration?"));
    }
};

QTEST_MAIN(LiveMenusTest)
#include "tst_live_menus.moc"
