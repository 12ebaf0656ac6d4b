#include "ContextRig.h"
#include "ShellRig.h"
#include "WidgetFinder.h"

#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/EnterYes.h"
#include "lanmodule/ui/Search.h"
#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/StatusBoard.h"
#include "shell/TextLog.h"
#include "shell/connection/ConnectionController.h"
#include "shell/devicestatus/ui/DeviceStatusView.h"
#include "shell/porttags/ui/PortTagsPage.h"
#include "shell/presets/ui/PresetsView.h"
#include "shell/routing/RoutingController.h"
#include "shell/routing/ui/LCD99.h"
#include "shell/routing/ui/RoutingView.h"
#include "shell/routing/ui/ShowInOutInfo.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/StatusBarPanel.h"
#include "ui/KXGauge.h"

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
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <stdexcept>

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
    StatusBarPanel *target = form.statusPanel(panel);
    return target->grab().toImage().pixelColor(where);
}

QString artifactPath(const QString &file)
{
    const QString folder =
        qEnvironmentVariable("MATRIX_ARTIFACT_DIR", QDir::temp().filePath("matrix-artifacts"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(file);
}

// How an exchange started through the gate's guard ends.
enum class ExchangeEnd { EarlyReturn, FailedCommand, Released, Thrown };

} // namespace

Q_DECLARE_METATYPE(ExchangeEnd)

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
    void findersOfThePages();
    void smallHandlers();
    void screenshots();
    // The command gate alone, on a shell context.
    void guardGivesIdleBack_data();
    void guardGivesIdleBack();
    void queuedJobsRunInOrder_data();
    void queuedJobsRunInOrder();
};

