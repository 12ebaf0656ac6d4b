#include "ShellRig.h"
#include "WidgetTexts.h"

#include "link/KXCOMControl.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"
#include "shell/SettingsLocation.h"
#include "shell/ui/ConnectionPanel.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramWindows.h"
#include "ui/SortedComboBox.h"
#include "SimPty.h"
#include "SwitcherDevice.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace std::chrono_literals;

class TestConnection : public QObject
{
    Q_OBJECT
private slots:
    void savedPortIsSelected();
    void portListRebuildRules();
    void vanishedPortClosesConnection();
    void emptyPortList();
    void connectToggles();
    void modeSwitchClosesAndReloadsTags();
    void lanModeIgnoredWhileSearching();
    void modeControlsAndCaptionColours();
    void busyDisablesEverything();
    void advancedGroupsExistHidden();
    void sortedDeviceList();
    void settingsLocation();
    void simulatorOverPseudoTerminal();
};

void TestConnection::savedPortIsSelected()
{
    ShellRig rig({QStringLiteral("COM1"), QStringLiteral("COM3")});
    rig.writeSettings("[COM port]\r\nName=com3\r\n");
    TForm1 &form = rig.show();
    ConnectionPanel &panel = *form.connection();
    QCOMPARE(ComboItems(panel.cbCOMList), (QStringList{"COM1", "COM3"}));
    QCOMPARE(panel.cbCOMList->currentText(), QStringLiteral("COM3"));
    QCOMPARE(form.link()->ControlMode(), cmCOM);
    QVERIFY(rig.readSettings().contains("Name=COM3"));
}

