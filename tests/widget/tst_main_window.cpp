#include "ShellRig.h"

#include "firmware/ui/KXGauge.h"
#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/EnterYes.h"
#include "lanmodule/ui/Search.h"
#include "link/KXCOMControl.h"
#include "shell/ui/ConnectionPanel.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/PresetsView.h"
#include "shell/ui/StatusPanel.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

QByteArray frameBytes(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (int b : bytes)
        out.append(char(b));
    return out;
}

// Counts the paint events of a widget.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

QColor panelColourAt(TForm1 &form, int panel, QPoint where)
{
    StatusPanel *target = form.statusPanel(panel);
    return target->grab().toImage().pixelColor(where);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void firstStartWithoutSettingsFile();
    void windowLayout();
    void runCommandConnectsOnDemand();
    void secondCommandWhileWaitingIsRefused();
    void failedOpenBlinksAndStaysRed();
    void timeoutBlinksUnlessClosing();
    void closeWhenIdle();
    void closeWhileOpeningIsRefused();
    void closeDuringExchangeAsksFirst();
    void clockPanel();
    void failureNotificationTexts_data();
    void failureNotificationTexts();
    void openCloseFailureTexts();
    void partWriteFailureAndProgress();
    void logLinesAndRebootReplaceRule();
    void statusTextNotification();
    void ignoredNotifications();
    void pageChangeGuard();
    void findersByTag();
    void smallHandlers();
    void screenshots();
};

void TestMainWindow::firstStartWithoutSettingsFile()
{
    ShellRig rig;
    QVERIFY(!QFileInfo::exists(rig.settingsPath()));
    TForm1 &form = rig.show();

    QVERIFY(QFileInfo::exists(rig.settingsPath()));
    QVERIFY(rig.readSettings().contains("DON'T MODIFY THIS FILE MANUALLY!"));
    QCOMPARE(form.link()->ControlMode(), cmCOM);
    QVERIFY(form.connection()->rbCOMMode->isChecked());
    QCOMPARE(form.connection()->cbCOMList->currentText(), QStringLiteral("ttyS0"));
    QCOMPARE(form.statusText(1), QStringLiteral("Disconnect"));
    QVERIFY(form.tmr->isActive());
    QCOMPARE(form.tmr->interval(), 1000);
    QCOMPARE(form.AppDir, QDir(rig.dir.path()).absolutePath() + QLatin1Char('/'));
    QCOMPARE(form.CurrentDeviceMAC, QStringLiteral("00-00-00-00-00-00"));
    QVERIFY(form.flags().CommandIdle);
    QVERIFY(!form.flags().StopRequested);
    QVERIFY(form.RoutingAborted);
    QVERIFY(form.StatusNormal);
    QCOMPARE(rig.dialogs.count(), 0);
    // Nothing goes to the switcher until the operator acts.
    QCOMPARE(rig.serial().openCalls, 0);
    QVERIFY(rig.serial().writes.isEmpty());
}

void TestMainWindow::windowLayout()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("4x4 HDMI Matrix Controller - ver1.0"));
    QCOMPARE(form.size(), QSize(1025, 580));
    QCOMPARE(form.font().pixelSize(), 16);

    QCOMPARE(form.pcContainer->tabPosition(), QTabWidget::South);
    const QStringList captions{"General",      "Port Tag", "Setting",
                               "EDID control", "Advanced", "FW upgrade"};
    const QStringList names{"tsGeneral",  "tsPortTag", "tsSetting",
                            "tsEDIDCtrl", "tsIR",      "tsFWUpgrade"};
    QCOMPARE(form.pcContainer->count(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(form.pcContainer->tabText(i), captions[i]);
        QCOMPARE(form.pcContainer->widget(i)->objectName(), names[i]);
        QCOMPARE(form.pcContainer->isTabVisible(i), names[i] != QLatin1String("tsIR"));
    }

    for (QWidget *hidden :
         {static_cast<QWidget *>(form.mmoMsg), static_cast<QWidget *>(form.btnStop),
          static_cast<QWidget *>(form.btnClear)}) {
        QVERIFY(!hidden->isVisible());
        QVERIFY(!hidden->isEnabled());
    }
    QCOMPARE(form.btnStop->text(), QStringLiteral("Stop"));
    QCOMPARE(form.btnClear->text(), QStringLiteral("clear"));
    QCOMPARE(form.Button1->text(), QStringLiteral("&Clear"));
    QVERIFY(form.mmoMessage->isReadOnly());
    QCOMPARE(form.mmoMessage->parentWidget()->objectName(), QStringLiteral("gbMessages"));

    QCOMPARE(form.sb->objectName(), QStringLiteral("sb"));
    const std::array<int, 5> widths{185, 235, 300, 135, 50};
    for (int panel = 1; panel <= 5; ++panel) {
        StatusPanel *target = form.statusPanel(panel);
        QVERIFY(target);
        QCOMPARE(target->width(), widths[panel - 1]);
        QVERIFY(!target->accessibleName().isEmpty());
    }
    QVERIFY(form.statusPanel(4)->alignment().testFlag(Qt::AlignHCenter));
}