void TestMainWindow::firstStartWithoutSettingsFile()
{
    ShellRig rig;
    QVERIFY(!QFileInfo::exists(rig.settingsPath()));
    TForm1 &form = rig.show();
    ShellContext &context = rig.context();

    QVERIFY(QFileInfo::exists(rig.settingsPath()));
    QVERIFY(rig.readSettings().contains("DON'T MODIFY THIS FILE MANUALLY!"));
    QCOMPARE(context.link()->ControlMode(), cmCOM);
    QVERIFY(Child<QRadioButton>(&form, "rbCOMMode")->isChecked());
    QVERIFY(!context.connection().lanSelected());
    QCOMPARE(Child<QComboBox>(&form, "cbCOMList")->currentText(), QStringLiteral("ttyS0"));
    QCOMPARE(form.statusText(1), QStringLiteral("Disconnect"));
    QVERIFY(form.tmr->isActive());
    QCOMPARE(form.tmr->interval(), 1000);
    QCOMPARE(context.settingsLocation().appDir(),
             QDir(rig.dir.path()).absolutePath() + QLatin1Char('/'));
    QCOMPARE(context.CurrentDeviceMAC(), QStringLiteral("00-00-00-00-00-00"));
    QVERIFY(context.flags().CommandIdle);
    QVERIFY(!context.flags().StopRequested);
    QVERIFY(rig.windows->routingController().RoutingAborted);
    QVERIFY(context.status().normal());
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
    // 1025 x 580 where the screen has room for it (the offscreen screen is narrower).
    const QSize room =
        form.screen()->availableGeometry().size() - (form.frameGeometry().size() - form.size());
    QCOMPARE(form.size(), QSize(1025, 580).boundedTo(room).expandedTo(form.minimumSize()));
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

    for (const char *name : {"mmoMsg", "btnStop", "btnClear"}) {
        QWidget *hidden = Child<QWidget>(&form, name);
        QVERIFY(!hidden->isVisible());
        QVERIFY(!hidden->isEnabled());
    }
    QCOMPARE(Child<QPushButton>(&form, "btnStop")->text(), QStringLiteral("Stop"));
    QCOMPARE(Child<QPushButton>(&form, "btnClear")->text(), QStringLiteral("clear"));
    QCOMPARE(Child<QPushButton>(form.tsFWUpgrade, "Button1")->text(), QStringLiteral("&Clear"));
    auto *messages = Child<QPlainTextEdit>(form.tsFWUpgrade, "mmoMessage");
    QVERIFY(messages->isReadOnly());
    QCOMPARE(messages->parentWidget()->objectName(), QStringLiteral("gbMessages"));

    QVERIFY(Child<QStatusBar>(&form, "sb"));
    const std::array<int, 5> widths{185, 235, 300, 135, 50};
    for (int panel = 1; panel <= 5; ++panel) {
        StatusBarPanel *target = form.statusPanel(panel);
        QVERIFY(target);
        // The hint panel takes the room the others leave.
        if (panel == 3)
            QVERIFY(target->width() >= TForm1::HintPanelMinimumWidth);
        else
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
    auto *connect = Child<QPushButton>(&form, "btnConnect");
    QCOMPARE(connect->text(), QStringLiteral("&Disconnect"));
    QCOMPARE(form.statusText(1), QStringLiteral("ttyS0: Connected"));
    QCOMPARE(form.statusText(2), QStringLiteral("Done"));
    QVERIFY(!Child<QLabel>(&form, "imgOpen")->isHidden());
    QVERIFY(Child<QLabel>(&form, "imgClose")->isHidden());
    QVERIFY(!Child<QComboBox>(&form, "cbCOMList")->isEnabled());
    QVERIFY(rig.context().flags().CommandIdle);
    // Connecting on demand from another page leaves the page alone.
    QCOMPARE(form.pcContainer->currentWidget(), form.tsPortTag);
    QVERIFY(!connect->hasFocus());
    // The window caption never shows the connection.
    QCOMPARE(form.windowTitle(), QStringLiteral("4x4 HDMI Matrix Controller - ver1.0"));

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
    QVERIFY(rig.context().flags().CommandIdle);
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
    auto *connect = Child<QPushButton>(&form, "btnConnect");
    QCOMPARE(connect->text(), QStringLiteral("&Connect"));
    QVERIFY(connect->isEnabled());
    QVERIFY(rig.context().flags().CommandIdle);
    // Six 350 ms waits of the blink, then the 100 ms settle of the Connect handler.
    QCOMPARE(rig.clock.sleptMs() - sleptBefore, 6 * 350 + 100);
    QVERIFY(!rig.context().status().normal());
    QCOMPARE(panelColourAt(form, 2, {2, 2}), QColor(Qt::red));

    // The next plain text brings the normal colours back.
    form.ShowStatus(2, QStringLiteral("Done"));
    QVERIFY(rig.context().status().normal());
    QCOMPARE(panelColourAt(form, 2, {2, 2}), form.palette().color(QPalette::Button));
}

void TestMainWindow::timeoutBlinksUnlessClosing()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    ShellContext &context = rig.context();
    form.btnConnectClick();
    QVERIFY(context.link()->Connected());
    form.ShowStatus(3, QStringLiteral("hint"));

    TCommandResult result;
    form.RunCommand(QStringLiteral("Setting..."), 2, 3, 3, 2, 0, 0, result);
    QCOMPARE(result.Success, std::uint8_t(0));
    QCOMPARE(rig.serial().writes.size(), 3);
    QCOMPARE(form.statusText(2), QStringLiteral("Time out!"));
    QCOMPARE(form.statusText(3), QString());
    QVERIFY(!context.status().normal());

    // While closing, a failure text is not blinked at all.
    context.flags().StopRequested = true;
    const auto slept = rig.clock.sleptMs();
    form.ShowStatus(2, QStringLiteral("Send data failed!"), true);
    QCOMPARE(rig.clock.sleptMs(), slept);
    QCOMPARE(form.statusText(2), QStringLiteral("Time out!"));
    QVERIFY(context.status().normal());
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
    QVERIFY(rig.context().link()->Connected());
    QFile::remove(rig.settingsPath());
    QSignalSpy closed(&form, &TForm1::closed);

    QVERIFY(form.close());
    QCOMPARE(rig.dialogs.count(), 0);
    QVERIFY(rig.context().flags().StopRequested);
    QVERIFY(QFileInfo::exists(rig.settingsPath()));
    QCOMPARE(rig.context().link(), nullptr);
    QCOMPARE(closed.count(), 1);
    QVERIFY(!form.tmr->isActive());
}