void TestConnection::portListRebuildRules()
{
    ShellRig rig({QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0"), QStringLiteral("ttyS0")});
    TForm1 &form = rig.show();
    QComboBox *ports = form.connection()->cbCOMList;
    // A name listed twice is kept once.
    QCOMPARE(ComboItems(ports), (QStringList{"ttyS0", "ttyUSB0"}));
    ports->setCurrentIndex(1);

    // Only the order changed: the list stays as it is, and so does the choice.
    rig.portLister.names = {QStringLiteral("ttyUSB0"), QStringLiteral("ttyS0")};
    form.tmrTimer();
    QCOMPARE(ComboItems(ports), (QStringList{"ttyS0", "ttyUSB0"}));
    QCOMPARE(ports->currentText(), QStringLiteral("ttyUSB0"));

    // A new port: rebuilt in the system's order; the link's port is selected again.
    form.link()->setComPort(QStringLiteral("ttyUSB0"));
    rig.portLister.names = {QStringLiteral("ttyACM0"), QStringLiteral("ttyUSB0"),
                            QStringLiteral("ttyS0")};
    form.tmrTimer();
    QCOMPARE(ComboItems(ports), (QStringList{"ttyACM0", "ttyUSB0", "ttyS0"}));
    QCOMPARE(ports->currentText(), QStringLiteral("ttyUSB0"));

    // A port disappears while disconnected: the first port is selected.
    rig.portLister.names = {QStringLiteral("ttyACM0"), QStringLiteral("ttyS0")};
    form.tmrTimer();
    QCOMPARE(ComboItems(ports), (QStringList{"ttyACM0", "ttyS0"}));
    QCOMPARE(ports->currentText(), QStringLiteral("ttyACM0"));
    QCOMPARE(rig.serial().closeCalls, 0);
}

void TestConnection::vanishedPortClosesConnection()
{
    ShellRig rig({QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0")});
    TForm1 &form = rig.show();
    ConnectionPanel &panel = *form.connection();
    panel.cbCOMList->setCurrentIndex(1);
    form.btnConnectClick();
    QVERIFY(form.link()->Connected());
    QCOMPARE(form.statusText(1), QStringLiteral("ttyUSB0: Connected"));

    // The adapter is pulled; the next tick notices it.
    rig.portLister.names = {QStringLiteral("ttyS0")};
    rig.clock.advance(1000ms);
    form.tmrTimer();
    QVERIFY(!form.link()->Connected());
    QCOMPARE(rig.serial().closeCalls, 1);
    QCOMPARE(form.statusText(1), QStringLiteral("Disconnect"));
    QCOMPARE(panel.btnConnect->text(), QStringLiteral("&Connect"));
    QVERIFY(panel.imgClose->isVisible());
    QVERIFY(!panel.imgOpen->isVisible());
    QVERIFY(panel.cbCOMList->isEnabled());
    QCOMPARE(ComboItems(panel.cbCOMList), QStringList{"ttyS0"});
    QCOMPARE(panel.cbCOMList->currentText(), QStringLiteral("ttyS0"));

    // Other ports coming and going leave an open connection alone.
    form.btnConnectClick();
    QVERIFY(form.link()->Connected());
    rig.portLister.names = {QStringLiteral("ttyS0"), QStringLiteral("ttyS1")};
    form.tmrTimer();
    QVERIFY(form.link()->Connected());
    QCOMPARE(panel.cbCOMList->currentText(), QStringLiteral("ttyS0"));
}

void TestConnection::emptyPortList()
{
    ShellRig rig(QStringList{});
    TForm1 &form = rig.show();
    ConnectionPanel &panel = *form.connection();
    QCOMPARE(panel.cbCOMList->count(), 0);
    QCOMPARE(panel.cbCOMList->currentIndex(), -1);
    // No port name is written, so a name saved earlier survives.
    QVERIFY(!rig.readSettings().contains("[COM port]"));

    rig.serial().openFails = true; // a port without a name does not open
    form.btnConnectClick();
    QCOMPARE(rig.serial().target(), QString());
    QCOMPARE(form.statusText(2), QStringLiteral("Open COM [] failed"));
    QCOMPARE(form.statusText(1), QStringLiteral("Disconnect"));
}

void TestConnection::connectToggles()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    ConnectionPanel &panel = *form.connection();
    QCOMPARE(panel.btnConnect->text(), QStringLiteral("&Connect"));
    QVERIFY(panel.imgClose->isVisible());
    form.ShowStatus(2, QStringLiteral("old text"));
    const auto slept = rig.clock.sleptMs();

    QTest::mouseClick(panel.btnConnect, Qt::LeftButton);
    QVERIFY(form.link()->Connected());
    QCOMPARE(form.link()->ComPort(), QStringLiteral("ttyS0"));
    QCOMPARE(panel.btnConnect->text(), QStringLiteral("&Disconnect"));
    QVERIFY(panel.btnConnect->isEnabled());
    QVERIFY(!panel.cbCOMList->isEnabled());
    QVERIFY(panel.imgOpen->isVisible());
    QCOMPARE(form.statusText(1), QStringLiteral("ttyS0: Connected"));
    QCOMPARE(form.statusText(2), QString());
    QCOMPARE(rig.clock.sleptMs() - slept, 100);
    QCOMPARE(rig.serial().clearCalls, 1); // buffers cleared after opening

    QTest::mouseClick(panel.btnConnect, Qt::LeftButton);
    QVERIFY(!form.link()->Connected());
    QCOMPARE(rig.serial().closeCalls, 1);
    QCOMPARE(panel.btnConnect->text(), QStringLiteral("&Connect"));
    QVERIFY(panel.cbCOMList->isEnabled());
    QVERIFY(panel.imgClose->isVisible());
    QCOMPARE(form.statusText(1), QStringLiteral("Disconnect"));
    QCOMPARE(rig.clock.sleptMs() - slept, 200);
    // The window caption never shows the connection.
    QCOMPARE(form.windowTitle(), QStringLiteral("4x4 HDMI Matrix Controller - ver1.0"));
}

void TestConnection::modeSwitchClosesAndReloadsTags()
{
    ShellRig rig;
    TForm1 &form = rig.create();
    QStringList steps;
    form.hooks().ClearPortTags = [&] {
        steps.append(QStringLiteral("clear, connected=") +
                     QString::number(form.link()->Connected()));
    };
    form.hooks().LoadPortTags = [&](TControlMode mode, const QString &mac) {
        steps.append(QStringLiteral("load ") + QString::number(int(mode)) + QLatin1Char(' ') + mac +
                     QStringLiteral(", mode=") + QString::number(int(form.link()->ControlMode())));
    };
    form.show();
    steps.clear();
    form.btnConnectClick();
    QVERIFY(form.link()->Connected());

    form.CurrentDeviceMAC = QStringLiteral("00-1A-2B-3C-4D-5E");
    form.connection()->rbLANMode->setChecked(true);
    form.rbLANModeClick();
    QCOMPARE(steps, (QStringList{"clear, connected=0", "load 0 00-1A-2B-3C-4D-5E, mode=0"}));
    QVERIFY(!form.link()->Connected());
    QCOMPARE(form.link()->ControlMode(), cmLAN);
    QCOMPARE(form.statusText(1), QStringLiteral("Disconnect"));
    QCOMPARE(form.mmoMsg->toPlainText(), QStringLiteral("00-1A-2B-3C-4D-5E"));

    steps.clear();
    form.link()->setDeviceIP(QStringLiteral("127.0.0.2"));
    form.btnConnectClick();
    QCOMPARE(form.statusText(1), QStringLiteral("127.0.0.2: Connected"));
    form.connection()->rbCOMMode->setChecked(true);
    form.rbCOMModeClick();
    QCOMPARE(steps, (QStringList{"clear, connected=0", "load 1 00-1A-2B-3C-4D-5E, mode=1"}));
    QCOMPARE(rig.tcp().closeCalls, 1);
    QCOMPARE(form.link()->ControlMode(), cmCOM);
}

void TestConnection::lanModeIgnoredWhileSearching()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.btnConnectClick();
    form.link()->setSearching(true);
    form.rbLANModeClick();
    QCOMPARE(form.link()->ControlMode(), cmCOM);
    QVERIFY(form.link()->Connected());
    QVERIFY(form.mmoMsg->toPlainText().isEmpty());
}

void TestConnection::modeControlsAndCaptionColours()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    ConnectionPanel &panel = *form.connection();
    const QColor black(Qt::black);
    const QColor grey(128, 128, 128);

    // COM mode after start.
    QVERIFY(panel.gbCOMMode->isEnabled());
    QVERIFY(panel.cbCOMList->isEnabled());
    QVERIFY(!panel.gbLANMode->isEnabled());
    QVERIFY(!panel.cbLANDevice->isEnabled());
    QCOMPARE(panel.gbCOMMode->palette().color(QPalette::WindowText), black);
    QCOMPARE(panel.gbLANMode->palette().color(QPalette::WindowText), grey);
    QVERIFY(panel.gbTCPModInfo->isEnabled());
    QVERIFY(panel.btnReset->isEnabled());
    QCOMPARE(panel.gbResetDefault->palette().color(QPalette::WindowText), black);

    form.UpdateModeControls(cmLAN, false);
    QVERIFY(!panel.gbCOMMode->isEnabled());
    QVERIFY(!panel.lblPort->isEnabled());
    QVERIFY(panel.gbLANMode->isEnabled());
    for (QWidget *control :
         {static_cast<QWidget *>(panel.cbLANDevice), static_cast<QWidget *>(panel.btnSearchDevice),
          static_cast<QWidget *>(panel.btnConfig), static_cast<QWidget *>(panel.btnDeleteDevice)})
        QVERIFY(control->isEnabled());
    QCOMPARE(panel.gbCOMMode->palette().color(QPalette::WindowText), grey);
    QCOMPARE(panel.gbLANMode->palette().color(QPalette::WindowText), black);
    QVERIFY(!panel.btnQueryTCPModInfo->isEnabled());
    QVERIFY(!panel.lblTCPIPAddr->isEnabled());
    QCOMPARE(panel.gbTCPModInfo->palette().color(QPalette::WindowText), grey);
    QVERIFY(panel.btnConnect->isEnabled());
}

void TestConnection::busyDisablesEverything()
{
    ShellRig rig;
    TForm1 &form = rig.create();
    auto *status = new QPushButton(QStringLiteral("D&evice status"), form.tsGeneral);
    status->setObjectName(QStringLiteral("btnGetDevStatus"));
    form.show();
    ConnectionPanel &panel = *form.connection();

    form.UpdateModeControls(cmCOM, true);
    for (QWidget *control :
         {static_cast<QWidget *>(panel.gbCOMMode), static_cast<QWidget *>(panel.gbLANMode),
          static_cast<QWidget *>(panel.gbModeSelect), static_cast<QWidget *>(panel.rbCOMMode),
          static_cast<QWidget *>(panel.rbLANMode), static_cast<QWidget *>(panel.btnConnect),
          static_cast<QWidget *>(status), static_cast<QWidget *>(panel.btnReset)})
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    QCOMPARE(panel.gbModeSelect->palette().color(QPalette::WindowText), QColor(128, 128, 128));

    form.UpdateModeControls(cmCOM, false);
    QVERIFY(panel.btnConnect->isEnabled());
    QVERIFY(status->isEnabled());
    QVERIFY(panel.rbLANMode->isEnabled());
    QVERIFY(panel.gbCOMMode->isEnabled());
}

void TestConnection::advancedGroupsExistHidden()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    ConnectionPanel &panel = *form.connection();
    QVERIFY(!panel.gbModeSelect->isVisible());
    QVERIFY(!panel.gbLANMode->isVisible());
    QVERIFY(panel.gbCOMMode->isVisible());
    QVERIFY(panel.GroupBox10->isVisible());
    QCOMPARE(panel.gbCOMMode->title(), QStringLiteral("COM control mode"));
    QCOMPARE(panel.gbLANMode->title(), QStringLiteral("TCP control mode"));
    QCOMPARE(panel.GroupBox10->title(), QStringLiteral("Connection"));
    QCOMPARE(panel.btnDeleteDevice->text(), QStringLiteral("×"));
    QCOMPARE(panel.imgOpen->size(), QSize(33, 33));
    QVERIFY(panel.gbTCPModInfo->isHidden());
    QVERIFY(panel.gbResetDefault->isHidden());
    QCOMPARE(panel.gbTCPModInfo->title(), QStringLiteral("TCP Module infomation"));
    QCOMPARE(panel.btnQueryTCPModInfo->text(), QStringLiteral("&Query"));
    QCOMPARE(panel.btnReset->text(), QStringLiteral("&Reset ..."));
    QVERIFY(form.tsIR->isAncestorOf(panel.gbTCPModInfo));
    for (QWidget *widget : panel.findChildren<QWidget *>()) {
        if (qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractButton *>(widget) ||
            qobject_cast<QGroupBox *>(widget))
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
    }
}

