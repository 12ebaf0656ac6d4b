#include "ContextRig.h"
#include "SimExchange.h"
#include "WidgetFinder.h"

#include "SwitcherDevice.h"
#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "shell/StatusBoard.h"
#include "shell/connection/ConnectionController.h"
#include "shell/devicestatus/DeviceStatusReader.h"
#include "shell/devicestatus/ui/DeviceStatusView.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

constexpr std::uint8_t Info = 1;

/// A command frame as it must appear on the wire.
QByteArray Frame(std::uint8_t command, std::uint8_t subcommand, std::uint16_t p1)
{
    const TCommandFrame frame = MakeFrame(command, subcommand, p1, 0);
    return QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size()));
}

QList<QByteArray> FullReading()
{
    QList<QByteArray> frames{Frame(Info, 1, 254), Frame(Info, 2, 254), Frame(Info, 3, 254)};
    for (std::uint8_t sub : {4, 5}) {
        for (int port = 1; port <= 4; ++port)
            frames << Frame(Info, sub, std::uint16_t(port));
    }
    return frames;
}

/// The device status column and its reader alone on a shell context, with the simulated
/// switcher behind the fake serial port; shown, not connected.
struct StatusRig
{
    StatusRig()
    {
        shell.window.layout()->addWidget(&view);
        shell.window.show();
        QObject::connect(&device, &SwitcherDevice::transmit, &device,
                         [this](const QByteArray &bytes) { shell.serial().deliver(bytes); });
        shell.serial().responder = [this](const QByteArray &written) { device.receive(written); };
    }

    /// Connects and forgets what the switcher received so far.
    bool connect()
    {
        const bool connected = shell.connect();
        device.state().clearLogs();
        return connected;
    }
    SwitcherState &sim() { return device.state(); }
    QList<QByteArray> received() const { return device.state().received; }
    QString status(StatusPanel panel) const { return shell.context.status().text(panel); }

    /// Runs `action` with each frame the simulator receives, before it is answered.
    void onFrame(std::function<void(const TCommandFrame &frame)> action)
    {
        OnEveryFrame(device, std::move(action));
    }

    QLabel *line(int tag) const { return view.FindInfoLabel(tag); }
    bool bold(int tag) const { return line(tag)->font().bold(); }
    /// The lines of the column, top to bottom: device, version, then input n beside output n.
    QStringList lines() const
    {
        QStringList texts{Child<QLabel>(&view, "lblDevice")->text(),
                          Child<QLabel>(&view, "lblVersion")->text()};
        for (int port = 1; port <= 4; ++port)
            texts << line(40 + port)->text() << line(80 + port)->text();
        return texts;
    }
    /// The same lines as the reader keeps them.
    QStringList readerLines() const
    {
        QStringList texts{reader.deviceLine().text, reader.versionLine().text};
        for (int port = 1; port <= 4; ++port)
            texts << reader.inputLine(port).text << reader.outputLine(port).text;
        return texts;
    }

    ContextRig shell;
    SwitcherDevice device;
    DeviceStatusReader reader{shell.context};
    DeviceStatusView view{reader, shell.context.connection(), &shell.window};
};

const QStringList NothingKnown{"Device: Not known",  "Version: Not known", "Input1: Not known",
                               "Output1: Not known", "Input2: Not known",  "Output2: Not known",
                               "Input3: Not known",  "Output3: Not known", "Input4: Not known",
                               "Output4: Not known"};

} // namespace

class TestDeviceStatus : public QObject
{
    Q_OBJECT
private slots:
    void linesAndButton();
    void readingConnectsFirstAndFillsThePage();
    void portQueriesUnanswered();
    void portLinesFollowTheAnswers();
    void earlyFailureLeavesThePage();
    void unknownKind();
    void singlePortQueries();
};