void TestMainWindow::runCommandConnectsOnDemand()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    rig.answerEveryCommand();
    form.pcContainer->setCurrentWidget(form.tsPortTag);

    TCommandResult result;
    form.RunCommand(QStringLiteral("Setting..."), 2, 3, 3, 2, 0, 0, result);

    QCOMPARE(result.Success, std::uint8_t(1));
    QCOMPARE(rig.serial().openCalls, 1);
    QCOMPARE(rig.serial().target(), QStringLiteral("ttyS0"));
    QCOMPARE(rig.serial().writes.size(), 1);
    QCOMPARE(rig.serial().writes.first(), frameBytes({0xA5, 0x5B, 0x02, 0x03, 0x03, 0x00, 0x02,
                                                      0x00, 0x00, 0x00, 0x00, 0x00, 0xF6}));
    QCOMPARE(form.connection()->btnConnect->text(), QStringLiteral("&Disconnect"));
    QCOMPARE(form.statusText(1), QStringLiteral("ttyS0: Connected"));
    QCOMPARE(form.statusText(2), QStringLiteral("Done"));
    QVERIFY(!form.connection()->imgOpen->isHidden());
    QVERIFY(form.connection()->imgClose->isHidden());
    QVERIFY(!form.connection()->cbCOMList->isEnabled());
    QVERIFY(form.flags().CommandIdle);
    // Connecting on demand from another page leaves the page alone.
    QCOMPARE(form.pcContainer->currentWidget(), form.tsPortTag);
    QVERIFY(!form.connection()->btnConnect->hasFocus());

    // A connected link is not opened again.
    form.RunCommand(QStringLiteral("Getting Output1 ..."), 2, 1, 1, 0, 0, 0, result);
    QCOMPARE(rig.serial().openCalls, 1);
    QCOMPARE(rig.serial().writes.size(), 2);
}

void TestMainWindow::secondCommandWhileWaitingIsRefused()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    rig.answerEveryCommand(0, 0, 200ms);

    TCommandResult second;
    int writesAtRefusal = -1;
    QString hintAtRefusal;
    rig.clock.schedule(150ms, [&] {
        form.RunCommand(QStringLiteral("Setting..."), 2, 3, 1, 1, 0, 0, second);
        writesAtRefusal = int(rig.serial().writes.size());
        hintAtRefusal = form.statusText(3);
    });
    TCommandResult first;
    form.RunCommand(QStringLiteral("Setting..."), 2, 3, 3, 2, 0, 0, first);

    QCOMPARE(second.Success, std::uint8_t(0));
    QCOMPARE(hintAtRefusal, QStringLiteral("In processing, command ignored"));
    QCOMPARE(writesAtRefusal, 1);
    QCOMPARE(first.Success, std::uint8_t(1));
    QCOMPARE(rig.serial().writes.size(), 1);
    QCOMPARE(form.statusText(3), QString());
    QCOMPARE(form.statusText(2), QStringLiteral("Done"));
    QVERIFY(form.flags().CommandIdle);
}