void TestConnection::sortedDeviceList()
{
    SortedComboBox box;
    box.addItem(QStringLiteral("[Lab]-[DHCP]-[10.0.0.9]"));
    box.addItem(QStringLiteral("[attic]-[Static IP]-[10.0.0.3]"));
    box.insertItem(0, QStringLiteral("[Zulu]-[Static IP]-[10.0.0.1]"));
    box.setCurrentIndex(box.findText(QStringLiteral("[Lab]-[DHCP]-[10.0.0.9]")));
    box.addItem(QStringLiteral("[Hall]-[Static IP]-[10.0.0.2]"));
    QCOMPARE(ComboItems(&box),
             (QStringList{"[attic]-[Static IP]-[10.0.0.3]", "[Hall]-[Static IP]-[10.0.0.2]",
                          "[Lab]-[DHCP]-[10.0.0.9]", "[Zulu]-[Static IP]-[10.0.0.1]"}));
    QCOMPARE(box.currentText(), QStringLiteral("[Lab]-[DHCP]-[10.0.0.9]"));
    box.setItemText(box.currentIndex(), QStringLiteral("[Annex]-[DHCP]-[10.0.0.9]"));
    QCOMPARE(box.itemText(0), QStringLiteral("[Annex]-[DHCP]-[10.0.0.9]"));
    QCOMPARE(box.currentText(), QStringLiteral("[Annex]-[DHCP]-[10.0.0.9]"));
}

