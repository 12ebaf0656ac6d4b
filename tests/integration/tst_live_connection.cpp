// Connection health and "Reconnect automatically" against the simulated switcher over a
// pseudo-terminal and loopback TCP: a line that goes away is seen without a command, and the
// program opens it again after 1, 2, 4 ... s of virtual time until the operator stops it.
#include "LiveRig.h"
#include "WidgetFinder.h"

#include "shell/ShellContext.h"
#include "shell/StatusBoard.h"
#include "shell/routing/RoutingState.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramMenus.h"

#include <QHostAddress>
#include <QPushButton>
#include <QTest>

using namespace std::chrono_literals;

namespace {

enum class Loss { Reset, Close, Pulled };

void TakeLineAway(LiveRig &rig, Loss loss)
{
    switch (loss) {
    case Loss::Reset:
        rig.server->resetConnection();
        break;
    case Loss::Close:
        rig.server->close();
        break;
    case Loss::Pulled:
        rig.pty->close();
        break;
    }
}

QPushButton *ConnectButton(const LiveRig &rig)
{
    return Child<QPushButton>(&rig.form(), "btnConnect");
}

/// The virtual times at which the hint panel announced a reconnection attempt.
struct Attempts
{
    explicit Attempts(LiveRig &rig)
    {
        QObject::connect(&rig.context().status(), &StatusBoard::changed, &rig.form(),
                         [this, &rig](StatusPanel panel) {
                             const QString text = rig.context().status().text(panel);
                             if (panel == StatusPanel::Hint &&
                                 text.startsWith(QStringLiteral("Reconnecting to ")))
                                 times.append(rig.clock.elapsedMs());
                         });
    }
    QList<std::int64_t> times;
};

} // namespace

Q_DECLARE_METATYPE(Loss)

class LiveConnectionTest : public QObject
{
    Q_OBJECT
private slots:
    void lostLineNoticedWithinASecond_data()
    {
        QTest::addColumn<LiveRig::Line>("line");
        QTest::addColumn<Loss>("loss");
        QTest::addColumn<QString>("address");
        QTest::newRow("tcp reset") << LiveRig::Line::Tcp << Loss::Reset << "127.0.0.74";
        QTest::newRow("tcp closed") << LiveRig::Line::Tcp << Loss::Close << "127.0.0.75";
        QTest::newRow("serial adapter pulled") << LiveRig::Line::Pty << Loss::Pulled << "";
    }
    void lostLineNoticedWithinASecond()
    {
        QFETCH(LiveRig::Line, line);
        QFETCH(Loss, loss);
        QFETCH(QString, address);
        LiveRig rig(line, address);
        QVERIFY(rig.connect());
        QVERIFY(rig.form().statusText(1).endsWith(QStringLiteral(": Connected")));
        TakeLineAway(rig, loss);
        // Noticed from the line's own signals, in real time, with nothing sent.
        QTRY_COMPARE_WITH_TIMEOUT(rig.form().statusText(1), QStringLiteral("Disconnect"), 1000);
        QCOMPARE(ConnectButton(rig)->text(), QStringLiteral("&Connect"));
        QVERIFY(rig.received().isEmpty());
        // Without "Reconnect automatically" it stays so.
        rig.run(5000ms);
        QCOMPARE(rig.form().statusText(1), QStringLiteral("Disconnect"));
    }

    void reconnectsWithBackOffAndReadsTheRouting()
    {
        const QString address = QStringLiteral("127.0.0.76");
        LiveRig rig(LiveRig::Line::Tcp, address);
        LiveRig::setChecked(rig.live().menus().mnuReconnect, true);
        QVERIFY(rig.connect());
        Attempts attempts(rig);
        rig.server->close(); // the module is gone and refuses connections
        QTRY_COMPARE_WITH_TIMEOUT(rig.form().statusText(1), QStringLiteral("Disconnect"), 1000);
        const std::int64_t lost = rig.clock.elapsedMs();
        QCOMPARE(ConnectButton(rig)->text(), QStringLiteral("&Disconnect"));
        rig.runUntil([&] { return attempts.times.size() == 3; }, 10000ms);
        QVERIFY(rig.form().statusText(3).contains(QStringLiteral("(attempt 4)")));

        QVERIFY(rig.server->listen(QHostAddress(address)));
        rig.sim().routing = {3, 1, 4, 2, 5, 6, 7, 8};
        rig.runUntil([&] { return rig.form().statusText(1) != QStringLiteral("Disconnect"); },
                     10000ms);
        QCOMPARE(rig.form().statusText(1), address + QStringLiteral(": Connected"));
        QCOMPARE(rig.form().statusText(3), QStringLiteral("Reconnected to ") + address);
        QList<std::int64_t> waits;
        std::int64_t before = lost;
        for (const std::int64_t at : std::as_const(attempts.times)) {
            waits.append((at - before + 50) / 100 * 100);
            before = at;
        }
        QCOMPARE(waits, (QList<std::int64_t>{1000, 2000, 4000, 8000}));
        // Back: the routing is read again.
        rig.run(200ms);
        QCOMPARE(rig.received().mid(0, 4),
                 (QList<QByteArray>{LiveRig::GetRoute(1), LiveRig::GetRoute(2),
                                    LiveRig::GetRoute(3), LiveRig::GetRoute(4)}));
        QCOMPARE(rig.context().routing().input(1), 3);
    }

    void disconnectStopsReconnecting()
    {
        LiveRig rig(LiveRig::Line::Pty);
        LiveRig::setChecked(rig.live().menus().mnuReconnect, true);
        QVERIFY(rig.connect());
        Attempts attempts(rig);
        rig.pty->close();
        QTRY_COMPARE_WITH_TIMEOUT(ConnectButton(rig)->text(), QStringLiteral("&Disconnect"), 1000);
        rig.runUntil([&] { return attempts.times.size() == 1; }, 2000ms);
        QTest::mouseClick(ConnectButton(rig), Qt::LeftButton);
        QCOMPARE(ConnectButton(rig)->text(), QStringLiteral("&Connect"));
        QCOMPARE(rig.form().statusText(3), QStringLiteral("Reconnecting stopped"));
        rig.run(20000ms);
        QCOMPARE(attempts.times.size(), 1);
        QCOMPARE(rig.form().statusText(1), QStringLiteral("Disconnect"));
    }

    void operatorDisconnectIsNotLost()
    {
        LiveRig rig(LiveRig::Line::Pty);
        LiveRig::setChecked(rig.live().menus().mnuReconnect, true);
        QVERIFY(rig.connect());
        Attempts attempts(rig);
        QTest::mouseClick(ConnectButton(rig), Qt::LeftButton);
        QCOMPARE(rig.form().statusText(1), QStringLiteral("Disconnect"));
        rig.run(5000ms);
        QVERIFY(attempts.times.isEmpty());
        QCOMPARE(ConnectButton(rig)->text(), QStringLiteral("&Connect"));
    }
};

QTEST_MAIN(LiveConnectionTest)
#include "tst_live_connection.moc"