void TestMainWindow::closeWhileOpeningIsRefused()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    ShellContext &context = rig.context();
    Child<QRadioButton>(&form, "rbLANMode")->click();
    QCOMPARE(context.link()->ControlMode(), cmLAN);
    context.link()->setDeviceIP(QStringLiteral("127.0.0.2"));
    rig.tcp().connectDelay = 1000ms;

    bool accepted = true;
    bool openingSeen = false;
    rig.clock.schedule(200ms, [&] {
        openingSeen = context.link()->Opening();
        accepted = form.close();
    });
    form.btnConnectClick();

    QVERIFY(openingSeen);
    QVERIFY(!accepted);
    QCOMPARE(rig.dialogs.texts(ScriptedDialogs::Kind::Information),
             QStringList{QStringLiteral("Connection in process, please wait...")});
    QVERIFY(form.isVisible());
    QVERIFY(!context.flags().StopRequested);
    QVERIFY(context.link()->Connected());
    QCOMPARE(form.statusText(1), QStringLiteral("127.0.0.2: Connected"));
}

void TestMainWindow::closeDuringExchangeAsksFirst()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    ShellContext &context = rig.context();
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
    QVERIFY(context.flags().StopRequested);
    QVERIFY(context.flags().CommandIdle);
    QVERIFY(QFileInfo::exists(rig.settingsPath()));
    // The wait ended at the step after the confirmation, long before the 5 s time-out, and
    // the link was released once the command had returned.
    QVERIFY(rig.clock.elapsedMs() - started <= 2010);
    QCOMPARE(writes, 1);
    QCOMPARE(context.link(), nullptr);
    QCOMPARE(form.statusText(2), QStringLiteral("Setting..."));
}

void TestMainWindow::clockPanel()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.setNowSource([] { return QDateTime(QDate(2026, 12, 7), QTime(5, 9, 59)); });
    rig.portLister.names.append(QStringLiteral("ttyACM0"));
    form.tmrTimer();
    QCOMPARE(form.statusText(4), QStringLiteral("2026-12-07 05:09"));
    // Each tick also takes the system's port list.
    QCOMPARE(rig.context().connection().ports(), (QStringList{"ttyS0", "ttyUSB0", "ttyACM0"}));
    QCOMPARE(Child<QComboBox>(&form, "cbCOMList")->count(), 3);
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
    TKXCOMControl &link = *rig.context().link();
    link.setControlMode(lan ? cmLAN : cmCOM);
    form.ShowStatus(3, QStringLiteral("Select list item first"));
    const auto slept = rig.clock.sleptMs();

    emit link.notify(code, 0, 0, QString());

    QCOMPARE(form.statusText(2), text);
    QCOMPARE(form.statusText(3), QString());
    QCOMPARE(rig.clock.sleptMs() - slept, 2100);
    QVERIFY(!rig.context().status().normal());
}

void TestMainWindow::openCloseFailureTexts()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    TKXCOMControl &link = *rig.context().link();
    link.setComPort(QStringLiteral("ttyUSB0"));
    emit link.notify(NotifyOpenCloseFailed, 0, 0, QString());
    QCOMPARE(form.statusText(2), QStringLiteral("Open COM [ttyUSB0] failed"));

    Child<QComboBox>(&form, "cbCOMList")->setCurrentIndex(1);
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
    ShellContext &context = rig.context();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.pcContainer->setCurrentWidget(form.tsFWUpgrade);
    auto *gauge = Child<TKXGauge>(&form, "kxgFWProgress");
    QVERIFY(gauge);
    QVERIFY2(gauge->isVisible(), "gauge hidden");
    PaintCounter paints(gauge);
    QSignalSpy partFailed(&context, &ShellContext::partWriteFailed);
    QSignalSpy progress(&context, &ShellContext::progress);

    emit context.link()->notify(NotifyPartWriteFailed, 0x7FFF0102, 0x0304, QString());
    QCOMPARE(context.messages().last(), QStringLiteral("Write to Part_1.2.3.4 failed"));
    QCOMPARE(Child<QPlainTextEdit>(&form, "mmoMessage")->toPlainText(),
             QStringLiteral("Write to Part_1.2.3.4 failed"));
    QCOMPARE(partFailed.count(), 1);

    emit context.link()->notify(NotifyProgress, 0x0201, 0x10020, QString());
    QCOMPARE(progress.count(), 1);
    QCOMPARE(progress.last(), (QList<QVariant>{qint64(0x0201), 0x20}));
    QCOMPARE(gauge->Caption(), QStringLiteral("Upgrading Part_2.1"));
    QCOMPARE(gauge->Progress(), 0x20);
    QCOMPARE(paints.count, 1);

    // The same value again paints nothing.
    emit context.link()->notify(NotifyProgress, 0x0201, 0x20, QString());
    QCOMPARE(progress.count(), 1);
    QCOMPARE(paints.count, 1);
    emit context.link()->notify(NotifyProgress, 0x0301, 50, QString());
    QCOMPARE(progress.count(), 2);
    QCOMPARE(paints.count, 2);
    QCOMPARE(gauge->Caption(), QStringLiteral("Upgrading Part_3.1"));
    QCOMPARE(rig.dialogs.count(), 0);
}

