#include "ContextRig.h"
#include "ShellRig.h"
#include "SimShellRig.h"
#include "SimulatedSwitcher.h"
#include "WidgetFinder.h"

#include "link/KXCOMControl.h"
#include "shell/ShellContext.h"
#include "shell/StatusBoard.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/presets/ui/PresetsView.h"
#include "shell/routing/RoutingController.h"
#include "shell/routing/RoutingState.h"
#include "shell/routing/ui/LCD99.h"
#include "shell/routing/ui/RoutingView.h"
#include "shell/routing/ui/ShowInOutInfo.h"
#include "shell/ui/MainWindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>

namespace {

constexpr std::uint8_t Routing = 2;
constexpr std::uint8_t GetRoute = 1;
constexpr std::uint8_t SetRoute = 3;

QByteArray SetRouteFrame(int input, int output)
{
    return SimulatedSwitcher::Frame(Routing, SetRoute, std::uint16_t(input), std::uint16_t(output));
}

void Hover(QWidget *widget, QPoint local = QPoint(3, 3))
{
    QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

/// Sets the tag of input n or output 40 + n in the port tags model the pages share.
void SetTag(ShellContext &context, int tag, const QString &text)
{
    PortTagSet set = context.portTags().tags();
    auto &ports = tag > PortTagsModel::OutputTagBase ? set.outputs : set.inputs;
    ports[std::size_t(tag % PortTagsModel::OutputTagBase - 1)] = text;
    context.portTags().setTags(set);
}

/// The routing view alone on a shell context, with the simulated switcher behind the fake
/// serial port. The window is shown; unless told otherwise, the view is prepared as the
/// program's start prepares it (one digit place, "All Outputs" routes all four).
struct Routed
{
    explicit Routed(bool started = true)
    {
        rig.window.layout()->addWidget(&view);
        rig.window.show();
        if (started) {
            view.SetDisplayDigits();
            view.enableAllOutputs();
        }
    }

    QAbstractButton *button(int output, int input) const
    {
        return view.FindInputButton(output, input);
    }
    /// The previous or next button of an output.
    QAbstractButton *step(int output, bool next) const
    {
        const QString name = QLatin1String(next ? "sbNext" : "sbPrevious") +
                             (output == 1 ? QString() : QString::number(output));
        return Child<QAbstractButton>(&view, qPrintable(name));
    }
    QGroupBox *group(int output) const
    {
        const QString name = output == 1 ? QStringLiteral("gbOutput1")
                                         : QStringLiteral("GroupBox") + QString::number(output);
        return Child<QGroupBox>(&view, qPrintable(name));
    }
    QLabel *note() const { return Child<QLabel>(&view, "lblNote"); }
    QMenu *menu() const { return Child<QMenu>(&view, "pm"); }
    QString shown(int output) const { return view.FindDisplay(output)->text(); }
    bool down(int output, int input) const { return button(output, input)->isChecked(); }
    QString status(StatusPanel panel) const { return rig.context.status().text(panel); }
    /// The inputs the switcher routes to outputs 1..4.
    QList<int> switcher()
    {
        QList<int> inputs;
        for (int output = 0; output < 4; ++output)
            inputs << sim.state().routing[std::size_t(output)];
        return inputs;
    }
    /// Sets the switcher's routing and reads it into the view.
    void start(const QList<int> &inputs)
    {
        for (int output = 0; output < inputs.size(); ++output)
            sim.state().routing[std::size_t(output)] = std::uint8_t(inputs[output]);
        QVERIFY(rig.connect());
        QVERIFY(controller.RefreshRouting());
        sim.clearReceived();
    }

    ContextRig rig;
    SimulatedSwitcher sim{rig.serial()};
    RoutingController controller{rig.context};
    TfrmShowInOutInfo info;
    RoutingView view{controller, rig.context.routing(), rig.context.portTags(), info, &rig.window};
};

} // namespace

class TestRoutingView : public QObject
{
    Q_OBJECT
private slots:
    void controlsAndFinders();
    void inTheProgram();
    void showingThePageReadsTheRouting();
    void failedReadStopsAtThatOutput();
    void routeOutsideTheButtons();
    void clickShowsChoiceBeforeTheAnswer();
    void failedClickRestoresThePreviousChoice();
    void clickRefusedWhileAnotherCommandWaits();
    void stepButtonsWrapAround();
    void popupMenuRuns_data();
    void popupMenuRuns();
    void popupRunStopsAtFirstFailure();
    void noteLineNamesThePorts();
    void tagWindowOnlyOverInputButtonsWithTags();
    void tagWindowClosesWhenThePointerOrTheFocusGoes();
};

void TestRoutingView::controlsAndFinders()
{
    Routed r(false);
    RoutingView &view = r.view;

    // Other features find these controls by name and by Tag/GroupIndex.
    QCOMPARE(view.objectName(), QStringLiteral("Panel3"));
    QCOMPARE(view.FindInputButton(1, 1)->objectName(), QStringLiteral("sbSetInput"));
    QCOMPARE(view.FindInputButton(2, 3)->objectName(), QStringLiteral("SpeedButton11"));
    QCOMPARE(view.FindInputButton(8, 8)->objectName(), QStringLiteral("SpeedButton64"));
    QCOMPARE(view.FindInputButton(2, 3)->property("Tag").toInt(), 3);
    QCOMPARE(view.FindInputButton(2, 3)->property("GroupIndex").toInt(), 2);
    QCOMPARE(view.FindInputButton(9, 1), nullptr);
    QCOMPARE(view.FindDisplay(3)->objectName(), QStringLiteral("LED3"));
    QCOMPARE(r.step(1, false)->property("Tag").toInt(), 1);
    QCOMPARE(r.step(1, true)->property("Tag").toInt(), 2);
    QCOMPARE(r.step(8, true)->property("Tag").toInt(), 16);
    QCOMPARE(r.group(4)->title(), QStringLiteral("Output4"));
    QVERIFY(r.group(4)->isVisibleTo(&view));
    QVERIFY(!r.group(5)->isVisibleTo(&view));
    QVERIFY(view.FindInputButton(1, 4)->isVisibleTo(&view));
    QVERIFY(!view.FindInputButton(1, 5)->isVisibleTo(&view));
    QCOMPARE(r.note()->text(), QStringLiteral("Output from Input"));
    QVERIFY(r.note()->font().bold());

    // Before any reading: every display shows 8 with button 8 down, in four digit places
    // until the program's start gives displays 1-4 one place.
    for (int output = 1; output <= 8; ++output) {
        QCOMPARE(view.FindDisplay(output)->text(), QStringLiteral("8"));
        QVERIFY(view.FindInputButton(output, 8)->isChecked());
        QCOMPARE(view.FindDisplay(output)->digitPlaces(), 4);
    }
    view.SetDisplayDigits();
    QCOMPARE(view.FindDisplay(4)->digitPlaces(), 1);
    QCOMPARE(view.FindDisplay(5)->digitPlaces(), 4);

    // "All Outputs" carries 8 until the start, then 4.
    const QStringList captions{
        "All Outputs", "",          "1 Output",  "2 Outputs", "3 Outputs",
        "4 Outputs",   "5 Outputs", "6 Outputs", "7 Outputs", "Port to Port"};
    const QList<int> tags{4, 0, 1, 2, 3, 4, 5, 6, 7, 100};
    const QList<QAction *> items = r.menu()->actions();
    QCOMPARE(items.first()->objectName(), QStringLiteral("mnuAllOutputs"));
    QCOMPARE(items.first()->property("Tag").toInt(), 8);
    view.enableAllOutputs();
    QCOMPARE(items.size(), captions.size());
    for (int i = 0; i < items.size(); ++i) {
        QCOMPARE(items[i]->text(), captions[i]);
        QCOMPARE(items[i]->property("Tag").toInt(), tags[i]);
    }
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[1]->objectName(), QStringLiteral("N1"));

