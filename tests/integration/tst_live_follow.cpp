// The live routing view against the simulated switcher over a pseudo-terminal and loopback
// TCP, on the virtual clock: what the "Follow switcher changes" poll sends, what the operator
// sees, how it gives way to the operator and to running operations; undo and redo on the
// wire; a switcher of eight ports.
#include "LiveRig.h"

#include "link/KXCOMControl.h"
#include "shell/ShellContext.h"
#include "shell/ShellTexts.h"
#include "shell/StatusBoard.h"
#include "shell/TextLog.h"
#include "shell/devicestatus/DeviceStatusReader.h"
#include "shell/routing/RoutingFollower.h"
#include "shell/routing/RoutingState.h"
#include "shell/routing/ui/LCD99.h"
#include "shell/routing/ui/RoutingView.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramMenus.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QDateTime Moment(QDate(2024, 5, 6), QTime(10, 42, 7));

/// The rig connected, on the Setting page (which reads the routing once), following.
void StartFollowing(LiveRig &rig)
{
    QVERIFY(rig.connect());
    rig.live().follower().setNowSource([] { return Moment; });
    rig.form().pcContainer->setCurrentWidget(rig.form().tsSetting);
    LiveRig::setChecked(rig.live().menus().mnuFollowSwitcher, true);
    rig.clearReceived();
}

/// Every text written to the hint panel.
QStringList *RecordHints(LiveRig &rig)
{
    auto *hints = new QStringList;
    QObject::connect(&rig.context().status(), &StatusBoard::changed, &rig.form(),
                     [&rig, hints](StatusPanel panel) {
                         if (panel == StatusPanel::Hint)
                             hints->append(rig.context().status().text(panel));
                     });
    return hints;
}

} // namespace

class LiveFollowTest : public QObject
{
    Q_OBJECT
private slots:
    void frontPanelChangeSeen_data() { AddLineRows(); }
    void frontPanelChangeSeen()
    {
        QFETCH(LiveRig::Line, line);
        LiveRig rig(line, QStringLiteral("127.0.0.71"));
        rig.sim().routing = {2, 4, 1, 3, 5, 6, 7, 8};
        StartFollowing(rig);
        const QString operation = rig.form().statusText(2);

        rig.sim().frontPanelRoute(2, 3);
        const auto seenAfter =
            rig.runUntil([&] { return rig.routing().FindDisplay(2)->text() == "3"; }, 5000ms);
        QVERIFY2(seenAfter <= 2500ms, qPrintable(QString::number(seenAfter.count())));
        const QString said = QStringLiteral("10:42:07 Output2 now shows Input3 (changed on the "
                                            "switcher)");
        QCOMPARE(rig.form().statusText(3), said);
        QCOMPARE(rig.context().diagnostics().last(), said);
        QVERIFY(rig.routing().FindInputButton(2, 3)->isChecked());
        QCOMPARE(rig.context().routing().certainty(2), RoutingState::Certainty::Confirmed);
        // Silent otherwise: the operation panel untouched and never inverted, only queries.
        QCOMPARE(rig.form().statusText(2), operation);
        QVERIFY(rig.context().status().normal());
        for (const QByteArray &frame : rig.received())
            QCOMPARE(frame.left(4), LiveRig::GetRoute(1).left(4));
        QCOMPARE(rig.received().mid(0, 4),
                 (QList<QByteArray>{LiveRig::GetRoute(1), LiveRig::GetRoute(2),
                                    LiveRig::GetRoute(3), LiveRig::GetRoute(4)}));
    }

    void clickDuringPollRunsAfterTheFrameInFlight_data() { AddLineRows(); }
    void clickDuringPollRunsAfterTheFrameInFlight()
    {
        QFETCH(LiveRig::Line, line);
        LiveRig rig(line, QStringLiteral("127.0.0.72"));
        StartFollowing(rig);
        std::unique_ptr<QStringList> hints(RecordHints(rig));
        QAbstractButton *button = rig.routing().FindInputButton(2, 3);
        bool clicked = false;
        rig.onFrame([&](const TCommandFrame &frame) {
            // The operator clicks while the poll's first query waits for its answer.
            if (!clicked && frame[2] == 2 && frame[3] == 1 && frame[4] == 1) {
                clicked = true;
                QTest::mouseClick(button, Qt::LeftButton);
            }
        });
        rig.runUntil([&] { return rig.sim().routing[1] == 3; }, 5000ms);

        QVERIFY(clicked);
        QCOMPARE(rig.received().mid(0, 2),
                 (QList<QByteArray>{LiveRig::GetRoute(1), LiveRig::SetRoute(3, 2)}));
        QVERIFY(!hints->contains(ShellTexts::Busy()));
        QCOMPARE(rig.form().statusText(2), ShellTexts::Done());
        QCOMPARE(rig.routing().FindDisplay(2)->text(), QStringLiteral("3"));
        QCOMPARE(rig.context().routing().certainty(2), RoutingState::Certainty::Confirmed);
        // The poll goes on afterwards.
        rig.clearReceived();
        rig.run(2100ms);
        QVERIFY(rig.received().contains(LiveRig::GetRoute(4)));
    }

