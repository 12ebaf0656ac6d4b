#include "ContextRig.h"
#include "ShellRig.h"
#include "WidgetFinder.h"
#include "WidgetTexts.h"

#include "ProgramWindows.h"
#include "SimPty.h"
#include "SwitcherDevice.h"
#include "link/KXCOMControl.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"
#include "shell/LinkFailures.h"
#include "shell/StatusBoard.h"
#include "shell/TextLog.h"
#include "shell/connection/ConnectionController.h"
#include "shell/connection/SerialPortText.h"
#include "shell/connection/ui/ConnectionPanel.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/settings/SettingsFile.h"
#include "shell/settings/SettingsLocation.h"
#include "shell/ui/MainWindow.h"
#include "ui/SortedComboBox.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QString DeviceMAC = QStringLiteral("00-1A-2B-3C-4D-5E");

/// The connection panel alone on a shell context, shown.
struct PanelRig
{
    explicit PanelRig(const QStringList &ports = {QStringLiteral("ttyS0"),
                                                  QStringLiteral("ttyUSB0")})
        : shell(ports)
    {
        shell.window.layout()->addWidget(&panel);
        shell.window.show();
    }

    ShellContext &context() { return shell.context; }
    ConnectionController &controller() { return shell.context.connection(); }
    TKXCOMControl &link() { return *shell.context.link(); }
    QString status(StatusPanel panel) const { return shell.context.status().text(panel); }
    template <typename T> T *child(const char *name) const { return Child<T>(&panel, name); }
    QComboBox *ports() const { return child<QComboBox>("cbCOMList"); }
    QPushButton *connectButton() const { return child<QPushButton>("btnConnect"); }

    ContextRig shell;
    ConnectionPanel panel{shell.context, &shell.window};
};

/// Which controls follow the control mode: those of serial control, of TCP control, and
/// those that only a running configuration disables.
struct ModeControls
{
    QStringList com;
    QStringList lan;
    QStringList any;
};

/// Every named control under `root` is enabled as expected; a group's caption takes the
/// theme's text colour, greyed when disabled.
void ExpectModeControls(const QWidget *root, const ModeControls &names, bool com, bool lan,
                        bool any)
{
    const auto check = [root](const QStringList &list, bool enabled) {
        for (const QString &name : list) {
            const auto *control = root->findChild<QWidget *>(name);
            QVERIFY2(control, qPrintable(name));
            QVERIFY2(control->isEnabled() == enabled, qPrintable(name));
            if (const auto *group = qobject_cast<const QGroupBox *>(control)) {
                const auto state = enabled ? QPalette::Active : QPalette::Disabled;
                QVERIFY2(group->palette().color(state, QPalette::WindowText) ==
                             QApplication::palette(group).color(state, QPalette::WindowText),
                         qPrintable(name));
            }
        }
    };
    check(names.com, com);
    check(names.lan, lan);
    check(names.any, any);
}

const ModeControls PanelControls{{"gbCOMMode", "lblPort", "cbCOMList"},
                                 {},
                                 {"gbModeSelect", "rbCOMMode", "rbLANMode", "btnConnect"}};

// The other features' controls that follow the mode: the network device group, the network
// module's maintenance (through the serial line) and the device status button.
const ModeControls ProgramControls{
    {"gbTCPModInfo", "lblTCPVersion", "lblTCPDHCP", "lblTCPIPAddr", "btnQueryTCPModInfo",
     "gbResetDefault", "btnReset"},
    {"gbLANMode", "cbLANDevice", "btnSearchDevice", "btnConfig", "btnDeleteDevice"},
    {"btnGetDevStatus"}};

void ModeRows()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("com");
    QTest::addColumn<bool>("lan");
    QTest::addColumn<bool>("any");
    QTest::newRow("COM mode") << int(cmCOM) << false << true << false << true;
    QTest::newRow("TCP mode") << int(cmLAN) << false << false << true << true;
    QTest::newRow("busy in COM mode") << int(cmCOM) << true << false << false << false;
    QTest::newRow("busy in TCP mode") << int(cmLAN) << true << false << false << false;
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT
private slots:
    // The connection panel alone.
    void savedPortIsSelected();
    void portListRebuildRules();
    void vanishedPortClosesConnection();
    void emptyPortList();
    void portDescriptions_data();
    void portDescriptions();
    void portListShowsWhatTheSystemKnows();
    void openFailureKeepsItsReason_data();
    void openFailureKeepsItsReason();
    void connectToggles();
    void modeSwitchClosesAndReloadsTags();
    void lanModeIgnoredWhileSearching();
    void modeControls_data() { ModeRows(); }
    void modeControls();
    void panelLayout();
    // In the whole program.
    void otherControlsFollowTheMode_data() { ModeRows(); }
    void otherControlsFollowTheMode();
    void networkGroupsExistHidden();
    void simulatorOverPseudoTerminal();
    // Helpers of the connection.
    void sortedDeviceList();
    void settingsLocation();
};