void TestDeviceStatus::linesAndButton()
{
    StatusRig rig;
    const DeviceStatusView &view = rig.view;

    QCOMPARE(Child<QPushButton>(&view, "btnGetDevStatus")->text(),
             QStringLiteral("D&evice status"));
    const std::pair<const char *, int> tags[] = {
        {"Label7", 41}, {"Label22", 81}, {"Label19", 84}, {"Label14", 48}, {"Label15", 88}};
    for (const auto &[name, tag] : tags) {
        QCOMPARE(Child<QLabel>(&view, name)->property("Tag").toInt(), tag);
        QCOMPARE(view.FindInfoLabel(tag), Child<QLabel>(&view, name));
    }
    auto *information = Child<QGroupBox>(&view, "GroupBox11");
    QVERIFY(!rig.line(45)->isVisibleTo(information));
    QVERIFY(rig.line(84)->isVisibleTo(information));
    QVERIFY(Child<QFrame>(&view, "Bevel3"));

    // Before any reading every line says "Not known".
    QCOMPARE(rig.lines(), NothingKnown);
    QCOMPARE(rig.readerLines(), NothingKnown);

    // Greyed with the shared connection controls while the link is busy.
    ConnectionController &connection = rig.shell.context.connection();
    auto *button = Child<QPushButton>(&view, "btnGetDevStatus");
    connection.UpdateModeControls(cmCOM, true);
    QVERIFY(!button->isEnabled());
    connection.UpdateModeControls(cmCOM, false);
    QVERIFY(button->isEnabled());
}

void TestDeviceStatus::readingConnectsFirstAndFillsThePage()
{
    StatusRig rig;
    rig.sim().kind = 2;
    rig.sim().versionMajor = 3;
    rig.sim().versionMinor = 14;
    rig.sim().sourceConnected = {true, false, false, true};
    rig.sim().displayConnected = {false, true, false, true};
    QVERIFY(!rig.shell.context.link()->Connected());
    const std::int64_t sleptBefore = rig.shell.clock.sleptMs();

    QTest::mouseClick(Child<QPushButton>(&rig.view, "btnGetDevStatus"), Qt::LeftButton);

    QVERIFY(rig.shell.context.link()->Connected());
    QCOMPARE(rig.received(), FullReading());
    QCOMPARE(rig.received().constFirst(), QByteArray::fromHex("a55b0101fe0000000000000000"));
    const QStringList filled{"Device: HDBT Matrix, 4x4", "Version: 3.14",
                             "Input1: Connected",        "Output1: Not connected",
                             "Input2: Not connected",    "Output2: Connected",
                             "Input3: Not connected",    "Output3: Not connected",
                             "Input4: Connected",        "Output4: Connected"};
    QCOMPARE(rig.lines(), filled);
    QCOMPARE(rig.readerLines(), filled);
    QVERIFY(rig.bold(41) && !rig.bold(42) && rig.bold(44));
    QVERIFY(!rig.bold(81) && rig.bold(82));
    QVERIFY(rig.reader.inputLine(1).bold && !rig.reader.outputLine(1).bold);
    QCOMPARE(rig.status(StatusPanel::Operation), QStringLiteral("Done"));
    // The connection settles, then 5 ms between the input queries.
    QCOMPARE(rig.shell.clock.sleptMs() - sleptBefore, 100 + 3 * 5);

    // The window's start brings every line back to "Not known".
    rig.reader.ResetDeviceInfo();
    QCOMPARE(rig.lines(), NothingKnown);
}

void TestDeviceStatus::portQueriesUnanswered()
{
    StatusRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.reader.ReadDeviceInfo());
    QVERIFY(rig.bold(41));
    rig.sim().versionMinor = 7;
    rig.onFrame([&rig](const TCommandFrame &frame) {
        if (frame[2] == Info && (frame[3] == 4 || frame[3] == 5))
            rig.device.faults().arm(SimFault::Refuse);
    });
    rig.device.state().clearLogs();

    QVERIFY(!rig.reader.ReadDeviceInfo());

    QCOMPARE(rig.lines(),
             (QStringList{"Device: HDMI Matrix, 4x4", "Version: 1.7", "Input1: Not known",
                          "Output1: Not known", "Input2: Not known", "Output2: Not known",
                          "Input3: Not known", "Output3: Not known", "Input4: Not known",
                          "Output4: Not known"}));
    // Every port was tried, three attempts each; the style of a line stays as it was.
    QCOMPARE(rig.received().size(), 3 + 8 * 3);
    QVERIFY(rig.bold(41));
    QVERIFY(rig.shell.context.flags().CommandIdle);
}