void TestConnection::settingsLocation()
{
    QTemporaryDir dir;
    const SettingsLocation beside = SettingsLocation::resolve(dir.path());
    QCOMPARE(beside.filePath(), QDir(dir.path()).filePath(QStringLiteral("Settings.ini")));
    QVERIFY(beside.appDir().endsWith(QLatin1Char('/')));

    // A folder that cannot take the file (here: it does not exist) sends it elsewhere.
    const QString fallback = dir.filePath(QStringLiteral("config/deeper"));
    const SettingsLocation other =
        SettingsLocation::resolve(dir.filePath(QStringLiteral("missing")), fallback);
    QCOMPARE(other.filePath(), fallback + QStringLiteral("/Settings.ini"));
    QVERIFY(QFileInfo(fallback).isDir());
    QCOMPARE(other.appDir(), dir.filePath(QStringLiteral("missing")) + QLatin1Char('/'));
}

void TestConnection::simulatorOverPseudoTerminal()
{
    // The real serial transport against the switcher simulator: the pseudo-terminal shows up
    // in the port list, Connect opens it at 19200 8N1 and a command is answered.
    SwitcherDevice device;
    SimPty pty(device);
    if (!pty.open())
        QSKIP(qPrintable(QStringLiteral("no pseudo-terminal: ") + pty.errorString()));
    QTemporaryDir dir;
    RealClock clock;
    QtTransportFactory transports;
    ScriptedDialogs dialogs;
    ScriptedPortLister ports;
    ports.names = {pty.slavePath()};
    ProgramWindows windows(dialogs, transports, clock, ports,
                           SettingsLocation::inDirectory(dir.path()));
    TForm1 &form = windows.mainWindow();
    form.show();
    QCOMPARE(form.connection()->cbCOMList->currentText(), pty.slavePath());

    TCommandResult result;
    form.RunCommand(QStringLiteral("Setting..."), 2, 3, 3, 2, 0, 0, result);
    QCOMPARE(result.Success, std::uint8_t(1));
    QCOMPARE(form.statusText(1), pty.slavePath() + QStringLiteral(": Connected"));
    QCOMPARE(form.statusText(2), QStringLiteral("Done"));
    form.RunCommand(QStringLiteral("Getting Output2 ..."), 2, 1, 2, 0, 0, 0, result);
    QCOMPARE(result.Success, std::uint8_t(1));
    QCOMPARE(result.Reply[6], std::uint8_t(3)); // output 2 is fed from input 3 now

    // The cable is pulled: the port leaves the list and the next tick closes the link.
    pty.close();
    ports.names.clear();
    form.tmrTimer();
    QVERIFY(!form.link()->Connected());
    QCOMPARE(form.statusText(1), QStringLiteral("Disconnect"));
    QVERIFY(form.close());
    QVERIFY(dialogs.calls().isEmpty());
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
