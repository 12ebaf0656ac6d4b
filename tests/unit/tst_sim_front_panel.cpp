#include "SimExchange.h"
#include "SimFrontPanel.h"
#include "SimOptions.h"
#include "SwitcherDevice.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

QString Describe(const std::vector<SimFrontPanelStep> &steps)
{
    QStringList parts;
    for (const SimFrontPanelStep &step : steps)
        parts
            << QStringLiteral("%1:%2<%3").arg(step.delay.count()).arg(step.output).arg(step.input);
    return parts.join(QLatin1Char(' '));
}

} // namespace

/// Routing changed at the switcher itself (front panel, IR remote) and the switcher's size.
class tst_SimFrontPanel : public QObject
{
    Q_OBJECT

private slots:
    void nextPollSeesFrontPanelRoute();
    void size_data();
    void size();
    void script_data();
    void script();
    void scriptFileIsBounded();
    void playsStepsOnTime();
};

void tst_SimFrontPanel::nextPollSeesFrontPanelRoute()
{
    SwitcherDevice device;
    QSignalSpy transmitted(&device, &SwitcherDevice::transmit);
    QVERIFY(device.state().frontPanelRoute(2, 3));
    QCOMPARE(transmitted.count(), 0); // the switcher tells nobody
    QCOMPARE(Exchange(device, FrameBytes(0x02, 0x01, 2)), FrameBytes(0x02, 0x01, 2, 3));

    // Ports the switcher does not have change nothing.
    QVERIFY(!device.state().frontPanelRoute(5, 1));
    QVERIFY(!device.state().frontPanelRoute(2, 5));
    QVERIFY(!device.state().frontPanelRoute(0, 1));
    QCOMPARE(device.state().routing[1], 3);
}

void tst_SimFrontPanel::size_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("size"); // 0: the arguments are refused
    QTest::newRow("default") << QStringList{"--pty"} << 4;
    QTest::newRow("eight") << QStringList{"--pty", "--size", "8"} << 8;
    QTest::newRow("four") << QStringList{"--pty", "--size", "4"} << 4;
    QTest::newRow("five") << QStringList{"--pty", "--size", "5"} << 0;
    QTest::newRow("sixteen") << QStringList{"--pty", "--size", "16"} << 0;
    QTest::newRow("missing") << QStringList{"--pty", "--size"} << 0;
}

void tst_SimFrontPanel::size()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, size);
    QString error;
    const auto options = SimOptions::Parse(arguments, &error);
    QCOMPARE(options.has_value(), size != 0);
    if (!options)
        return;
    SwitcherDevice device;
    options->applyTo(device.state());
    const auto n = std::uint16_t(size);
    QCOMPARE(Exchange(device, FrameBytes(0x01, 0x02, 0xFE)), FrameBytes(0x01, 0x02, n, n));
    QCOMPARE(Exchange(device, FrameBytes(0x02, 0x03, n, n)), FrameBytes(0x02, 0x03, n, n));
    QCOMPARE(Exchange(device, FrameBytes(0x02, 0x01, n)), FrameBytes(0x02, 0x01, n, n));
    QCOMPARE(Exchange(device, FrameBytes(0x02, 0x03, 1, n + 1)),
             FrameBytes(0x02, 0x03, 0xFF, n + 1));
}

void tst_SimFrontPanel::script_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("ports");
    QTest::addColumn<QString>("steps"); // or the start of the error
    const auto row = [](const char *name, const QByteArray &text, int ports, const char *steps) {
        QTest::newRow(name) << text << ports << QString::fromUtf8(steps);
    };
    row("steps", "# lobby\n500 route 2 3\n\n  0\troute 1 1 \r\n", 4, "500:2<3 0:1<1");
    row("empty", "", 4, "");
    row("eight ports", "10 route 8 7\n", 8, "10:8<7");
    row("output beyond the size", "10 route 5 1\n", 4, "error: line 1");
    row("bad line named", "1 route 1 1\nx\n", 4, "error: line 2");
    row("negative delay", "-5 route 1 1\n", 4, "error: line 1");
    row("signed delay", "+5 route 1 1\n", 4, "error: line 1");
    row("delay too long", "600001 route 1 1\n", 4, "error: line 1");
    row("other word", "10 switch 1 1\n", 4, "error: line 1");
    row("extra field", "10 route 1 1 1\n", 4, "error: line 1");
}

void tst_SimFrontPanel::script()
{
    QFETCH(QByteArray, text);
    QFETCH(int, ports);
    QFETCH(QString, steps);
    QString error;
    const auto parsed = SimFrontPanelScript::Parse(text, ports, &error);
    QCOMPARE(parsed ? Describe(*parsed) : QStringLiteral("error: ") + error.left(6), steps);
}

void tst_SimFrontPanel::scriptFileIsBounded()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("script"));
    QString error;
    QVERIFY(!SimFrontPanelScript::Load(path, 4, &error));
    QVERIFY(error.startsWith(path));

    QByteArray text = "1 route 1 2\n";
    QVERIFY(WriteFileBytes(path, text.leftJustified(SimFrontPanelScript::MaxFileBytes, '\n')));
    const auto steps = SimFrontPanelScript::Load(path, 4, &error);
    QVERIFY2(steps, qPrintable(error));
    QCOMPARE(Describe(*steps), QStringLiteral("1:1<2"));

    QVERIFY(WriteFileBytes(path, text.leftJustified(SimFrontPanelScript::MaxFileBytes + 1, '\n')));
    QVERIFY(!SimFrontPanelScript::Load(path, 4, &error));
    QVERIFY(error.contains(QStringLiteral("longer than")));
}

void tst_SimFrontPanel::playsStepsOnTime()
{
    SwitcherDevice device;
    SimFrontPanel panel(device.state(), {{30ms, 1, 3}, {20ms, 1, 4}, {0ms, 7, 1}});
    QElapsedTimer clock;
    QStringList seen;
    connect(&panel, &SimFrontPanel::routed, this, [&](int output, int input, bool accepted) {
        seen << QStringLiteral("%1<%2 %3 now %4")
                    .arg(output)
                    .arg(input)
                    .arg(accepted ? "done" : "refused")
                    .arg(device.state().routing[0]);
        QVERIFY(clock.elapsed() >= (seen.size() == 1 ? 30 : 50));
    });
    QSignalSpy finished(&panel, &SimFrontPanel::finished);
    clock.start();
    panel.start();
    QCOMPARE(panel.stepsDone(), std::size_t(0));
    QVERIFY(finished.wait(2000));
    QCOMPARE(seen, QStringList({"1<3 done now 3", "1<4 done now 4", "7<1 refused now 4"}));
    QCOMPARE(panel.stepsDone(), std::size_t(3));
}

QTEST_GUILESS_MAIN(tst_SimFrontPanel)
#include "tst_sim_front_panel.moc"