void TestMainWindow::logLinesAndRebootReplaceRule()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    TKXCOMControl &link = *rig.context().link();
    const TextLog &log = rig.context().messages();
    auto *memo = Child<QPlainTextEdit>(form.tsFWUpgrade, "mmoMessage");
    const QString turning1 = QStringLiteral("System rebooting, please wait ... |");
    const QString turning2 = QStringLiteral("System rebooting, please wait ... /");

    // An empty memo: a replaceable line is added.
    emit link.notify(NotifyLogLine, 0, 1, QStringLiteral("Part_1.1 written"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("Part_1.1 written"));
    // A last line without the restart text: added, not replaced.
    emit link.notify(NotifyLogLine, 0, 1, turning1);
    QCOMPARE(memo->document()->blockCount(), 2);
    // Now the restart line is refreshed in place.
    emit link.notify(NotifyLogLine, 0, 1, turning2);
    QCOMPARE(memo->document()->blockCount(), 2);
    QCOMPARE(log.last(), turning2);
    // An ordinary line is always added.
    emit link.notify(NotifyLogLine, 0, 0, QStringLiteral("Device restarted"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("Part_1.1 written\n") + turning2 +
                                      QStringLiteral("\nDevice restarted"));
    QCOMPARE(log.lines(), (QStringList{"Part_1.1 written", turning2, "Device restarted"}));

    Child<QPushButton>(form.tsFWUpgrade, "Button1")->click();
    QVERIFY(memo->toPlainText().isEmpty());
    QVERIFY(log.lines().isEmpty());
}

void TestMainWindow::statusTextNotification()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    ShellContext &context = rig.context();
    QSignalSpy forwarded(&context, &ShellContext::searchProgress);
    const auto slept = rig.clock.sleptMs();

    emit context.link()->notify(NotifyStatusText, 0x1234, 0, QStringLiteral("Searching 3"));
    QCOMPARE(forwarded.count(), 1);
    QCOMPARE(forwarded.first(),
             (QList<QVariant>{qint64(0x1234), qint64(0), QStringLiteral("Searching 3")}));
    QCOMPARE(form.statusText(2), QString());

    emit context.link()->notify(NotifyStatusText, 0, 1, QStringLiteral("Configuring ..."));
    QCOMPARE(forwarded.count(), 1);
    QCOMPARE(form.statusText(2), QStringLiteral("Configuring ..."));
    QCOMPARE(rig.clock.sleptMs(), slept);
    QVERIFY(context.status().normal());
}

void TestMainWindow::ignoredNotifications()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.ShowStatus(2, QStringLiteral("Done"));
    for (int code : {int(NotifyBytesReceived), int(NotifyTrace), int(NotifyDataDump),
                     int(NotifyTransferDone), 2027, 2033, 2036, 3000})
        emit rig.context().link()->notify(code, 1, 1, QStringLiteral("text"));
    QCOMPARE(form.statusText(2), QStringLiteral("Done"));
    QVERIFY(Child<QPlainTextEdit>(form.tsFWUpgrade, "mmoMessage")->toPlainText().isEmpty());
    QVERIFY(rig.context().messages().lines().isEmpty());
    QVERIFY(rig.context().status().normal());
}