    QCheckBox *option = view.displayTagOption();
    QCOMPARE(option->objectName(), QStringLiteral("cbDisplayTag"));
    QCOMPARE(option->text(),
             QStringLiteral("Display Input, Output tags when focus setting buttons"));
    for (QWidget *widget : view.findChildren<QWidget *>())
        QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
}

void TestRoutingView::inTheProgram()
{
    ShellRig rig;
    TForm1 &form = rig.create();
    RoutingView &view = rig.windows->routing();
    auto *allOutputs = form.findChild<QAction *>(QStringLiteral("mnuAllOutputs"));
    QVERIFY(allOutputs);
    QCOMPARE(allOutputs->property("Tag").toInt(), 8);
    QCOMPARE(view.FindDisplay(4)->digitPlaces(), 4);

    // Showing the window: "All Outputs" routes all four, displays 1-4 get one digit place.
    rig.show();
    QCOMPARE(allOutputs->property("Tag").toInt(), 4);
    QCOMPARE(view.FindDisplay(4)->digitPlaces(), 1);
    QCOMPARE(view.FindDisplay(5)->digitPlaces(), 4);

    // The tag option sits on the General page of the main window.
    auto *option = form.findChild<QCheckBox *>(QStringLiteral("cbDisplayTag"));
    QCOMPARE(option, view.displayTagOption());
    QCOMPARE(option->window(), &form);
    QVERIFY(form.tsGeneral->isAncestorOf(option));

    // Leaving the buttons for the page, the presets or the window resets the note line.
    auto *note = Child<QLabel>(&view, "lblNote");
    auto *presets = form.findChild<QAbstractItemView *>("lvPreSetting");
    QVERIFY(presets);
    for (QWidget *area :
         {form.tsSetting, presets->viewport(), static_cast<QWidget *>(&rig.windows->presets()),
          static_cast<QWidget *>(form.pcContainer), static_cast<QWidget *>(&form)}) {
        Hover(view.FindInputButton(2, 2));
        QCOMPARE(note->text(), QStringLiteral("Output2 from Input2"));
        Hover(area);
        QCOMPARE(note->text(), QStringLiteral("Output from Input"));
    }
}