void TestMainWindow::failedOpenBlinksAndStaysRed()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    rig.serial().openFails = true;
    const auto sleptBefore = rig.clock.sleptMs();

    TCommandResult result;
    result.Success = 1;
    form.RunCommand(QStringLiteral("Setting..."), 2, 3, 3, 2, 0, 0, result);

    QCOMPARE(result.Success, std::uint8_t(0));
    QVERIFY(rig.serial().writes.isEmpty());
    QCOMPARE(form.statusText(2), QStringLiteral("Open COM [ttyS0] failed"));
    QCOMPARE(form.statusText(1), QStringLiteral("Disconnect"));
    QCOMPARE(form.connection()->btnConnect->text(), QStringLiteral("&Connect"));
    QVERIFY(form.connection()->btnConnect->isEnabled());
    QVERIFY(form.flags().CommandIdle);
    // Six 350 ms waits of the blink, then the 100 ms settle of the Connect handler.
    QCOMPARE(rig.clock.sleptMs() - sleptBefore, 6 * 350 + 100);
    QVERIFY(!form.StatusNormal);
    QCOMPARE(panelColourAt(form, 2, {2, 2}), QColor(Qt::red));

    // The next plain text brings the normal colours back.
    form.ShowStatus(2, QStringLiteral("Done"));
    QVERIFY(form.StatusNormal);
    QCOMPARE(panelColourAt(form, 2, {2, 2}), form.palette().color(QPalette::Button));
}

void TestMainWindow::timeoutBlinksUnlessClosing()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.btnConnectClick();
    QVERIFY(form.link()->Connected());
    form.ShowStatus(3, QStringLiteral("hint"));

    TCommandResult result;
    form.RunCommand(QStringLiteral("Setting..."), 2, 3, 3, 2, 0, 0, result);
    QCOMPARE(result.Success, std::uint8_t(0));
    QCOMPARE(rig.serial().writes.size(), 3);
    QCOMPARE(form.statusText(2), QStringLiteral("Time out!"));
    QCOMPARE(form.statusText(3), QString());
    QVERIFY(!form.StatusNormal);

    // While closing, a failure text is not blinked at all.
    form.flags().StopRequested = true;
    const auto slept = rig.clock.sleptMs();
    form.ShowStatus(2, QStringLiteral("Send data failed!"), true);
    QCOMPARE(rig.clock.sleptMs(), slept);
    QCOMPARE(form.statusText(2), QStringLiteral("Time out!"));
    QVERIFY(form.StatusNormal);
    // ... and commands are refused without a word.
    form.RunCommand(QStringLiteral("Setting..."), 2, 3, 3, 2, 0, 0, result);
    QCOMPARE(rig.serial().writes.size(), 3);
    QCOMPARE(form.statusText(3), QString());
}

void TestMainWindow::closeWhenIdle()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.btnConnectClick();
    QVERIFY(form.link()->Connected());
    QFile::remove(rig.settingsPath());
    QSignalSpy closed(&form, &TForm1::closed);

    QVERIFY(form.close());
    QCOMPARE(rig.dialogs.count(), 0);
    QVERIFY(form.flags().StopRequested);
    QVERIFY(QFileInfo::exists(rig.settingsPath()));
    QCOMPARE(form.link(), nullptr);
    QCOMPARE(closed.count(), 1);
    QVERIFY(!form.tmr->isActive());
}

void TestMainWindow::closeWhileOpeningIsRefused()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.connection()->rbLANMode->setChecked(true);
    form.rbLANModeClick();
    form.link()->setDeviceIP(QStringLiteral("127.0.0.2"));
    rig.tcp().connectDelay = 1000ms;

    bool accepted = true;
    bool openingSeen = false;
    rig.clock.schedule(200ms, [&] {
        openingSeen = form.link()->Opening();
        accepted = form.close();
    });
    form.btnConnectClick();

    QVERIFY(openingSeen);
    QVERIFY(!accepted);
    QCOMPARE(rig.dialogs.texts(ScriptedDialogs::Kind::Information),
             QStringList{QStringLiteral("Connection in process, please wait...")});
    QVERIFY(form.isVisible());
    QVERIFY(!form.flags().StopRequested);
    QVERIFY(form.link()->Connected());
    QCOMPARE(form.statusText(1), QStringLiteral("127.0.0.2: Connected"));
}