void TestDeviceStatus::portLinesFollowTheAnswers()
{
    StatusRig rig;
    QVERIFY(rig.connect());
    rig.sim().sourceConnected = {false, false, false, false};
    QVERIFY(rig.reader.ReadDeviceInfo());
    QCOMPARE(rig.line(42)->text(), QStringLiteral("Input2: Not connected"));
    QVERIFY(!rig.bold(42));

    rig.sim().sourceConnected[1] = true;
    QVERIFY(rig.reader.ReadDeviceInfo());
    QCOMPARE(rig.line(42)->text(), QStringLiteral("Input2: Connected"));
    QVERIFY(rig.bold(42));

    // A value neither 0 nor 255 keeps the line and its style.
    rig.sim().sourceAnswer[1] = 0x07;
    rig.sim().displayAnswer[0] = 0x07;
    rig.sim().sourceConnected[2] = true;
    QVERIFY(rig.reader.ReadDeviceInfo());
    QCOMPARE(rig.line(42)->text(), QStringLiteral("Input2: Connected"));
    QVERIFY(rig.bold(42));
    QCOMPARE(rig.line(81)->text(), QStringLiteral("Output1: Connected"));
    QCOMPARE(rig.line(43)->text(), QStringLiteral("Input3: Connected"));
}

void TestDeviceStatus::earlyFailureLeavesThePage()
{
    StatusRig rig;
    QVERIFY(rig.connect());
    const QStringList before = rig.lines();
    rig.onFrame([&rig](const TCommandFrame &frame) {
        if (frame[2] == Info && frame[3] == 2)
            rig.device.faults().arm(SimFault::Refuse);
    });

    QVERIFY(!rig.reader.ReadDeviceInfo());

    QCOMPARE(rig.lines(), before);
    QCOMPARE(rig.received().size(), 1 + 3);
    QCOMPARE(rig.status(StatusPanel::Operation), QStringLiteral("Send data failed!"));
}

void TestDeviceStatus::unknownKind()
{
    StatusRig rig;
    rig.sim().kind = 7;
    rig.sim().inputs = 8;
    rig.sim().outputs = 4;
    QVERIFY(rig.reader.ReadDeviceInfo());
    QCOMPARE(Child<QLabel>(&rig.view, "lblDevice")->text(),
             QStringLiteral("Device: Unknown (7), 8x4"));
    QCOMPARE(DeviceStatusReader::KindName(0), QStringLiteral("Unknown (0)"));
    QCOMPARE(DeviceStatusReader::KindName(3), QStringLiteral("HDMI+HDBT Matrix"));
}

void TestDeviceStatus::singlePortQueries()
{
    StatusRig rig;
    DeviceStatusReader &reader = rig.reader;
    QVERIFY(rig.connect());
    rig.sim().displayConnected = {true, false, true, true};
    rig.sim().displayAnswer[2] = 0x07;
    rig.sim().edidControlMode = 0x0F;

    QCOMPARE(reader.QueryOutputConnection(1), std::uint8_t(15));
    QCOMPARE(reader.QueryOutputConnection(2), std::uint8_t(240));
    QCOMPARE(reader.QueryOutputConnection(3), std::uint8_t(240));
    QCOMPARE(reader.QueryEDIDControlMode(), std::uint8_t(0x0F));
    QCOMPARE(rig.received(),
             (QList<QByteArray>{Frame(Info, 5, 1), Frame(Info, 5, 2), Frame(Info, 5, 3),
                                QByteArray::fromHex("a55b030b0000000000000000f2")}));
    QCOMPARE(rig.status(StatusPanel::Operation), QStringLiteral("Done"));

    rig.device.faults().arm(SimFault::Refuse, 6);
    QCOMPARE(reader.QueryOutputConnection(1), std::uint8_t(255));
    QCOMPARE(reader.QueryEDIDControlMode(), std::uint8_t(255));
    // The page's lines are not touched by these queries.
    QCOMPARE(rig.line(81)->text(), QStringLiteral("Output1: Not known"));
    QCOMPARE(rig.reader.outputLine(1).text, QStringLiteral("Output1: Not known"));
}

QTEST_MAIN(TestDeviceStatus)
#include "tst_device_status.moc"