void TestRoutingView::showingThePageReadsTheRouting()
{
    SimShellRig rig;
    RoutingView &view = rig.windows->routing();
    rig.sim().routing = {2, 3, 4, 1, 5, 6, 7, 8};
    QVERIFY(rig.connect());

    auto *presets = rig.form().findChild<QAbstractItemView *>("lvPreSetting");
    QVERIFY(presets && presets->model()->rowCount() > 0);
    presets->clearSelection();

    rig.form().pcContainer->setCurrentWidget(rig.form().tsSetting);

    // The first preset is selected when none was.
    QCOMPARE(presets->selectionModel()->selectedRows().value(0).row(), 0);
    QCOMPARE(rig.received(),
             (QList<QByteArray>{QByteArray::fromHex("a55b02010100000000000000fc"),
                                QByteArray::fromHex("a55b02010200000000000000fb"),
                                QByteArray::fromHex("a55b02010300000000000000fa"),
                                QByteArray::fromHex("a55b02010400000000000000f9")}));
    const QList<int> expected{2, 3, 4, 1};
    for (int output = 1; output <= 4; ++output) {
        QCOMPARE(view.FindDisplay(output)->text(), QString::number(expected[output - 1]));
        QVERIFY(view.FindInputButton(output, expected[output - 1])->isChecked());
        QVERIFY(!view.FindInputButton(output, 8)->isChecked());
    }
    QCOMPARE(rig.form().statusText(2), QStringLiteral("Done"));
    // Outputs 5-8 are never read.
    QCOMPARE(view.FindDisplay(5)->text(), QStringLiteral("8"));
}