void TestMainWindow::closeDuringExchangeAsksFirst()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.btnConnectClick();
    // The switcher never answers; the operator tries to close while the command waits.
    rig.dialogs.pushConfirm(false);
    rig.dialogs.pushConfirm(true);
    bool firstAccepted = true;
    bool secondAccepted = false;
    // The port goes away with the link once the command has returned: count what it sent
    // while it exists.
    int writes = 0;
    rig.serial().responder = [&writes](const QByteArray &) { ++writes; };
    rig.clock.schedule(1000ms, [&] { firstAccepted = form.close(); });
    rig.clock.schedule(2000ms, [&] {
        QFile::remove(rig.settingsPath());
        secondAccepted = form.close();
    });

    TCommandResult result;
    result.Success = 1;
    const auto started = rig.clock.elapsedMs();
    form.RunCommand(QStringLiteral("Setting..."), 2, 3, 3, 2, 0, 0, result);

    QVERIFY(!firstAccepted);
    QVERIFY(secondAccepted);
    QCOMPARE(rig.dialogs.texts(ScriptedDialogs::Kind::Confirm),
             QStringList(2, QStringLiteral("Processing not complete, continue to close "
                                           "controller?")));
    QCOMPARE(result.Success, std::uint8_t(0));
    QVERIFY(form.flags().StopRequested);
    QVERIFY(form.flags().CommandIdle);
    QVERIFY(QFileInfo::exists(rig.settingsPath()));
    // The wait ended at the step after the confirmation, long before the 5 s time-out, and
    // the link was released once the command had returned.
    QVERIFY(rig.clock.elapsedMs() - started <= 2010);
    QCOMPARE(writes, 1);
    QCOMPARE(form.link(), nullptr);
    QCOMPARE(form.statusText(2), QStringLiteral("Setting..."));
}

void TestMainWindow::clockPanel()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.setNowSource([] { return QDateTime(QDate(2026, 12, 7), QTime(5, 9, 59)); });
    form.tmrTimer();
    QCOMPARE(form.statusText(4), QStringLiteral("2026-12-07 05:09"));
    QCOMPARE(TForm1::clockText(QDateTime(QDate(2031, 10, 23), QTime(17, 45))),
             QStringLiteral("2031-10-23 17:45"));
    QCOMPARE(TForm1::clockText(QDateTime(QDate(999, 1, 2), QTime(0, 0))),
             QStringLiteral("999-01-02 00:00"));
}

void TestMainWindow::failureNotificationTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("lan");
    QTest::addColumn<QString>("text");
    QTest::newRow("time-out") << int(NotifyTimeout) << false << "Time out!";
    QTest::newRow("invalid") << int(NotifyDataInvalid) << false << "Data invalid!";
    QTest::newRow("COM access") << int(NotifyAccessFailed) << false << "COM access failed!";
    QTest::newRow("TCP access") << int(NotifyAccessFailed) << true << "TCP control failed!";
    QTest::newRow("send") << int(NotifySendFailed) << false << "Send data failed!";
}

void TestMainWindow::failureNotificationTexts()
{
    QFETCH(int, code);
    QFETCH(bool, lan);
    QFETCH(QString, text);
    ShellRig rig;
    TForm1 &form = rig.show();
    form.link()->setControlMode(lan ? cmLAN : cmCOM);
    form.ShowStatus(3, QStringLiteral("Select list item first"));
    const auto slept = rig.clock.sleptMs();

    emit form.link()->notify(code, 0, 0, QString());

    QCOMPARE(form.statusText(2), text);
    QCOMPARE(form.statusText(3), QString());
    QCOMPARE(rig.clock.sleptMs() - slept, 2100);
    QVERIFY(!form.StatusNormal);
}