void TestConnection::savedPortIsSelected()
{
    PanelRig rig({QStringLiteral("COM1"), QStringLiteral("COM3")});
    rig.shell.writeSettings("[COM port]\r\nName=com3\r\n");
    SettingsFile &settings = rig.context().settings();
    settings.addPart(rig.panel);

    settings.LoadSettings();
    QCOMPARE(ComboItems(rig.ports()), (QStringList{"COM1", "COM3"}));
    QCOMPARE(rig.ports()->currentText(), QStringLiteral("COM3"));
    QCOMPARE(rig.controller().selectedPortName(), QStringLiteral("COM3"));
    QCOMPARE(rig.link().ControlMode(), cmCOM);
    QVERIFY(settings.SaveSettings().ok());
    QVERIFY(rig.shell.readSettings().contains("Name=COM3"));
}

void TestConnection::portListRebuildRules()
{
    PanelRig rig({QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0"), QStringLiteral("ttyS0")});
    QComboBox *ports = rig.ports();
    QStringList &system = rig.shell.portLister.names;
    // A name listed twice is kept once.
    QCOMPARE(ComboItems(ports), (QStringList{"ttyS0", "ttyUSB0"}));
    ports->setCurrentIndex(1);
    QCOMPARE(rig.controller().selectedPort(), 1);

    // Only the order changed: the list stays as it is, and so does the choice.
    system = {QStringLiteral("ttyUSB0"), QStringLiteral("ttyS0")};
    rig.controller().RefreshComPortList();
    QCOMPARE(ComboItems(ports), (QStringList{"ttyS0", "ttyUSB0"}));
    QCOMPARE(ports->currentText(), QStringLiteral("ttyUSB0"));

    // A new port: rebuilt in the system's order; the link's port is selected again.
    rig.link().setComPort(QStringLiteral("ttyUSB0"));
    system = {QStringLiteral("ttyACM0"), QStringLiteral("ttyUSB0"), QStringLiteral("ttyS0")};
    rig.controller().RefreshComPortList();
    QCOMPARE(ComboItems(ports), (QStringList{"ttyACM0", "ttyUSB0", "ttyS0"}));
    QCOMPARE(ports->currentText(), QStringLiteral("ttyUSB0"));

    // A port disappears while disconnected: the first port is selected.
    system = {QStringLiteral("ttyACM0"), QStringLiteral("ttyS0")};
    rig.controller().RefreshComPortList();
    QCOMPARE(ComboItems(ports), (QStringList{"ttyACM0", "ttyS0"}));
    QCOMPARE(ports->currentText(), QStringLiteral("ttyACM0"));
    QCOMPARE(rig.controller().selectedPortName(), QStringLiteral("ttyACM0"));
    QCOMPARE(rig.shell.serial().closeCalls, 0);
}

void TestConnection::vanishedPortClosesConnection()
{
    PanelRig rig;
    rig.ports()->setCurrentIndex(1);
    rig.controller().btnConnectClick();
    QVERIFY(rig.link().Connected());
    QCOMPARE(rig.status(StatusPanel::Connection), QStringLiteral("ttyUSB0: Connected"));

    // The adapter is pulled; the next refresh notices it.
    rig.shell.portLister.names = {QStringLiteral("ttyS0")};
    rig.shell.clock.advance(1000ms);
    rig.controller().RefreshComPortList();
    QVERIFY(!rig.link().Connected());
    QCOMPARE(rig.shell.serial().closeCalls, 1);
    QCOMPARE(rig.status(StatusPanel::Connection), QStringLiteral("Disconnect"));
    QCOMPARE(rig.connectButton()->text(), QStringLiteral("&Connect"));
    QVERIFY(rig.child<QLabel>("imgClose")->isVisible());
    QVERIFY(!rig.child<QLabel>("imgOpen")->isVisible());
    QVERIFY(rig.ports()->isEnabled());
    QCOMPARE(ComboItems(rig.ports()), QStringList{"ttyS0"});
    QCOMPARE(rig.ports()->currentText(), QStringLiteral("ttyS0"));

    // Other ports coming and going leave an open connection alone.
    rig.controller().btnConnectClick();
    QVERIFY(rig.link().Connected());
    rig.shell.portLister.names = {QStringLiteral("ttyS0"), QStringLiteral("ttyS1")};
    rig.controller().RefreshComPortList();
    QVERIFY(rig.link().Connected());
    QCOMPARE(rig.ports()->currentText(), QStringLiteral("ttyS0"));
}

void TestConnection::emptyPortList()
{
    PanelRig rig(QStringList{});
    QCOMPARE(rig.ports()->count(), 0);
    QCOMPARE(rig.ports()->currentIndex(), -1);
    // No port name is written, so a name saved earlier survives.
    rig.context().settings().addPart(rig.panel);
    QVERIFY(rig.context().settings().SaveSettings().ok());
    QVERIFY(!rig.shell.readSettings().isEmpty());
    QVERIFY(!rig.shell.readSettings().contains("[COM port]"));

    rig.shell.serial().openFails = true; // a port without a name does not open
    rig.controller().btnConnectClick();
    QCOMPARE(rig.shell.serial().target(), QString());
    QCOMPARE(rig.status(StatusPanel::Operation), QStringLiteral("Open COM [] failed"));
    QCOMPARE(rig.status(StatusPanel::Connection), QStringLiteral("Disconnect"));
}

void TestConnection::portDescriptions_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("serialNumber");
    QTest::addColumn<QString>("shown");
    QTest::newRow("all three") << "FT232R USB UART"
                               << "FTDI"
                               << "A50285BI"
                               << "FT232R USB UART (FTDI, A50285BI)";
    QTest::newRow("manufacturer in the description") << "FTDI FT232R"
                                                     << "ftdi"
                                                     << ""
                                                     << "FTDI FT232R";
    QTest::newRow("manufacturer only") << ""
                                       << "Prolific"
                                       << ""
                                       << "Prolific";
    QTest::newRow("serial number only") << ""
                                        << ""
                                        << "0001"
                                        << "0001";
    QTest::newRow("nothing known") << ""
                                   << ""
                                   << ""
                                   << "";
}

void TestConnection::portDescriptions()
{
    QFETCH(QString, description);
    QFETCH(QString, manufacturer);
    QFETCH(QString, serialNumber);
    QFETCH(QString, shown);
    QCOMPARE(SerialPortDescription(description, manufacturer, serialNumber), shown);
}

void TestConnection::portListShowsWhatTheSystemKnows()
{
    PanelRig rig({QStringLiteral("ttyS0")});
    rig.shell.portLister.descriptions.insert(QStringLiteral("ttyUSB0"),
                                             QStringLiteral("FT232R USB UART"));
    rig.shell.portLister.names = {QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0")};
    rig.controller().RefreshComPortList();
    QCOMPARE(ComboItems(rig.ports()), (QStringList{"ttyS0", "ttyUSB0 - FT232R USB UART"}));

    // The port is opened and stored by its name.
    rig.ports()->setCurrentIndex(1);
    rig.connectButton()->click();
    QCOMPARE(rig.shell.serial().target(), QStringLiteral("ttyUSB0"));
    QCOMPARE(rig.status(StatusPanel::Connection), QStringLiteral("ttyUSB0: Connected"));
    rig.context().settings().addPart(rig.panel);
    QVERIFY(rig.context().settings().SaveSettings().ok());
    QVERIFY(rig.shell.readSettings().contains("Name=ttyUSB0\r\n"));
}

void TestConnection::openFailureKeepsItsReason_data()
{
    using Failure = StreamEndpoint::Failure;
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("hint");
    QTest::newRow("permission") << int(Failure::Permission) << "/dev/ttyUSB0: Permission denied"
                                << "Permission denied - " + LinkFailures::SerialPermissionHint();
    QTest::newRow("busy") << int(Failure::Busy) << "/dev/ttyUSB0: Device or resource busy"
                          << "Device or resource busy";
    QTest::newRow("gone") << int(Failure::NotFound) << "/dev/ttyUSB0: No such file or directory"
                          << "No such file or directory";
}

void TestConnection::openFailureKeepsItsReason()
{
    QFETCH(int, failure);
    QFETCH(QString, system);
    QFETCH(QString, hint);
    PanelRig rig;
    rig.ports()->setCurrentIndex(1);
    FakeStreamEndpoint &port = rig.shell.serial();
    port.openFails = true;
    port.openFailure = StreamEndpoint::Failure(failure);
    port.openError = system;
    rig.connectButton()->click();
    QCOMPARE(rig.status(StatusPanel::Operation), QStringLiteral("Open COM [ttyUSB0] failed"));
    QCOMPARE(rig.status(StatusPanel::Hint), hint);
}

void TestConnection::connectToggles()
{
    PanelRig rig;
    QPushButton *button = rig.connectButton();
    QCOMPARE(button->text(), QStringLiteral("&Connect"));
    QVERIFY(rig.child<QLabel>("imgClose")->isVisible());
    rig.context().ShowStatus(StatusPanel::Operation, QStringLiteral("old text"));
    const auto slept = rig.shell.clock.sleptMs();

    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(rig.link().Connected());
    QCOMPARE(rig.link().ComPort(), QStringLiteral("ttyS0"));
    QCOMPARE(button->text(), QStringLiteral("&Disconnect"));
    QVERIFY(button->isEnabled());
    QVERIFY(!rig.ports()->isEnabled());
    QVERIFY(rig.child<QLabel>("imgOpen")->isVisible());
    QVERIFY(!rig.child<QLabel>("imgClose")->isVisible());
    QCOMPARE(rig.status(StatusPanel::Connection), QStringLiteral("ttyS0: Connected"));
    QCOMPARE(rig.status(StatusPanel::Operation), QString());
    QCOMPARE(rig.shell.clock.sleptMs() - slept, 100);
    QCOMPARE(rig.shell.serial().clearCalls, 1); // buffers cleared after opening

    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!rig.link().Connected());
    QCOMPARE(rig.shell.serial().closeCalls, 1);
    QCOMPARE(button->text(), QStringLiteral("&Connect"));
    QVERIFY(rig.ports()->isEnabled());
    QVERIFY(rig.child<QLabel>("imgClose")->isVisible());
    QVERIFY(!rig.child<QLabel>("imgOpen")->isVisible());
    QCOMPARE(rig.status(StatusPanel::Connection), QStringLiteral("Disconnect"));
    QCOMPARE(rig.shell.clock.sleptMs() - slept, 200);
}

void TestConnection::modeSwitchClosesAndReloadsTags()
{
    PanelRig rig;
    rig.shell.writeSettings("[Tag of Input - COM]\r\nIn1=COM cam\r\n"
                            "[Tag of Input - TCP:00-1A-2B-3C-4D-5E]\r\nIn1=TCP cam\r\n");
    // Each change of the tags in use: the first input's tag, and the link at that moment.
    QStringList steps;
    QObject::connect(&rig.context().portTags(), &PortTagsModel::changed, &rig.panel, [&] {
        steps.append(QStringLiteral("In1=") + rig.context().portTags().inputTag(1) +
                     QStringLiteral(", connected=") + QString::number(rig.link().Connected()) +
                     QStringLiteral(", mode=") + QString::number(int(rig.link().ControlMode())));
    });
    rig.controller().btnConnectClick();
    QVERIFY(rig.link().Connected());

    rig.context().selectDevice(DeviceMAC, QStringLiteral("127.0.0.2"));
    rig.child<QRadioButton>("rbLANMode")->click();
    QVERIFY(rig.controller().lanSelected());
    // Cleared once closed, then the set of the device loaded in the new mode.
    const QStringList toTcp{"In1=, connected=0, mode=1", "In1=TCP cam, connected=0, mode=0"};
    QCOMPARE(steps, toTcp);
    QVERIFY(!rig.link().Connected());
    QCOMPARE(rig.link().ControlMode(), cmLAN);
    QCOMPARE(rig.status(StatusPanel::Connection), QStringLiteral("Disconnect"));
    QCOMPARE(rig.context().diagnostics().lines(), QStringList{DeviceMAC});

    steps.clear();
    rig.controller().btnConnectClick();
    QCOMPARE(rig.status(StatusPanel::Connection), QStringLiteral("127.0.0.2: Connected"));
    rig.child<QRadioButton>("rbCOMMode")->click();
    QVERIFY(!rig.controller().lanSelected());
    const QStringList toCom{"In1=, connected=0, mode=0", "In1=COM cam, connected=0, mode=1"};
    QCOMPARE(steps, toCom);
    QCOMPARE(rig.shell.tcp().closeCalls, 1);
    QCOMPARE(rig.link().ControlMode(), cmCOM);
}

void TestConnection::lanModeIgnoredWhileSearching()
{
    PanelRig rig;
    rig.controller().btnConnectClick();
    rig.link().setSearching(true);
    rig.controller().rbLANModeClick();
    QCOMPARE(rig.link().ControlMode(), cmCOM);
    QVERIFY(rig.link().Connected());
    QVERIFY(rig.context().diagnostics().lines().isEmpty());
}

void TestConnection::modeControls()
{
    QFETCH(int, mode);
    QFETCH(bool, busy);
    QFETCH(bool, com);
    QFETCH(bool, lan);
    QFETCH(bool, any);
    PanelRig rig;
    // From the opposite state, so that every control has to change.
    rig.controller().UpdateModeControls(TControlMode(mode), !busy);
    rig.controller().UpdateModeControls(TControlMode(mode), busy);
    ExpectModeControls(&rig.panel, PanelControls, com, lan, any);
}

void TestConnection::panelLayout()
{
    PanelRig rig;
    QVERIFY(!rig.child<QGroupBox>("gbModeSelect")->isVisible());
    QVERIFY(rig.child<QGroupBox>("gbCOMMode")->isVisible());
    QVERIFY(rig.child<QGroupBox>("GroupBox10")->isVisible());
    QCOMPARE(rig.child<QGroupBox>("gbCOMMode")->title(), QStringLiteral("COM control mode"));
    QCOMPARE(rig.child<QGroupBox>("GroupBox10")->title(), QStringLiteral("Connection"));
    QCOMPARE(rig.child<QLabel>("imgOpen")->size(), QSize(33, 33));
    QVERIFY(rig.child<QRadioButton>("rbCOMMode")->isChecked());
    for (QWidget *widget : rig.panel.findChildren<QWidget *>()) {
        if (qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractButton *>(widget) ||
            qobject_cast<QGroupBox *>(widget))
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
    }
}

void TestConnection::otherControlsFollowTheMode()
{
    QFETCH(int, mode);
    QFETCH(bool, busy);
    QFETCH(bool, com);
    QFETCH(bool, lan);
    QFETCH(bool, any);
    ShellRig rig;
    TForm1 &form = rig.show();
    if (mode == cmCOM && !busy) // the state after start-up
        ExpectModeControls(&form, ProgramControls, com, lan, any);
    form.UpdateModeControls(TControlMode(mode), !busy);
    form.UpdateModeControls(TControlMode(mode), busy);
    ExpectModeControls(&form, PanelControls, com, lan, any);
    ExpectModeControls(&form, ProgramControls, com, lan, any);
}

void TestConnection::networkGroupsExistHidden()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    ConnectionPanel &panel = rig.windows->connection();
    auto *lanGroup = Child<QGroupBox>(&form, "gbLANMode");
    auto *info = Child<QGroupBox>(&form, "gbTCPModInfo");
    auto *reset = Child<QGroupBox>(&form, "gbResetDefault");
    // The network device group sits in the connection column, under the mode selector.
    QVERIFY(panel.isAncestorOf(lanGroup));
    QVERIFY(!lanGroup->isVisible());
    QCOMPARE(lanGroup->title(), QStringLiteral("TCP control mode"));
    QCOMPARE(Child<QPushButton>(&form, "btnDeleteDevice")->text(), QStringLiteral("×"));
    QVERIFY(info->isHidden());
    QVERIFY(reset->isHidden());
    QCOMPARE(info->title(), QStringLiteral("TCP Module infomation"));
    QCOMPARE(Child<QPushButton>(&form, "btnQueryTCPModInfo")->text(), QStringLiteral("&Query"));
    QCOMPARE(Child<QPushButton>(&form, "btnReset")->text(), QStringLiteral("&Reset ..."));
    QVERIFY(form.tsIR->isAncestorOf(info));
    QVERIFY(form.tsIR->isAncestorOf(reset));
    for (const QWidget *root : {static_cast<QWidget *>(&panel), info->parentWidget()}) {
        for (QWidget *widget : root->findChildren<QWidget *>()) {
            if (qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractButton *>(widget) ||
                qobject_cast<QGroupBox *>(widget))
                QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
        }
    }
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
    QCOMPARE(Child<QComboBox>(&form, "cbCOMList")->currentText(), pty.slavePath());

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
    QVERIFY(!windows.context().link()->Connected());
    QCOMPARE(form.statusText(1), QStringLiteral("Disconnect"));
    QVERIFY(form.close());
    QVERIFY(dialogs.calls().isEmpty());
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

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