void TestRoutingView::failedReadStopsAtThatOutput()
{
    Routed r;
    r.sim.state().routing = {2, 3, 4, 1, 5, 6, 7, 8};
    r.sim.onFrame([&r](const TCommandFrame &frame) {
        if (frame[2] == Routing && frame[3] == GetRoute && frame[4] == 3)
            r.sim.faults().arm(SimFault::Refuse);
    });
    QVERIFY(r.rig.connect());
    r.sim.clearReceived();

    QVERIFY(!r.controller.RefreshRouting());

    QCOMPARE(r.shown(1), QStringLiteral("2"));
    QCOMPARE(r.shown(2), QStringLiteral("3"));
    QCOMPARE(r.shown(3), QStringLiteral("8"));
    QCOMPARE(r.shown(4), QStringLiteral("8"));
    QVERIFY(r.down(3, 8));
    // Three attempts for output 3, nothing for output 4.
    QCOMPARE(r.sim.received().size(), 2 + 3);
    QCOMPARE(r.sim.received().last(), SimulatedSwitcher::Frame(Routing, GetRoute, 3));
    QCOMPARE(r.status(StatusPanel::Operation), QStringLiteral("Send data failed!"));
}

void TestRoutingView::routeOutsideTheButtons()
{
    Routed r;
    r.start({1, 2, 3, 4});
    r.sim.state().routing[1] = 12;

    QVERIFY(r.controller.RefreshRouting());

    // The number is shown; no button stands for it, so the buttons stay as they were.
    QCOMPARE(r.shown(2), QStringLiteral("12"));
    QVERIFY(r.down(2, 2));
    QCOMPARE(r.shown(1), QStringLiteral("1"));
    QCOMPARE(r.shown(3), QStringLiteral("3"));

    // The steps from a number outside the inputs land on the inputs: next on 1, previous
    // on 4.
    r.sim.clearReceived();
    r.step(2, true)->click();
    QCOMPARE(r.shown(2), QStringLiteral("1"));
    r.sim.state().routing[1] = 12;
    QVERIFY(r.controller.RefreshRouting());
    r.sim.clearReceived();
    r.step(2, false)->click();
    QCOMPARE(r.sim.received(), QList<QByteArray>{SetRouteFrame(4, 2)});
    QCOMPARE(r.shown(2), QStringLiteral("4"));

    // A refused click from there shows the number again and releases the button clicked.
    r.sim.state().routing[1] = 12;
    QVERIFY(r.controller.RefreshRouting());
    r.sim.state().inputs = 2;
    r.button(2, 3)->click();
    QCOMPARE(r.shown(2), QStringLiteral("12"));
    for (int input = 1; input <= 8; ++input)
        QVERIFY(!r.down(2, input));
}

void TestRoutingView::clickShowsChoiceBeforeTheAnswer()
{
    Routed r;
    r.start({1, 1, 1, 1});
    QString shownWhenSent;
    bool downWhenSent = false;
    r.sim.onFrame([&](const TCommandFrame &) {
        shownWhenSent = r.shown(2);
        downWhenSent = r.down(2, 3);
    });

    QTest::mouseClick(r.button(2, 3), Qt::LeftButton);

    // A5 5B, command 2, subcommand 3, p1 = input 3, p2 = output 2, checksum.
    QCOMPARE(r.sim.received(),
             QList<QByteArray>{QByteArray::fromHex("a55b02030300020000000000f6")});
    QCOMPARE(shownWhenSent, QStringLiteral("3"));
    QVERIFY(downWhenSent);
    QCOMPARE(r.switcher(), (QList<int>{1, 3, 1, 1}));
    QCOMPARE(r.shown(2), QStringLiteral("3"));
    QVERIFY(r.down(2, 3) && !r.down(2, 1));
    QCOMPARE(r.status(StatusPanel::Operation), QStringLiteral("Done"));
}

