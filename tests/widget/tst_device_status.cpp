#include "SimShellRig.h"

#include "link/KXCOMControl.h"
#include "shell/ui/ConnectionPanel.h"
#include "shell/ui/DeviceStatusView.h"
#include "shell/ui/MainWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

constexpr std::uint8_t Info = 1;

/// The lines of the page, top to bottom: device, version, then input n beside output n.
QStringList Lines(TForm1 &form)
{
    const DeviceStatusView &view = *form.deviceStatus();
    QStringList lines{view.lblDevice->text(), view.lblVersion->text()};
    for (int port = 1; port <= 4; ++port)
        lines << form.FindInfoLabel(40 + port)->text() << form.FindInfoLabel(80 + port)->text();
    return lines;
}

bool Bold(TForm1 &form, int tag)
{
    return form.FindInfoLabel(tag)->font().bold();
}

QList<QByteArray> FullReading()
{
    QList<QByteArray> frames{SimShellRig::Frame(Info, 1, 254), SimShellRig::Frame(Info, 2, 254),
                             SimShellRig::Frame(Info, 3, 254)};
    for (std::uint8_t sub : {4, 5}) {
        for (int port = 1; port <= 4; ++port)
            frames << SimShellRig::Frame(Info, sub, std::uint16_t(port));
    }
    return frames;
}

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
    SimShellRig rig;
    TForm1 &form = rig.form();
    DeviceStatusView &view = *form.deviceStatus();

    QCOMPARE(view.btnGetDevStatus->text(), QStringLiteral("D&evice status"));
    QCOMPARE(form.findChild<QLabel *>("Label7")->property("Tag").toInt(), 41);
    QCOMPARE(form.findChild<QLabel *>("Label22")->property("Tag").toInt(), 81);
    QCOMPARE(form.findChild<QLabel *>("Label19")->property("Tag").toInt(), 84);
    QCOMPARE(form.findChild<QLabel *>("Label14")->property("Tag").toInt(), 48);
    QCOMPARE(form.findChild<QLabel *>("Label15")->property("Tag").toInt(), 88);
    QVERIFY(!form.FindInfoLabel(45)->isVisibleTo(view.GroupBox11));
    QVERIFY(form.FindInfoLabel(84)->isVisibleTo(view.GroupBox11));
    QVERIFY(form.findChild<QFrame *>("Bevel3"));

    // After start-up every line says "Not known".
    QCOMPARE(Lines(form),
             (QStringList{"Device: Not known", "Version: Not known", "Input1: Not known",
                          "Output1: Not known", "Input2: Not known", "Output2: Not known",
                          "Input3: Not known", "Output3: Not known", "Input4: Not known",
                          "Output4: Not known"}));

    // Greyed with the shared connection controls while the link is busy.
    form.UpdateModeControls(cmCOM, true);
    QVERIFY(!view.btnGetDevStatus->isEnabled());
    form.UpdateModeControls(cmCOM, false);
    QVERIFY(view.btnGetDevStatus->isEnabled());
}

void TestDeviceStatus::readingConnectsFirstAndFillsThePage()
{
    SimShellRig rig;
    TForm1 &form = rig.form();
    rig.sim().kind = 2;
    rig.sim().versionMajor = 3;
    rig.sim().versionMinor = 14;
    rig.sim().sourceConnected = {true, false, false, true};
    rig.sim().displayConnected = {false, true, false, true};
    QVERIFY(!form.link()->Connected());
    const std::int64_t sleptBefore = rig.clock.sleptMs();

    QTest::mouseClick(form.deviceStatus()->btnGetDevStatus, Qt::LeftButton);

    QVERIFY(form.link()->Connected());
    QCOMPARE(rig.received(), FullReading());
    QCOMPARE(rig.received().constFirst(), QByteArray::fromHex("a55b0101fe0000000000000000"));
    QCOMPARE(Lines(form),
             (QStringList{"Device: HDBT Matrix, 4x4", "Version: 3.14", "Input1: Connected",
                          "Output1: Not connected", "Input2: Not connected", "Output2: Connected",
                          "Input3: Not connected", "Output3: Not connected", "Input4: Connected",
                          "Output4: Connected"}));
    QVERIFY(Bold(form, 41) && !Bold(form, 42) && Bold(form, 44));
    QVERIFY(!Bold(form, 81) && Bold(form, 82));
    QCOMPARE(form.statusText(2), QStringLiteral("Done"));
    // The connection settles, then 5 ms between the input queries.
    QCOMPARE(rig.clock.sleptMs() - sleptBefore, 100 + 3 * 5);
}