void TestMainWindow::openCloseFailureTexts()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    TKXCOMControl &link = *form.link();
    link.setComPort(QStringLiteral("ttyUSB0"));
    emit link.notify(NotifyOpenCloseFailed, 0, 0, QString());
    QCOMPARE(form.statusText(2), QStringLiteral("Open COM [ttyUSB0] failed"));

    form.connection()->cbCOMList->setCurrentIndex(1);
    form.btnConnectClick();
    QVERIFY(link.Connected());
    // The word follows the link's state when the notification is handled, not its value.
    emit link.notify(NotifyOpenCloseFailed, 0, 0, QString());
    QCOMPARE(form.statusText(2), QStringLiteral("Close COM [ttyUSB0] failed"));

    form.btnConnectClick();
    link.setControlMode(cmLAN);
    link.setDeviceIP(QStringLiteral("1.2.3.4"));
    emit link.notify(NotifyOpenCloseFailed, 0, 0, QString());
    QCOMPARE(form.statusText(2), QStringLiteral("Connect 1.2.3.4 failed"));

    // A real failed TCP connect reports itself the same way.
    rig.tcp().openFails = true;
    form.btnConnectClick();
    QCOMPARE(form.statusText(2), QStringLiteral("Connect 1.2.3.4 failed"));
    QCOMPARE(form.statusText(1), QStringLiteral("Disconnect"));

    rig.tcp().openFails = false;
    form.btnConnectClick();
    QCOMPARE(form.statusText(1), QStringLiteral("1.2.3.4: Connected"));
    emit link.notify(NotifyOpenCloseFailed, 1, 0, QString());
    QCOMPARE(form.statusText(2), QStringLiteral("Disconnect 1.2.3.4 failed"));
}

void TestMainWindow::partWriteFailureAndProgress()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.pcContainer->setCurrentWidget(form.tsFWUpgrade);
    auto *gauge = form.findChild<TKXGauge *>(QStringLiteral("kxgFWProgress"));
    QVERIFY(gauge);
    QVERIFY2(gauge->isVisible(), "gauge hidden");
    PaintCounter paints(gauge);

    emit form.link()->notify(NotifyPartWriteFailed, 0x7FFF0102, 0x0304, QString());
    QCOMPARE(form.lastMessageLine(), QStringLiteral("Write to Part_1.2.3.4 failed"));
    QVERIFY(form.UpgradeFailed);

    emit form.link()->notify(NotifyProgress, 0x0201, 0x10020, QString());
    QCOMPARE(form.LastProgress, std::uint16_t(0x20));
    QCOMPARE(gauge->Caption(), QStringLiteral("Upgrading Part_2.1"));
    QCOMPARE(gauge->Progress(), 0x20);
    QCOMPARE(paints.count, 1);

    // The same value again paints nothing.
    emit form.link()->notify(NotifyProgress, 0x0201, 0x20, QString());
    QCOMPARE(paints.count, 1);
    emit form.link()->notify(NotifyProgress, 0x0301, 50, QString());
    QCOMPARE(paints.count, 2);
    QCOMPARE(gauge->Caption(), QStringLiteral("Upgrading Part_3.1"));
    QCOMPARE(rig.dialogs.count(), 0);
}

void TestMainWindow::logLinesAndRebootReplaceRule()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    TKXCOMControl &link = *form.link();
    const QString turning1 = QStringLiteral("System rebooting, please wait ... |");
    const QString turning2 = QStringLiteral("System rebooting, please wait ... /");

    // An empty memo: a replaceable line is added.
    emit link.notify(NotifyLogLine, 0, 1, QStringLiteral("Part_1.1 written"));
    QCOMPARE(form.mmoMessage->toPlainText(), QStringLiteral("Part_1.1 written"));
    // A last line without the restart text: added, not replaced.
    emit link.notify(NotifyLogLine, 0, 1, turning1);
    QCOMPARE(form.mmoMessage->document()->blockCount(), 2);
    // Now the restart line is refreshed in place.
    emit link.notify(NotifyLogLine, 0, 1, turning2);
    QCOMPARE(form.mmoMessage->document()->blockCount(), 2);
    QCOMPARE(form.lastMessageLine(), turning2);
    // An ordinary line is always added.
    emit link.notify(NotifyLogLine, 0, 0, QStringLiteral("Device restarted"));
    QCOMPARE(form.mmoMessage->toPlainText(), QStringLiteral("Part_1.1 written\n") + turning2 +
                                                 QStringLiteral("\nDevice restarted"));

    form.Button1->click();
    QVERIFY(form.mmoMessage->toPlainText().isEmpty());
}