void TestMainWindow::pageChangeGuard()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    ShellContext &context = rig.context();
    rig.answerEveryCommand(); // the Setting page reads the routing when it is shown
    QSignalSpy shown(&form, &TForm1::pageShown);
    const auto settingShown = [&] {
        return std::count_if(shown.cbegin(), shown.cend(), [&](const QList<QVariant> &args) {
            return args.at(0).value<QWidget *>() == form.tsSetting;
        });
    };
    QTabBar *tabs = form.pcContainer->tabBar();
    const QPoint settingTab = tabs->tabRect(form.pcContainer->indexOf(form.tsSetting)).center();

    context.flags().CommandIdle = false;
    QVERIFY(!form.pcContainerChanging());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, settingTab);
    QCOMPARE(form.pcContainer->currentWidget(), form.tsGeneral);
    form.pcContainer->setCurrentWidget(form.tsSetting);
    QCOMPARE(form.pcContainer->currentWidget(), form.tsGeneral);
    QCOMPARE(settingShown(), 0);

    context.flags().CommandIdle = true;
    context.link()->setSearching(true);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, settingTab);
    QCOMPARE(form.pcContainer->currentWidget(), form.tsGeneral);
    context.link()->setSearching(false);

    QTest::mouseClick(tabs, Qt::LeftButton, {}, settingTab);
    QCOMPARE(form.pcContainer->currentWidget(), form.tsSetting);
    QCOMPARE(settingShown(), 1);
}

void TestMainWindow::findersOfThePages()
{
    // Each page finds its own port controls by number; what it returns carries the Tag (and
    // GroupIndex) that desktop automation uses, lies on the page, and nothing else is found.
    ShellRig rig;
    TForm1 &form = rig.create();
    const PortTagsPage &tags = rig.windows->portTags();
    const DeviceStatusView &status = rig.windows->deviceStatus();
    const RoutingView &routing = rig.windows->routing();
    const auto tagOf = [](const QObject *control) { return control->property("Tag").toInt(); };
    for (int n = 1; n <= 8; ++n) {
        for (int tag : {n, 40 + n}) {
            QLineEdit *edit = tags.FindTagEdit(tag);
            QVERIFY(edit && form.tsPortTag->isAncestorOf(edit));
            QCOMPARE(tagOf(edit), tag);
        }
        for (int tag : {40 + n, 80 + n}) {
            QLabel *line = status.FindInfoLabel(tag);
            QVERIFY(line && form.tsGeneral->isAncestorOf(line));
            QCOMPARE(tagOf(line), tag);
        }
        TLCD99 *display = routing.FindDisplay(n);
        QVERIFY(display && form.tsSetting->isAncestorOf(display));
        QCOMPARE(tagOf(display), n);
        for (int input = 1; input <= 8; ++input) {
            QAbstractButton *button = routing.FindInputButton(n, input);
            QVERIFY(button && form.tsSetting->isAncestorOf(button));
            QCOMPARE(tagOf(button), input);
            QCOMPARE(button->property("GroupIndex").toInt(), n);
        }
    }

    // Tags far from the port numbers, on controls that are not the pages' own.
    QCOMPARE(tags.FindTagEdit(77), nullptr);
    QCOMPARE(status.FindInfoLabel(97), nullptr);
    QCOMPARE(routing.FindDisplay(77), nullptr);
    QCOMPARE(routing.FindInputButton(9, 77), nullptr);
    auto *edit = new QLineEdit(form.tsPortTag);
    edit->setProperty("Tag", 77);
    QCOMPARE(tags.FindTagEdit(77), nullptr);
    auto *label = new QLabel(form.tsGeneral);
    label->setProperty("Tag", 97);
    QCOMPARE(status.FindInfoLabel(97), nullptr);
    auto *button = new QPushButton(form.tsSetting);
    button->setProperty("Tag", 77);
    button->setProperty("GroupIndex", 9);
    QCOMPARE(routing.FindInputButton(9, 77), nullptr);
    QCOMPARE(routing.FindDisplay(0), nullptr);
    QCOMPARE(routing.FindInputButton(0, 1), nullptr);
    QCOMPARE(tags.FindTagEdit(0), nullptr);
    QCOMPARE(tags.FindTagEdit(49), nullptr);
    QCOMPARE(status.FindInfoLabel(40), nullptr);
    QCOMPARE(status.FindInfoLabel(89), nullptr);
}

void TestMainWindow::smallHandlers()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    ShellContext &context = rig.context();
    form.btnStopClick();
    QVERIFY(context.flags().StopRequested);
    form.btnStopClick();
    QVERIFY(!context.flags().StopRequested);
    context.diagnostics().add(QStringLiteral("trace"));
    auto *trace = Child<QPlainTextEdit>(&form, "mmoMsg");
    QCOMPARE(trace->toPlainText(), QStringLiteral("trace"));
    form.btnClearClick();
    QVERIFY(trace->toPlainText().isEmpty());
    QVERIFY(context.diagnostics().lines().isEmpty());

    // FormShow marks the routing page's "All Outputs" item.
    ShellRig other;
    TForm1 &fresh = other.create();
    auto *item = Child<QAction>(&fresh, "mnuAllOutputs");
    QCOMPARE(item->property("Tag").toInt(), 8);
    fresh.show();
    QCOMPARE(item->property("Tag").toInt(), 4);
}