void TestDeviceStatus::portQueriesUnanswered()
{
    SimShellRig rig;
    TForm1 &form = rig.form();
    QVERIFY(rig.connect());
    QVERIFY(form.deviceStatus()->ReadDeviceInfo());
    QVERIFY(Bold(form, 41));
    rig.sim().versionMinor = 7;
    rig.onFrame([&rig](const TCommandFrame &frame) {
        if (frame[2] == Info && (frame[3] == 4 || frame[3] == 5))
            rig.device.faults().arm(SimFault::Refuse);
    });
    rig.clearReceived();

    QVERIFY(!form.deviceStatus()->ReadDeviceInfo());

    QCOMPARE(Lines(form),
             (QStringList{"Device: HDMI Matrix, 4x4", "Version: 1.7", "Input1: Not known",
                          "Output1: Not known", "Input2: Not known", "Output2: Not known",
                          "Input3: Not known", "Output3: Not known", "Input4: Not known",
                          "Output4: Not known"}));
    // Every port was tried, three attempts each; the style of a line stays as it was.
    QCOMPARE(rig.received().size(), 3 + 8 * 3);
    QVERIFY(Bold(form, 41));
    QVERIFY(form.flags().CommandIdle);
}

void TestDeviceStatus::portLinesFollowTheAnswers()
{
    SimShellRig rig;
    TForm1 &form = rig.form();
    DeviceStatusView &view = *form.deviceStatus();
    QVERIFY(rig.connect());
    rig.sim().sourceConnected = {false, false, false, false};
    QVERIFY(view.ReadDeviceInfo());
    QCOMPARE(form.FindInfoLabel(42)->text(), QStringLiteral("Input2: Not connected"));
    QVERIFY(!Bold(form, 42));

    rig.sim().sourceConnected[1] = true;
    QVERIFY(view.ReadDeviceInfo());
    QCOMPARE(form.FindInfoLabel(42)->text(), QStringLiteral("Input2: Connected"));
    QVERIFY(Bold(form, 42));

    // A value neither 0 nor 255 keeps the line and its style.
    rig.sim().sourceAnswer[1] = 0x07;
    rig.sim().displayAnswer[0] = 0x07;
    rig.sim().sourceConnected[2] = true;
    QVERIFY(view.ReadDeviceInfo());
    QCOMPARE(form.FindInfoLabel(42)->text(), QStringLiteral("Input2: Connected"));
    QVERIFY(Bold(form, 42));
    QCOMPARE(form.FindInfoLabel(81)->text(), QStringLiteral("Output1: Connected"));
    QCOMPARE(form.FindInfoLabel(43)->text(), QStringLiteral("Input3: Connected"));
}

void TestDeviceStatus::earlyFailureLeavesThePage()
{
    SimShellRig rig;
    TForm1 &form = rig.form();
    QVERIFY(rig.connect());
    const QStringList before = Lines(form);
    rig.onFrame([&rig](const TCommandFrame &frame) {
        if (frame[2] == Info && frame[3] == 2)
            rig.device.faults().arm(SimFault::Refuse);
    });

    QVERIFY(!form.deviceStatus()->ReadDeviceInfo());

    QCOMPARE(Lines(form), before);
    QCOMPARE(rig.received().size(), 1 + 3);
    QCOMPARE(form.statusText(2), QStringLiteral("Send data failed!"));
}

void TestDeviceStatus::unknownKind()
{
    SimShellRig rig;
    rig.sim().kind = 7;
    rig.sim().inputs = 8;
    rig.sim().outputs = 4;
    QVERIFY(rig.form().deviceStatus()->ReadDeviceInfo());
    QCOMPARE(rig.form().deviceStatus()->lblDevice->text(),
             QStringLiteral("Device: Unknown (7), 8x4"));
    QCOMPARE(DeviceStatusView::KindName(0), QStringLiteral("Unknown (0)"));
    QCOMPARE(DeviceStatusView::KindName(3), QStringLiteral("HDMI+HDBT Matrix"));
}

void TestDeviceStatus::singlePortQueries()
{
    SimShellRig rig;
    DeviceStatusView &view = *rig.form().deviceStatus();
    QVERIFY(rig.connect());
    rig.sim().displayConnected = {true, false, true, true};
    rig.sim().displayAnswer[2] = 0x07;
    rig.sim().edidControlMode = 0x0F;

    QCOMPARE(view.QueryOutputConnection(1), std::uint8_t(15));
    QCOMPARE(view.QueryOutputConnection(2), std::uint8_t(240));
    QCOMPARE(view.QueryOutputConnection(3), std::uint8_t(240));
    QCOMPARE(view.QueryEDIDControlMode(), std::uint8_t(0x0F));
    QCOMPARE(rig.received(),
             (QList<QByteArray>{SimShellRig::Frame(Info, 5, 1), SimShellRig::Frame(Info, 5, 2),
                                SimShellRig::Frame(Info, 5, 3),
                                QByteArray::fromHex("a55b030b0000000000000000f2")}));
    QCOMPARE(rig.form().statusText(2), QStringLiteral("Done"));

    rig.device.faults().arm(SimFault::Refuse, 6);
    QCOMPARE(view.QueryOutputConnection(1), std::uint8_t(255));
    QCOMPARE(view.QueryEDIDControlMode(), std::uint8_t(255));
    // The page's lines are not touched by these queries.
    QCOMPARE(rig.form().FindInfoLabel(81)->text(), QStringLiteral("Output1: Not known"));
}

QTEST_MAIN(TestDeviceStatus)
#include "tst_device_status.moc"