void TestMainWindow::statusTextNotification()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    QList<std::tuple<qint64, qint64, QString>> forwarded;
    form.hooks().SearchNotify = [&](qint64 w, qint64 l, const QString &text) {
        forwarded.append({w, l, text});
    };
    const auto slept = rig.clock.sleptMs();

    emit form.link()->notify(NotifyStatusText, 0x1234, 0, QStringLiteral("Searching 3"));
    QCOMPARE(forwarded.size(), 1);
    QCOMPARE(forwarded.first(),
             std::make_tuple(qint64(0x1234), qint64(0), QStringLiteral("Searching 3")));
    QCOMPARE(form.statusText(2), QString());

    emit form.link()->notify(NotifyStatusText, 0, 1, QStringLiteral("Configuring ..."));
    QCOMPARE(forwarded.size(), 1);
    QCOMPARE(form.statusText(2), QStringLiteral("Configuring ..."));
    QCOMPARE(rig.clock.sleptMs(), slept);
    QVERIFY(form.StatusNormal);
}

void TestMainWindow::ignoredNotifications()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.ShowStatus(2, QStringLiteral("Done"));
    for (int code : {int(NotifyBytesReceived), int(NotifyTrace), int(NotifyDataDump),
                     int(NotifyTransferDone), 2027, 2033, 2036, 3000})
        emit form.link()->notify(code, 1, 1, QStringLiteral("text"));
    QCOMPARE(form.statusText(2), QStringLiteral("Done"));
    QVERIFY(form.mmoMessage->toPlainText().isEmpty());
    QVERIFY(form.StatusNormal);
}

void TestMainWindow::pageChangeGuard()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    int settingShown = 0;
    form.setPageShowHandler(form.tsSetting, [&] { ++settingShown; });
    QTabBar *tabs = form.pcContainer->tabBar();
    const QPoint settingTab = tabs->tabRect(form.pcContainer->indexOf(form.tsSetting)).center();

    form.flags().CommandIdle = false;
    QVERIFY(!form.pcContainerChanging());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, settingTab);
    QCOMPARE(form.pcContainer->currentWidget(), form.tsGeneral);
    form.pcContainer->setCurrentWidget(form.tsSetting);
    QCOMPARE(form.pcContainer->currentWidget(), form.tsGeneral);
    QCOMPARE(settingShown, 0);

    form.flags().CommandIdle = true;
    form.link()->setSearching(true);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, settingTab);
    QCOMPARE(form.pcContainer->currentWidget(), form.tsGeneral);
    form.link()->setSearching(false);

    QTest::mouseClick(tabs, Qt::LeftButton, {}, settingTab);
    QCOMPARE(form.pcContainer->currentWidget(), form.tsSetting);
    QCOMPARE(settingShown, 1);
}

void TestMainWindow::findersByTag()
{
    // Tags far from the port numbers, so the pages' own controls do not interfere.
    ShellRig rig;
    TForm1 &form = rig.create();
    QCOMPARE(form.FindTagEdit(77), nullptr);
    QCOMPARE(form.FindInfoLabel(97), nullptr);
    QCOMPARE(form.FindDisplay(77), nullptr);
    QCOMPARE(form.FindInputButton(9, 77), nullptr);

    auto *fileField = new QLineEdit(form.tsFWUpgrade); // another page's edit with that Tag
    fileField->setProperty("Tag", 77);
    QCOMPARE(form.FindTagEdit(77), nullptr);
    auto *edit = new QLineEdit(form.tsPortTag);
    edit->setProperty("Tag", 77);
    QCOMPARE(form.FindTagEdit(77), edit);

    auto *label = new QLabel(form.tsGeneral);
    label->setProperty("Tag", 97);
    QCOMPARE(form.FindInfoLabel(97), label);
    QLabel elsewhere; // a window of its own carrying a Tag
    elsewhere.setProperty("Tag", 98);
    QCOMPARE(form.FindInfoLabel(98), nullptr);

    auto *arrow = new QPushButton(form.tsSetting); // previous/next: a Tag but no group
    arrow->setProperty("Tag", 77);
    QCOMPARE(form.FindInputButton(9, 77), nullptr);
    auto *button = new QPushButton(form.tsSetting);
    button->setProperty("Tag", 77);
    button->setProperty("GroupIndex", 9);
    QCOMPARE(form.FindInputButton(9, 77), button);
    QCOMPARE(form.FindInputButton(8, 77), nullptr);
    QCOMPARE(form.FindDisplay(77), nullptr); // buttons are no display
}