void TestRoutingView::failedClickRestoresThePreviousChoice()
{
    Routed r;
    r.start({2, 2, 2, 2});
    r.sim.faults().arm(SimFault::Refuse, 3);
    r.controller.RoutingAborted = false;

    r.button(1, 4)->click();

    QCOMPARE(r.sim.received().size(), 3);
    QCOMPARE(r.shown(1), QStringLiteral("2"));
    QVERIFY(r.down(1, 2) && !r.down(1, 4));
    QVERIFY(r.controller.RoutingAborted);
    QCOMPARE(r.status(StatusPanel::Operation), QStringLiteral("Send data failed!"));
    QVERIFY(r.rig.context.flags().CommandIdle);
}

void TestRoutingView::clickRefusedWhileAnotherCommandWaits()
{
    Routed r;
    r.start({1, 2, 3, 4});
    QString hint;
    QString shownAfterRefusal;
    bool restored = false;
    r.sim.onFrame([&](const TCommandFrame &frame) {
        if (frame[3] != SetRoute || frame[6] != 1)
            return;
        // Output 1's command waits for its answer while output 2's button is clicked.
        r.button(2, 4)->click();
        hint = r.status(StatusPanel::Hint);
        shownAfterRefusal = r.shown(2);
        restored = r.down(2, 2) && !r.down(2, 4);
    });

    r.button(1, 3)->click();

    QCOMPARE(hint, QStringLiteral("In processing, command ignored"));
    QCOMPARE(shownAfterRefusal, QStringLiteral("2"));
    QVERIFY(restored);
    QCOMPARE(r.sim.received(), QList<QByteArray>{SetRouteFrame(3, 1)});
    QCOMPARE(r.switcher(), (QList<int>{3, 2, 3, 4}));
    QCOMPARE(r.shown(1), QStringLiteral("3"));
    QCOMPARE(r.status(StatusPanel::Hint), QString());
}

void TestRoutingView::stepButtonsWrapAround()
{
    Routed r;
    r.start({4, 1, 2, 3});

    r.step(1, true)->click();  // output 1: 4 -> 1
    r.step(2, false)->click(); // output 2: 1 -> 4
    r.step(3, true)->click();  // output 3: 2 -> 3
    r.step(4, false)->click(); // output 4: 3 -> 2

    QCOMPARE(r.sim.received(), (QList<QByteArray>{SetRouteFrame(1, 1), SetRouteFrame(4, 2),
                                                  SetRouteFrame(3, 3), SetRouteFrame(2, 4)}));
    QCOMPARE(r.switcher(), (QList<int>{1, 4, 3, 2}));
    QCOMPARE(r.shown(1), QStringLiteral("1"));
    QVERIFY(r.down(2, 4));
}

void TestRoutingView::popupMenuRuns_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("output");
    QTest::addColumn<int>("input");
    QTest::addColumn<QList<int>>("routed"); // outputs sent, in order
    QTest::addColumn<QList<int>>("result");
    QTest::addColumn<bool>("started");

    QTest::newRow("3 from output 3")
        << "N3Outputs1" << 3 << 2 << QList<int>{3, 4} << QList<int>{1, 1, 2, 2} << true;
    QTest::newRow("3 from output 1")
        << "N3Outputs1" << 1 << 3 << QList<int>{1, 2, 3} << QList<int>{3, 3, 3, 1} << true;
    QTest::newRow("4 from output 3")
        << "N4Outputs1" << 3 << 4 << QList<int>{1, 2, 3, 4} << QList<int>{4, 4, 4, 4} << true;
    QTest::newRow("all from output 2")
        << "mnuAllOutputs" << 2 << 2 << QList<int>{1, 2, 3, 4} << QList<int>{2, 2, 2, 2} << true;
    // Before the program's start "All Outputs" routes from the output under the mouse on.
    QTest::newRow("all from output 2 before the start")
        << "mnuAllOutputs" << 2 << 3 << QList<int>{2, 3, 4} << QList<int>{1, 3, 3, 3} << false;
    QTest::newRow("1 from output 2")
        << "N1Output1" << 2 << 4 << QList<int>{2} << QList<int>{1, 4, 1, 1} << true;
    QTest::newRow("7 from output 2")
        << "N7Outputs1" << 2 << 3 << QList<int>{2, 3, 4} << QList<int>{1, 3, 3, 3} << true;
    QTest::newRow("port to port") << "PorttoPort1" << 4 << 1 << QList<int>{1, 2, 3, 4}
                                  << QList<int>{1, 2, 3, 4} << true;
}

