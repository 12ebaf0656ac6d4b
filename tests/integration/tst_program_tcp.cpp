// The whole program as the run script starts it: TCP control mode named by the settings
// file, the simulator on a loopback address, real transports and the real clock.
#include "ScriptedDialogs.h"
#include "ShellRig.h"
#include "TestFiles.h"

#include "ProgramWindows.h"
#include "SimTcpServer.h"
#include "SwitcherDevice.h"
#include "link/KXCOMControl.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"
#include "shell/routing/ui/LCD99.h"
#include "shell/routing/ui/RoutingView.h"
#include "shell/settings/SettingsLocation.h"
#include "shell/ui/MainWindow.h"

#include <QAbstractButton>
#include <QHostAddress>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

class ProgramTcpTest : public QObject
{
    Q_OBJECT
private slots:
    void runsAgainstTheSimulatorOverTcp()
    {
        const QString address = QStringLiteral("127.0.0.6");
        const QString entry = QStringLiteral("[Simulator]-[Static IP]-[") + address +
                              QStringLiteral("]-[00-1A-2B-3C-4D-5E]-[Same Subnet]");
        QTemporaryDir dir;
        const QString settingsPath = dir.filePath(QStringLiteral("Settings.ini"));
        QVERIFY(WriteFileBytes(
            settingsPath, ("[Control mode]\r\nMode=1\r\n[TCP control device]\r\nName=" + entry +
                           "\r\n[TCP control device list]\r\nDevice No.1=" + entry + "\r\n")
                              .toUtf8()));

        SwitcherDevice device;
        device.state().routing = {2, 4, 1, 3, 5, 6, 7, 8};
        SimTcpServer server(device);
        QVERIFY2(server.listen(QHostAddress(address)), qPrintable(server.errorString()));

        RealClock clock;
        QtTransportFactory transports;
        ScriptedDialogs dialogs;
        ScriptedPortLister ports;
        ProgramWindows windows(dialogs, transports, clock, ports,
                               SettingsLocation::inDirectory(dir.path()));
        TForm1 &form = windows.mainWindow();
        const TKXCOMControl &link = *windows.context().link();
        const RoutingView &routing = windows.routing();
        form.show();

        QVERIFY(form.findChild<QRadioButton *>(QStringLiteral("rbLANMode"))->isChecked());
        QCOMPARE(link.ControlMode(), cmLAN);
        QCOMPARE(link.DeviceIP(), address);
        QCOMPARE(form.statusText(1), QStringLiteral("Disconnect"));

        // Showing the routing page reads the routing; the first command connects.
        form.pcContainer->setCurrentWidget(form.tsSetting);
        QCOMPARE(form.statusText(1), address + QStringLiteral(": Connected"));
        QStringList shown;
        for (int output = 1; output <= 4; ++output)
            shown << routing.FindDisplay(output)->text();
        QCOMPARE(shown, (QStringList{"2", "4", "1", "3"}));
        QVERIFY(routing.FindInputButton(2, 4)->isChecked());

        // A click routes at once over the same connection.
        routing.FindInputButton(2, 3)->click();
        QCOMPARE(device.state().routing[1], std::uint8_t(3));
        QCOMPARE(form.statusText(2), QStringLiteral("Done"));

        form.pcContainer->setCurrentWidget(form.tsGeneral);
        form.findChild<QAbstractButton *>(QStringLiteral("btnGetDevStatus"))->click();
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("lblDevice"))->text(),
                 QStringLiteral("Device: HDMI Matrix, 4x4"));
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("lblVersion"))->text(),
                 QStringLiteral("Version: 1.2"));
        QVERIFY(dialogs.texts(ScriptedDialogs::Kind::Error).isEmpty());

        QVERIFY(form.close());
        // The settings are saved in COM control mode, as always.
        QVERIFY(FileBytes(settingsPath).contains("Mode=0"));
    }
};

QTEST_MAIN(ProgramTcpTest)
#include "tst_program_tcp.moc"