void TestMainWindow::smallHandlers()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.btnStopClick();
    QVERIFY(form.flags().StopRequested);
    form.btnStopClick();
    QVERIFY(!form.flags().StopRequested);
    form.mmoMsg->appendPlainText(QStringLiteral("trace"));
    form.btnClearClick();
    QVERIFY(form.mmoMsg->toPlainText().isEmpty());
    // FormShow marks the "All Outputs" item, when the routing page has one.
    ShellRig other;
    TForm1 &fresh = other.create();
    auto *item = new QAction(&fresh);
    item->setObjectName(QStringLiteral("mnuAllOutputs"));
    item->setProperty("Tag", 8);
    fresh.show();
    QCOMPARE(item->property("Tag").toInt(), 4);
}

void TestMainWindow::screenshots()
{
    const QString folder =
        qEnvironmentVariable("MATRIX_ARTIFACT_DIR", QDir::temp().filePath("matrix-artifacts"));
    QVERIFY(QDir().mkpath(folder));
    ShellRig rig;
    TForm1 &form = rig.show();
    form.setNowSource([] { return QDateTime(QDate(2026, 12, 7), QTime(5, 9)); });
    form.tmrTimer();
    QVERIFY(form.grab().save(QDir(folder).filePath("main_window_disconnected.png")));

    rig.serial().openFails = true;
    form.btnConnectClick();
    QVERIFY(form.grab().save(QDir(folder).filePath("main_window_open_failed.png")));

    rig.serial().openFails = false;
    form.btnConnectClick();
    QVERIFY(form.grab().save(QDir(folder).filePath("main_window_connected.png")));
    form.pcContainer->setCurrentWidget(form.tsFWUpgrade);
    form.addMessageLine(QStringLiteral("Write to Part_1.2.3.4 failed"));
    QVERIFY(form.grab().save(QDir(folder).filePath("main_window_fw_page.png")));

    // The other pages, with a switcher that answers input 2 for every output.
    rig.answerEveryCommand(0, 2);
    const std::pair<QWidget *, const char *> pages[] = {
        {form.tsPortTag, "main_window_port_tag_page.png"},
        {form.tsSetting, "main_window_setting_page.png"},
        {form.tsEDIDCtrl, "main_window_edid_page.png"},
    };
    for (const auto &[page, file] : pages) {
        form.pcContainer->setCurrentWidget(page);
        QCOMPARE(form.pcContainer->currentWidget(), page);
        QVERIFY(form.grab().save(QDir(folder).filePath(QLatin1String(file))));
    }

    // The preset editor as the operator sees it, and the other windows as they are built.
    QString saved;
    rig.dialogs.pushModal([&](QDialog *dialog) {
        saved = QDir(folder).filePath(QStringLiteral("preset_editor.png"));
        dialog->grab().save(saved);
        return int(QDialog::Rejected);
    });
    form.pcContainer->setCurrentWidget(form.tsSetting);
    form.presets()->btnPreEditClick();
    QVERIFY(QFileInfo::exists(saved));
    const std::pair<QWidget *, const char *> windows[] = {
        {static_cast<QWidget *>(form.windows().frmSearch), "search_wizard.png"},
        {static_cast<QWidget *>(form.windows().frmEditLAN), "tcp_configuration.png"},
        {static_cast<QWidget *>(form.windows().frmEnterYes), "confirm_reset.png"},
    };
    for (const auto &[window, file] : windows)
        QVERIFY(window->grab().save(QDir(folder).filePath(QLatin1String(file))));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