void TestRoutingView::popupMenuRuns()
{
    QFETCH(QString, item);
    QFETCH(int, output);
    QFETCH(int, input);
    QFETCH(QList<int>, routed);
    QFETCH(QList<int>, result);
    QFETCH(bool, started);

    Routed r(started);
    r.start({1, 1, 1, 1});
    // The menu acts on the button under the mouse.
    Hover(r.button(output, input));

    Child<QAction>(&r.view, qPrintable(item))->trigger();

    QList<QByteArray> frames;
    for (int k : routed)
        frames << SetRouteFrame(item == "PorttoPort1" ? k : input, k);
    QCOMPARE(r.sim.received(), frames);
    QCOMPARE(r.switcher(), result);
    for (int k = 1; k <= 4; ++k) {
        QCOMPARE(r.shown(k), QString::number(result[k - 1]));
        QVERIFY(r.down(k, result[k - 1]));
    }
    QVERIFY(!r.controller.RoutingAborted);
}

void TestRoutingView::popupRunStopsAtFirstFailure()
{
    Routed r;
    r.start({1, 1, 1, 1});
    // A switcher with one output refuses the route to output 2.
    r.sim.state().outputs = 1;
    Hover(r.button(1, 3));

    Child<QAction>(&r.view, "mnuAllOutputs")->trigger();

    // Output 1 stays switched, output 2 returns to its input, 3 and 4 are not tried.
    QCOMPARE(r.sim.received(), (QList<QByteArray>{SetRouteFrame(3, 1), SetRouteFrame(3, 2),
                                                  SetRouteFrame(3, 2), SetRouteFrame(3, 2)}));
    QCOMPARE(r.switcher(), (QList<int>{3, 1, 1, 1}));
    QCOMPARE(r.shown(1), QStringLiteral("3"));
    QCOMPARE(r.shown(2), QStringLiteral("1"));
    QVERIFY(r.down(2, 1) && !r.down(2, 3));
    QVERIFY(r.down(3, 1) && !r.down(3, 3));
    QVERIFY(r.controller.RoutingAborted);
}

void TestRoutingView::noteLineNamesThePorts()
{
    Routed r;
    r.start({1, 2, 4, 1});
    QLabel *note = r.note();
    QAction *oneOutput = Child<QAction>(&r.view, "N1Output1");

    Hover(r.button(1, 3));
    QCOMPARE(note->text(), QStringLiteral("Output1 from Input3"));

    SetTag(r.rig.context, 41, QStringLiteral("Projector"));
    SetTag(r.rig.context, 3, QStringLiteral("Player"));
    Hover(r.button(1, 3));
    QCOMPARE(note->text(), QStringLiteral("Output1 - [Projector] from Input3 - [Player]"));
    // The menu acts on the button under the mouse.
    oneOutput->trigger();
    QCOMPARE(r.sim.received(), QList<QByteArray>{SetRouteFrame(3, 1)});
    r.sim.clearReceived();

    // The step buttons name the input the output shows now; the menu ignores them.
    Hover(r.step(3, true));
    QCOMPARE(note->text(), QStringLiteral("Output3 from Input4"));
    oneOutput->trigger();
    QVERIFY(r.sim.received().isEmpty());
    Hover(r.step(1, false));
    QCOMPARE(note->text(), QStringLiteral("Output1 - [Projector] from Input3 - [Player]"));

    // Leaving the buttons for the group, the panel, the note or an area the program adds
    // resets the line.
    QListWidget list;
    r.view.watchLeaveArea(&list);
    for (QWidget *area :
         {static_cast<QWidget *>(r.group(2)), static_cast<QWidget *>(&r.view),
          static_cast<QWidget *>(note), static_cast<QWidget *>(&list), list.viewport()}) {
        Hover(r.button(2, 2));
        QVERIFY(note->text() != QStringLiteral("Output from Input"));
        Hover(area);
        QCOMPARE(note->text(), QStringLiteral("Output from Input"));
    }
}

