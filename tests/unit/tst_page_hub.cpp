// The control pages' side of the bridge without sockets: what a page is shown, what its
// commands do on the switcher and what every page and Videohub client sees afterwards.
#include "BridgeRig.h"

#include "PageHub.h"
#include "shell/CommandGate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Bridge::Web;

namespace {

const QByteArray Settings = "[Tag of Input - COM]\r\nIn1=Camera\r\nIn2=\r\nIn3=\r\nIn4=\r\n"
                            "[Pre-Setting name]\r\nSetting3=Lecture\r\nSetting4=Broken\r\n"
                            "[Pre-Setting value]\r\nvalue3=3,3,4,3\r\nvalue4=2,x,9,1\r\n";

/// A page as the hub sees it: every message it is sent is kept.
class RecordingPage final : public PageChannel
{
public:
    void send(const QByteArray &message) override
    {
        messages << QJsonDocument::fromJson(message).object();
    }
    QString peer() const override { return QStringLiteral("page"); }

    QJsonObject last(const QString &type) const
    {
        for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
            if (it->value(QStringLiteral("type")).toString() == type)
                return *it;
        }
        return {};
    }
    /// "done", "done: why", "error: why", or "" when no answer came.
    QString answer() const
    {
        for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
            const QString type = it->value(QStringLiteral("type")).toString();
            if (type == QLatin1String("state"))
                continue;
            const QString why = it->value(QStringLiteral("message")).toString();
            return type + (why.isEmpty() ? QString() : QStringLiteral(": ") + why);
        }
        return {};
    }
    QString routing() const
    {
        QStringList inputs;
        for (const QJsonValue &input :
             last(QStringLiteral("state"))[QStringLiteral("routing")].toArray())
            inputs << QString::number(input.toInt());
        return inputs.join(QLatin1Char(','));
    }
    /// The numbers of the presets marked active.
    QList<int> active() const
    {
        QList<int> numbers;
        for (const QJsonValue &preset :
             last(QStringLiteral("state"))[QStringLiteral("presets")].toArray())
            if (preset[QStringLiteral("active")].toBool())
                numbers << preset[QStringLiteral("number")].toInt();
        return numbers;
    }

    QList<QJsonObject> messages;
};

struct HubRig : BridgeRig
{
    HubRig() : BridgeRig(SerialTarget(), Settings) {}

    void settle()
    {
        QVERIFY(waitFor([&] { return context.gate().queuedJobs() == 0; }));
    }

    PageHub hub{bridge, settingsPath()};
};

} // namespace

class tst_PageHub : public QObject
{
    Q_OBJECT

private slots:
    void stateWhenOpened();
    void commands_data();
    void commands();
    void frontPanelChangeWithinAPoll();
    void offline();
    void boundedQueue();
};

void tst_PageHub::stateWhenOpened()
{
    HubRig rig;
    rig.device.state().routing = {3, 3, 4, 3, 5, 6, 7, 8};
    QVERIFY(rig.start());
    RecordingPage page;
    rig.hub.addPage(page);
    QCOMPARE(page.messages.size(), 1);
    const QJsonObject state = page.messages.first();
    QCOMPARE(state[QStringLiteral("online")].toBool(), true);
    QCOMPARE(state[QStringLiteral("model")].toString(), QStringLiteral("HDMI Matrix 4x4"));
    QCOMPARE(state[QStringLiteral("inputs")].toArray(),
             (QJsonArray{"Camera", "Input2", "Input3", "Input4"}));
    QCOMPARE(state[QStringLiteral("outputs")].toArray().size(), 4);
    QCOMPARE(page.routing(), QStringLiteral("3,3,4,3"));
    const QJsonArray presets = state[QStringLiteral("presets")].toArray();
    QCOMPARE(presets.size(), 8);
    QCOMPARE(presets[2].toObject(), (QJsonObject{{"number", 3},
                                                 {"name", "Lecture"},
                                                 {"routing", QJsonArray{3, 3, 4, 3}},
                                                 {"active", true}}));
    // Parts that name no input are shown as 0.
    QCOMPARE(presets[3][QStringLiteral("routing")].toArray(), (QJsonArray{2, 0, 0, 1}));
    QCOMPARE(page.active(), QList<int>{3});
}