void TestMainWindow::screenshots()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.setNowSource([] { return QDateTime(QDate(2026, 12, 7), QTime(5, 9)); });
    form.tmrTimer();
    const auto save = [](QWidget *widget, const QString &file) {
        QVERIFY2(widget->grab().save(artifactPath(file)), qPrintable(file));
    };
    save(&form, QStringLiteral("main_window_disconnected.png"));

    rig.serial().openFails = true;
    form.btnConnectClick();
    save(&form, QStringLiteral("main_window_open_failed.png"));

    rig.serial().openFails = false;
    form.btnConnectClick();
    save(&form, QStringLiteral("main_window_connected.png"));
    form.pcContainer->setCurrentWidget(form.tsFWUpgrade);
    rig.context().messages().add(QStringLiteral("Write to Part_1.2.3.4 failed"));
    save(&form, QStringLiteral("main_window_fw_page.png"));

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
        save(&form, QLatin1String(file));
    }
    // The Advanced page has no tab; it is drawn on its own, at the size of the others.
    form.tsIR->resize(form.tsGeneral->size());
    save(form.tsIR, QStringLiteral("main_window_advanced_page.png"));

    // The preset editor as the operator sees it, and the other windows as they are built.
    QString saved;
    rig.dialogs.pushModal([&](QDialog *dialog) {
        saved = artifactPath(QStringLiteral("preset_editor.png"));
        dialog->grab().save(saved);
        return int(QDialog::Rejected);
    });
    form.pcContainer->setCurrentWidget(form.tsSetting);
    rig.windows->presets().btnPreEditClick();
    QVERIFY(QFileInfo::exists(saved));
    const std::pair<QWidget *, const char *> windows[] = {
        {&rig.windows->search(), "search_wizard.png"},
        {&rig.windows->editLAN(), "tcp_configuration.png"},
        {&rig.windows->enterYes(), "confirm_reset.png"},
        {&rig.windows->showInOutInfo(), "port_information.png"},
    };
    for (const auto &[window, file] : windows)
        save(window, QLatin1String(file));
}

// ---------------------------------------------------------------------------------------------
// The command gate

void TestMainWindow::guardGivesIdleBack_data()
{
    QTest::addColumn<ExchangeEnd>("end");
    QTest::newRow("early return") << ExchangeEnd::EarlyReturn;
    QTest::newRow("failed command") << ExchangeEnd::FailedCommand;
    QTest::newRow("released early") << ExchangeEnd::Released;
    QTest::newRow("exception") << ExchangeEnd::Thrown;
}

void TestMainWindow::guardGivesIdleBack()
{
    QFETCH(ExchangeEnd, end);
    ContextRig rig;
    QVERIFY(rig.connect());
    CommandGate &gate = rig.context.gate();
    const ProgramFlags &flags = rig.context.flags();
    QSignalSpy idle(&gate, &CommandGate::becameIdle);
    bool busyInside = false;
    bool refusedInside = false;
    QString hintInside;

    // The switcher never answers.
    const auto exchange = [&]() -> bool {
        std::optional<ExchangeGuard> guard = gate.tryBegin(QStringLiteral("Setting..."));
        if (!guard)
            return false;
        busyInside = !flags.CommandIdle && gate.busy();
        refusedInside = !gate.tryBegin();
        hintInside = rig.context.status().text(StatusPanel::Hint);
        switch (end) {
        case ExchangeEnd::EarlyReturn:
            return false;
        case ExchangeEnd::FailedCommand: {
            TCommandResult result;
            result.Success = 1;
            guard->RunCommand(QStringLiteral("Setting..."), MakeFrame(2, 3, 3, 2), result);
            return result.Success != 0;
        }
        case ExchangeEnd::Released:
            guard->release();
            return flags.CommandIdle;
        case ExchangeEnd::Thrown:
            throw std::runtime_error("stopped");
        }
        return false;
    };
    bool result = false;
    try {
        result = exchange();
    } catch (const std::runtime_error &) {
        result = false;
    }

    QVERIFY(busyInside);
    QVERIFY(refusedInside);
    QCOMPARE(hintInside, QStringLiteral("In processing, command ignored"));
    QCOMPARE(result, end == ExchangeEnd::Released);
    QVERIFY(flags.CommandIdle);
    QVERIFY(!gate.busy());
    QCOMPARE(idle.count(), 1);
    QCOMPARE(rig.context.status().text(StatusPanel::Hint), QString());
    QCOMPARE(rig.serial().writes.size(), end == ExchangeEnd::FailedCommand ? 3 : 0);
    if (end == ExchangeEnd::FailedCommand)
        QCOMPARE(rig.context.status().text(StatusPanel::Operation), QStringLiteral("Time out!"));
    // The link is free for the next caller.
    rig.answerEveryCommand();
    TCommandResult next;
    gate.RunCommand(QStringLiteral("Setting..."), 2, 3, 1, 1, 0, 0, next);
    QCOMPARE(next.Success, std::uint8_t(1));
    QCOMPARE(idle.count(), 2);
}