void TestRoutingView::tagWindowOnlyOverInputButtonsWithTags()
{
    Routed r;
    r.start({1, 2, 3, 4});
    TfrmShowInOutInfo *info = &r.info;
    auto *label = Child<QLabel>(info, "lblInfo");
    QCheckBox *option = r.view.displayTagOption();
    QAbstractButton *button = r.button(2, 1);

    // No tag at all: never shown, even with the option on; the note still names the ports.
    option->setChecked(true);
    Hover(button);
    QVERIFY(!info->isVisible());
    QCOMPARE(r.note()->text(), QStringLiteral("Output2 from Input1"));

    // A tag but the option off: not shown.
    SetTag(r.rig.context, 42, QStringLiteral("Screen"));
    option->setChecked(false);
    Hover(button);
    QVERIFY(!info->isVisible());

    // Both: shown 28 pixels below the mouse, listing outputs then inputs.
    option->setChecked(true);
    Hover(button, QPoint(5, 7));
    QVERIFY(info->isVisible());
    QCOMPARE(info->pos(), button->mapToGlobal(QPoint(5, 7)) + QPoint(0, 28));
    const QStringList lines{"Output1 - No tag", "Output2 - [Screen]", "Output3 - No tag",
                            "Output4 - No tag", "Input1 - No tag",    "Input2 - No tag",
                            "Input3 - No tag",  "Input4 - No tag"};
    QCOMPARE(label->text(), lines.join(QStringLiteral("\r\n")));
    QCOMPARE(info->text(), label->text());
    const QFontMetrics metrics(label->font());
    QVERIFY(label->font().bold());
    int widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    QCOMPARE(info->size(), QSize(widest + 10, 8 * metrics.height() + 10));

    // The group closes it; the step buttons never open it.
    Hover(r.group(2));
    QVERIFY(!info->isVisible());
    Hover(r.step(2, true));
    Hover(r.step(1, false));
    QVERIFY(!info->isVisible());

    // Opening the menu closes it, and so does a click on it.
    Hover(button);
    QVERIFY(info->isVisible());
    emit r.menu()->aboutToShow();
    QVERIFY(!info->isVisible());
    Hover(button);
    QTest::mouseClick(label, Qt::LeftButton);
    QVERIFY(!info->isVisible());
}

void TestRoutingView::tagWindowClosesWhenThePointerOrTheFocusGoes()
{
    Routed r;
    r.start({1, 2, 3, 4});
    SetTag(r.rig.context, 1, QStringLiteral("Player"));
    r.view.displayTagOption()->setChecked(true);
    QAbstractButton *button = r.button(1, 2);
    // Opens the window over the button, then does `what`: true when the window was open and
    // is closed after.
    const auto openThenDo = [&](const std::function<void()> &what) {
        Hover(button);
        const bool opened = r.info.isVisible();
        what();
        return opened && !r.info.isVisible();
    };
    // The pointer leaves the button for a place that sends no mouse move (another window).
    QVERIFY(openThenDo([&] {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &leave);
    }));
    // The window loses the focus.
    QVERIFY(openThenDo([&] {
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(&r.view, &deactivate);
    }));
    // The page changes: the view is hidden with its page.
    QVERIFY(openThenDo([&] { r.rig.window.hide(); }));
}

QTEST_MAIN(TestRoutingView)
#include "tst_routing_view.moc"