void tst_PageHub::commands_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("routing");     // the switcher's, and what every page shows
    QTest::addColumn<QByteArray>("videohub"); // what a Videohub client is sent
    QTest::newRow("route") << QByteArray(R"({"type":"route","output":2,"input":3,"id":5})")
                           << "done"
                           << "1,3,3,4" << QByteArray("VIDEO OUTPUT ROUTING:\n1 2\n\n");
    QTest::newRow("preset") << QByteArray(R"({"type":"preset","number":3})") << "done"
                            << "3,3,4,3"
                            << QByteArray("VIDEO OUTPUT ROUTING:\n0 2\n1 2\n2 3\n3 2\n\n");
    QTest::newRow("preset naming no input for two outputs")
        << QByteArray(R"({"type":"preset","number":4})")
        << "done: Pre-Setting [Broken]: Output2, Output3 have no valid input, skipped"
        << "2,2,3,1" << QByteArray("VIDEO OUTPUT ROUTING:\n0 1\n3 0\n\n");
    QTest::newRow("output the switcher lacks")
        << QByteArray(R"({"type":"route","output":5,"input":1})")
        << "error: the switcher has 4 inputs and 4 outputs"
        << "1,2,3,4" << QByteArray();
    QTest::newRow("malformed") << QByteArray("{")
                               << "error: not JSON: unterminated object at byte 1"
                               << "1,2,3,4" << QByteArray();
}

void tst_PageHub::commands()
{
    QFETCH(QByteArray, message);
    QFETCH(QString, answer);
    QFETCH(QString, routing);
    QFETCH(QByteArray, videohub);
    HubRig rig;
    QVERIFY(rig.start());
    RecordingPage asking, watching;
    RecordingChannel client;
    const auto id = rig.hub.addPage(asking);
    rig.hub.addPage(watching);
    rig.bridge.addClient(client);
    client.take();

    rig.hub.receive(id, message);
    rig.settle();
    QCOMPARE(asking.answer(), answer);
    QCOMPARE(rig.simRouting(), routing);
    QCOMPARE(asking.routing(), routing);
    QCOMPARE(watching.routing(), routing);
    QCOMPARE(watching.answer(), QString());
    QCOMPARE(client.take(), videohub);
    if (message.contains("\"id\":5"))
        QCOMPARE(asking.last(QStringLiteral("done"))[QStringLiteral("id")].toInt(), 5);
}

void tst_PageHub::frontPanelChangeWithinAPoll()
{
    HubRig rig;
    QVERIFY(rig.start());
    RecordingPage page;
    rig.hub.addPage(page);
    rig.advance(std::chrono::milliseconds(400)); // somewhere between two polls
    QVERIFY(rig.device.state().frontPanelRoute(2, 4));
    const std::int64_t changed = rig.clock.elapsedMs();
    while (page.routing() != QLatin1String("1,4,3,4") && rig.clock.elapsedMs() - changed < 1500)
        rig.advance(std::chrono::milliseconds(10));
    QCOMPARE(page.routing(), QStringLiteral("1,4,3,4"));
    QCOMPARE(page.messages.size(), 2);
}

void tst_PageHub::offline()
{
    HubRig rig;
    rig.transports.serial->openFails = true;
    QVERIFY(!rig.start());
    RecordingPage page;
    const auto id = rig.hub.addPage(page);
    QCOMPARE(page.last(QStringLiteral("state"))[QStringLiteral("online")].toBool(), false);
    QCOMPARE(page.active(), QList<int>{});
    rig.hub.receive(id, R"({"type":"preset","number":1})");
    QCOMPARE(page.answer(), QStringLiteral("done: the switcher is not reached; nothing was "
                                           "changed"));

    rig.transports.serial->openFails = false;
    rig.advance(std::chrono::milliseconds(1100));
    QVERIFY(rig.bridge.online());
    QCOMPARE(page.last(QStringLiteral("state"))[QStringLiteral("online")].toBool(), true);
    QCOMPARE(page.routing(), QStringLiteral("1,2,3,4"));
}

void tst_PageHub::boundedQueue()
{
    HubRig rig;
    QVERIFY(rig.start());
    RecordingPage page;
    const auto id = rig.hub.addPage(page);
    for (int i = 0; i <= PageHub::MaxWaiting; ++i)
        rig.hub.receive(id, R"({"type":"route","output":1,"input":2})");
    QCOMPARE(page.answer(), QStringLiteral("error: too many commands waiting (16); try again "
                                           "when they are done"));
    rig.settle();
    QCOMPARE(rig.sentRoutes().size(), PageHub::MaxWaiting);
    rig.hub.receive(id, R"({"type":"route","output":1,"input":3})");
    rig.settle();
    QCOMPARE(page.answer(), QStringLiteral("done"));
    QCOMPARE(rig.simRouting(), QStringLiteral("3,2,3,4"));
}

QTEST_GUILESS_MAIN(tst_PageHub)
#include "tst_page_hub.moc"