    void pollWaitsForOperationsAndNetworkWork_data() { AddLineRows(); }
    void pollWaitsForOperationsAndNetworkWork()
    {
        QFETCH(LiveRig::Line, line);
        LiveRig rig(line, QStringLiteral("127.0.0.73"));
        StartFollowing(rig);
        bool advanced = false;
        rig.onFrame([&](const TCommandFrame &frame) {
            // Polls fall due while the device information is read.
            if (!advanced && frame[2] == 1) {
                advanced = true;
                rig.clock.advance(5000ms);
            }
        });
        QVERIFY(rig.windows->deviceStatusReader().ReadDeviceInfo());
        QVERIFY(advanced);
        rig.run(500ms);
        const QList<QByteArray> frames = rig.received();
        qsizetype lastInfo = -1;
        qsizetype firstPoll = -1;
        for (qsizetype i = 0; i < frames.size(); ++i) {
            if (frames[i][2] == 1)
                lastInfo = i;
            else if (firstPoll < 0 && frames[i] == LiveRig::GetRoute(1))
                firstPoll = i;
        }
        QVERIFY(firstPoll > lastInfo);

        // A network search (or an open or configuration) under way: nothing is read.
        rig.context().link()->setSearching(true);
        rig.clearReceived();
        rig.run(4500ms);
        QVERIFY(rig.received().isEmpty());
        rig.context().link()->setSearching(false);
        rig.run(2100ms);
        QVERIFY(rig.received().contains(LiveRig::GetRoute(1)));
    }

    void undoAndRedoOnTheWire_data() { AddLineRows(); }
    void undoAndRedoOnTheWire()
    {
        QFETCH(LiveRig::Line, line);
        LiveRig rig(line, QStringLiteral("127.0.0.79"));
        rig.sim().routing = {2, 4, 1, 3, 5, 6, 7, 8};
        StartFollowing(rig);
        rig.routing().FindInputButton(2, 3)->click();
        rig.routing().FindInputButton(4, 1)->click();
        QTest::keyClick(&rig.form(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&rig.form(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&rig.form(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QList<QByteArray> routes;
        for (const QByteArray &frame : rig.received()) {
            if (frame != LiveRig::GetRoute(frame[4]))
                routes << frame;
        }
        QCOMPARE(routes, (QList<QByteArray>{LiveRig::SetRoute(3, 2), LiveRig::SetRoute(1, 4),
                                            LiveRig::SetRoute(3, 4), LiveRig::SetRoute(4, 2),
                                            LiveRig::SetRoute(3, 2)}));
        QCOMPARE(rig.sim().routing[1], std::uint8_t(3));
        QCOMPARE(rig.sim().routing[3], std::uint8_t(3));
    }

    void eightPortSwitcherOnlyWithAdvancedControls()
    {
        LiveRig rig(LiveRig::Line::Pty);
        rig.sim().inputs = 8;
        rig.sim().outputs = 8;
        rig.sim().routing = {1, 2, 3, 4, 5, 6, 8, 7};
        StartFollowing(rig);
        RoutingView &view = rig.routing();
        QVERIFY(rig.windows->deviceStatusReader().ReadDeviceInfo());
        // As delivered, the window stays at four.
        QVERIFY(view.FindDisplay(5)->parentWidget()->isHidden());
        QVERIFY(view.FindInputButton(1, 5)->isHidden());

        LiveRig::setChecked(rig.live().menus().mnuAdvancedControls, true);
        QVERIFY(!view.FindDisplay(8)->parentWidget()->isHidden());
        QVERIFY(!view.FindInputButton(8, 8)->isHidden());
        rig.clearReceived();
        rig.sim().frontPanelRoute(7, 6);
        rig.runUntil([&] { return view.FindDisplay(7)->text() == "6"; }, 2500ms);
        QCOMPARE(view.FindDisplay(8)->text(), QStringLiteral("7"));
        QCOMPARE(rig.received().mid(0, 8).last(), LiveRig::GetRoute(8));
        view.FindInputButton(8, 5)->click();
        QCOMPARE(rig.sim().routing[7], std::uint8_t(5));

        LiveRig::setChecked(rig.live().menus().mnuAdvancedControls, false);
        QVERIFY(view.FindDisplay(5)->parentWidget()->isHidden());
        rig.clearReceived();
        rig.run(2100ms);
        QVERIFY(!rig.received().contains(LiveRig::GetRoute(5)));
    }

    void failuresSilentUntilThirdInARow()
    {
        LiveRig rig(LiveRig::Line::Pty);
        StartFollowing(rig);
        QSignalSpy polled(&rig.live().follower(), &RoutingFollower::polled);
        const QString operation = rig.form().statusText(2);
        rig.sim().clearLogs();
        rig.device.faults().arm(SimFault::Silence, SimFaults::Always);
        auto failures = [&] {
            int count = 0;
            for (const QList<QVariant> &poll : polled)
                count += poll[0].value<RoutingPoll::Outcome>() == RoutingPoll::Outcome::Failed;
            return count;
        };
        rig.runUntil([&] { return failures() == 2; }, 10000ms);
        QCOMPARE(rig.form().statusText(3), QString());
        QCOMPARE(rig.form().statusText(2), operation);
        QVERIFY(rig.context().status().normal());
        rig.runUntil([&] { return failures() == 3; }, 5000ms);
        QCOMPARE(rig.form().statusText(3),
                 QStringLiteral("10:42:07 Routing not read 3 times in a row: Time out!"));
        QCOMPARE(rig.form().statusText(2), operation);
        QVERIFY(rig.context().status().normal());
    }
};

QTEST_MAIN(LiveFollowTest)
#include "tst_live_follow.moc"