void TestMainWindow::queuedJobsRunInOrder_data()
{
    QTest::addColumn<bool>("whileExchangeWaits");
    QTest::addColumn<bool>("jobsSendCommands");
    QTest::newRow("idle link") << false << false;
    QTest::newRow("queued while an exchange waits") << true << false;
    QTest::newRow("jobs use the link") << false << true;
    QTest::newRow("jobs use the link, queued while waiting") << true << true;
}

void TestMainWindow::queuedJobsRunInOrder()
{
    QFETCH(bool, whileExchangeWaits);
    QFETCH(bool, jobsSendCommands);
    ContextRig rig;
    QVERIFY(rig.connect());
    rig.answerEveryCommand(0, 0, 20ms);
    CommandGate &gate = rig.context.gate();
    const ProgramFlags &flags = rig.context.flags();

    // A job notes its number, and whether the link was free when it started (a job never
    // runs inside another exchange); job 1 queues job 3, while its own command waits when it
    // sends one.
    QStringList ran;
    bool exchangeRunning = false;
    QList<int> succeeded;
    std::function<CommandGate::Job(int)> job = [&](int n) -> CommandGate::Job {
        return [&, n] {
            ran << QString::number(n) + (flags.CommandIdle && !exchangeRunning ? "" : " nested");
            if (n == 1) {
                if (jobsSendCommands)
                    rig.clock.schedule(5ms, [&] { gate.enqueue(job(3)); });
                else
                    gate.enqueue(job(3));
            }
            if (!jobsSendCommands)
                return;
            TCommandResult result;
            gate.RunCommand(QStringLiteral("Job"), 2, 1, std::uint16_t(n), 0, 0, 0, result);
            if (result.Success)
                succeeded << n;
        };
    };

    if (whileExchangeWaits) {
        rig.clock.schedule(5ms, [&] {
            gate.enqueue(job(1));
            gate.enqueue(job(2));
        });
        exchangeRunning = true;
        TCommandResult result;
        gate.RunCommand(QStringLiteral("Setting..."), 2, 3, 9, 1, 0, 0, result);
        exchangeRunning = false;
        QCOMPARE(result.Success, std::uint8_t(1));
        QVERIFY(rig.clock.elapsedMs() >= 20); // the jobs were queued while it waited
    } else {
        gate.enqueue(job(1));
        gate.enqueue(job(2));
    }
    // Not run from inside enqueue(), nor from inside the exchange's wait.
    QVERIFY(ran.isEmpty());
    QCOMPARE(gate.queuedJobs(), std::size_t(2));

    QTRY_COMPARE(ran, (QStringList{"1", "2", "3"}));
    QCOMPARE(gate.queuedJobs(), std::size_t(0));
    QVERIFY(flags.CommandIdle);
    QCOMPARE(rig.context.status().text(StatusPanel::Hint), QString());
    if (jobsSendCommands)
        QCOMPARE(succeeded, (QList<int>{1, 2, 3}));
    QList<int> sentP1;
    for (const QByteArray &frame : std::as_const(rig.serial().writes))
        sentP1 << int(std::uint8_t(frame[4]));
    QList<int> expected;
    if (whileExchangeWaits)
        expected << 9;
    if (jobsSendCommands)
        expected << 1 << 2 << 3;
    QCOMPARE(sentP1, expected);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
