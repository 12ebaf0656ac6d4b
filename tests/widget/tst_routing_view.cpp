#include "SimShellRig.h"

#include "link/KXCOMControl.h"
#include "shell/routing/ui/LCD99.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/RoutingView.h"
#include "shell/routing/ui/ShowInOutInfo.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

constexpr std::uint8_t Routing = 2;
constexpr std::uint8_t GetRoute = 1;
constexpr std::uint8_t SetRoute = 3;

QByteArray SetRouteFrame(int input, int output)
{
    return SimShellRig::Frame(Routing, SetRoute, std::uint16_t(input), std::uint16_t(output));
}

void Hover(QWidget *widget, QPoint local = QPoint(3, 3))
{
    QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

/// The tag field of a port: the Port Tag page's own when it is there, else one made for the
/// test and found the same way, by its Tag.
void SetTag(TForm1 &form, int tag, const QString &text)
{
    QLineEdit *edit = form.FindTagEdit(tag);
    if (!edit) {
        edit = new QLineEdit(form.tsPortTag);
        edit->setProperty("Tag", tag);
    }
    edit->setText(text);
}

struct Routed
{
    SimShellRig rig;
    RoutingView &view = *rig.form().routing();

    QString shown(int output) const { return view.display(output)->text(); }
    bool down(int output, int input) const { return view.inputButton(output, input)->isChecked(); }
    /// The inputs the switcher routes to outputs 1..4.
    QList<int> switcher() const
    {
        QList<int> inputs;
        for (int output = 0; output < 4; ++output)
            inputs << rig.device.state().routing[std::size_t(output)];
        return inputs;
    }
    /// Sets the switcher's routing and reads it into the view.
    void start(const QList<int> &inputs)
    {
        for (int output = 0; output < inputs.size(); ++output)
            rig.sim().routing[std::size_t(output)] = std::uint8_t(inputs[output]);
        QVERIFY(rig.connect());
        QVERIFY(view.RefreshRouting());
        rig.clearReceived();
    }
};

} // namespace

class TestRoutingView : public QObject
{
    Q_OBJECT
private slots:
    void controlsAndFinders();
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
};

void TestRoutingView::controlsAndFinders()
{
    SimShellRig rig;
    TForm1 &form = rig.form();
    RoutingView &view = *form.routing();

    // Other features find these controls by name and by Tag/GroupIndex.
    QCOMPARE(form.FindInputButton(1, 1)->objectName(), QStringLiteral("sbSetInput"));
    QCOMPARE(form.FindInputButton(2, 3)->objectName(), QStringLiteral("SpeedButton11"));
    QCOMPARE(form.FindInputButton(8, 8)->objectName(), QStringLiteral("SpeedButton64"));
    QCOMPARE(form.FindInputButton(9, 1), nullptr);
    QCOMPARE(form.FindDisplay(3)->objectName(), QStringLiteral("LED3"));
    QCOMPARE(form.findChild<QAbstractButton *>("sbPrevious")->property("Tag").toInt(), 1);
    QCOMPARE(form.findChild<QAbstractButton *>("sbNext")->property("Tag").toInt(), 2);
    QCOMPARE(form.findChild<QAbstractButton *>("sbNext8")->property("Tag").toInt(), 16);
    QCOMPARE(form.findChild<QGroupBox *>("GroupBox4")->title(), QStringLiteral("Output4"));
    QVERIFY(form.findChild<QGroupBox *>("GroupBox4")->isVisibleTo(view.Panel3));
    QVERIFY(!form.findChild<QGroupBox *>("GroupBox5")->isVisibleTo(view.Panel3));
    QVERIFY(form.FindInputButton(1, 4)->isVisibleTo(view.Panel3));
    QVERIFY(!form.FindInputButton(1, 5)->isVisibleTo(view.Panel3));
    QCOMPARE(view.lblNote->text(), QStringLiteral("Output from Input"));
    QVERIFY(view.lblNote->font().bold());

    // Before any reading: every display shows 8 with button 8 down; the shown window has
    // one digit place on displays 1-4.
    for (int output = 1; output <= 8; ++output) {
        QCOMPARE(view.display(output)->text(), QStringLiteral("8"));
        QVERIFY(view.inputButton(output, 8)->isChecked());
    }
    QCOMPARE(view.display(4)->digitPlaces(), 1);
    QCOMPARE(view.display(5)->digitPlaces(), 4);

    const QStringList captions{
        "All Outputs", "",          "1 Output",  "2 Outputs", "3 Outputs",
        "4 Outputs",   "5 Outputs", "6 Outputs", "7 Outputs", "Port to Port"};
    const QList<int> tags{4, 0, 1, 2, 3, 4, 5, 6, 7, 100};
    const QList<QAction *> items = view.pm->actions();
    QCOMPARE(items.size(), captions.size());
    for (int i = 0; i < items.size(); ++i) {
        QCOMPARE(items[i]->text(), captions[i]);
        QCOMPARE(items[i]->property("Tag").toInt(), tags[i]);
    }
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[1]->objectName(), QStringLiteral("N1"));

    QCOMPARE(view.cbDisplayTag->text(),
             QStringLiteral("Display Input, Output tags when focus setting buttons"));
    QCOMPARE(form.findChild<QCheckBox *>("cbDisplayTag")->window(), &form);
    QVERIFY(form.tsGeneral->isAncestorOf(view.cbDisplayTag));
    for (QWidget *widget : view.Panel3->findChildren<QWidget *>())
        QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
}

void TestRoutingView::showingThePageReadsTheRouting()
{
    Routed r;
    r.rig.sim().routing = {2, 3, 4, 1, 5, 6, 7, 8};
    QVERIFY(r.rig.connect());

    auto *presets = r.rig.form().findChild<QAbstractItemView *>("lvPreSetting");
    QVERIFY(presets && presets->model()->rowCount() > 0);
    presets->clearSelection();

    r.rig.form().pcContainer->setCurrentWidget(r.rig.form().tsSetting);

    // The first preset is selected when none was.
    QCOMPARE(presets->selectionModel()->selectedRows().value(0).row(), 0);
    QCOMPARE(r.rig.received(),
             (QList<QByteArray>{QByteArray::fromHex("a55b02010100000000000000fc"),
                                QByteArray::fromHex("a55b02010200000000000000fb"),
                                QByteArray::fromHex("a55b02010300000000000000fa"),
                                QByteArray::fromHex("a55b02010400000000000000f9")}));
    const QList<int> expected{2, 3, 4, 1};
    for (int output = 1; output <= 4; ++output) {
        QCOMPARE(r.shown(output), QString::number(expected[output - 1]));
        QVERIFY(r.down(output, expected[output - 1]));
        QVERIFY(!r.down(output, 8));
    }
    QCOMPARE(r.rig.form().statusText(2), QStringLiteral("Done"));
    // Outputs 5-8 are never read.
    QCOMPARE(r.shown(5), QStringLiteral("8"));
}

void TestRoutingView::failedReadStopsAtThatOutput()
{
    Routed r;
    r.rig.sim().routing = {2, 3, 4, 1, 5, 6, 7, 8};
    r.rig.onFrame([&r](const TCommandFrame &frame) {
        if (frame[2] == Routing && frame[3] == GetRoute && frame[4] == 3)
            r.rig.device.faults().arm(SimFault::Refuse);
    });
    QVERIFY(r.rig.connect());

    QVERIFY(!r.view.RefreshRouting());

    QCOMPARE(r.shown(1), QStringLiteral("2"));
    QCOMPARE(r.shown(2), QStringLiteral("3"));
    QCOMPARE(r.shown(3), QStringLiteral("8"));
    QCOMPARE(r.shown(4), QStringLiteral("8"));
    QVERIFY(r.down(3, 8));
    // Three attempts for output 3, nothing for output 4.
    QCOMPARE(r.rig.received().size(), 2 + 3);
    QCOMPARE(r.rig.received().last(), SimShellRig::Frame(Routing, GetRoute, 3));
    QCOMPARE(r.rig.form().statusText(2), QStringLiteral("Send data failed!"));
}

void TestRoutingView::routeOutsideTheButtons()
{
    Routed r;
    r.start({1, 2, 3, 4});
    r.rig.sim().routing[1] = 12;

    QVERIFY(r.view.RefreshRouting());

    // The number is shown; no button stands for it, so the buttons stay as they were.
    QCOMPARE(r.shown(2), QStringLiteral("12"));
    QVERIFY(r.down(2, 2));
    QCOMPARE(r.shown(1), QStringLiteral("1"));
    QCOMPARE(r.shown(3), QStringLiteral("3"));

    // The steps from a number outside the inputs land on the inputs: next on 1, previous
    // on 4.
    r.rig.clearReceived();
    r.view.nextButtons[1]->click();
    QCOMPARE(r.shown(2), QStringLiteral("1"));
    r.rig.sim().routing[1] = 12;
    QVERIFY(r.view.RefreshRouting());
    r.rig.clearReceived();
    r.view.previousButtons[1]->click();
    QCOMPARE(r.rig.received(), QList<QByteArray>{SetRouteFrame(4, 2)});
    QCOMPARE(r.shown(2), QStringLiteral("4"));

    // A refused click from there shows the number again and releases the button clicked.
    r.rig.sim().routing[1] = 12;
    QVERIFY(r.view.RefreshRouting());
    r.rig.sim().inputs = 2;
    r.view.inputButton(2, 3)->click();
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
    r.rig.onFrame([&](const TCommandFrame &) {
        shownWhenSent = r.shown(2);
        downWhenSent = r.down(2, 3);
    });

    QTest::mouseClick(r.view.inputButton(2, 3), Qt::LeftButton);

    // A5 5B, command 2, subcommand 3, p1 = input 3, p2 = output 2, checksum.
    QCOMPARE(r.rig.received(),
             QList<QByteArray>{QByteArray::fromHex("a55b02030300020000000000f6")});
    QCOMPARE(shownWhenSent, QStringLiteral("3"));
    QVERIFY(downWhenSent);
    QCOMPARE(r.switcher(), (QList<int>{1, 3, 1, 1}));
    QCOMPARE(r.shown(2), QStringLiteral("3"));
    QVERIFY(r.down(2, 3) && !r.down(2, 1));
    QCOMPARE(r.rig.form().statusText(2), QStringLiteral("Done"));
}

void TestRoutingView::failedClickRestoresThePreviousChoice()
{
    Routed r;
    r.start({2, 2, 2, 2});
    r.rig.device.faults().arm(SimFault::Refuse, 3);
    r.rig.form().RoutingAborted = false;

    r.view.inputButton(1, 4)->click();

    QCOMPARE(r.rig.received().size(), 3);
    QCOMPARE(r.shown(1), QStringLiteral("2"));
    QVERIFY(r.down(1, 2) && !r.down(1, 4));
    QVERIFY(r.rig.form().RoutingAborted);
    QCOMPARE(r.rig.form().statusText(2), QStringLiteral("Send data failed!"));
    QVERIFY(r.rig.form().flags().CommandIdle);
}

void TestRoutingView::clickRefusedWhileAnotherCommandWaits()
{
    Routed r;
    r.start({1, 2, 3, 4});
    QString hint;
    QString shownAfterRefusal;
    bool restored = false;
    r.rig.onFrame([&](const TCommandFrame &frame) {
        if (frame[3] != SetRoute || frame[6] != 1)
            return;
        // Output 1's command waits for its answer while output 2's button is clicked.
        r.view.inputButton(2, 4)->click();
        hint = r.rig.form().statusText(3);
        shownAfterRefusal = r.shown(2);
        restored = r.down(2, 2) && !r.down(2, 4);
    });

    r.view.inputButton(1, 3)->click();

    QCOMPARE(hint, QStringLiteral("In processing, command ignored"));
    QCOMPARE(shownAfterRefusal, QStringLiteral("2"));
    QVERIFY(restored);
    QCOMPARE(r.rig.received(), QList<QByteArray>{SetRouteFrame(3, 1)});
    QCOMPARE(r.switcher(), (QList<int>{3, 2, 3, 4}));
    QCOMPARE(r.shown(1), QStringLiteral("3"));
    QCOMPARE(r.rig.form().statusText(3), QString());
}

void TestRoutingView::stepButtonsWrapAround()
{
    Routed r;
    r.start({4, 1, 2, 3});

    r.view.nextButtons[0]->click();     // output 1: 4 -> 1
    r.view.previousButtons[1]->click(); // output 2: 1 -> 4
    r.view.nextButtons[2]->click();     // output 3: 2 -> 3
    r.view.previousButtons[3]->click(); // output 4: 3 -> 2

    QCOMPARE(r.rig.received(), (QList<QByteArray>{SetRouteFrame(1, 1), SetRouteFrame(4, 2),
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

    QTest::newRow("3 from output 3")
        << "N3Outputs1" << 3 << 2 << QList<int>{3, 4} << QList<int>{1, 1, 2, 2};
    QTest::newRow("3 from output 1")
        << "N3Outputs1" << 1 << 3 << QList<int>{1, 2, 3} << QList<int>{3, 3, 3, 1};
    QTest::newRow("4 from output 3")
        << "N4Outputs1" << 3 << 4 << QList<int>{1, 2, 3, 4} << QList<int>{4, 4, 4, 4};
    QTest::newRow("all from output 2")
        << "mnuAllOutputs" << 2 << 2 << QList<int>{1, 2, 3, 4} << QList<int>{2, 2, 2, 2};
    QTest::newRow("1 from output 2")
        << "N1Output1" << 2 << 4 << QList<int>{2} << QList<int>{1, 4, 1, 1};
    QTest::newRow("7 from output 2")
        << "N7Outputs1" << 2 << 3 << QList<int>{2, 3, 4} << QList<int>{1, 3, 3, 3};
    QTest::newRow("port to port") << "PorttoPort1" << 4 << 1 << QList<int>{1, 2, 3, 4}
                                  << QList<int>{1, 2, 3, 4};
}

void TestRoutingView::popupMenuRuns()
{
    QFETCH(QString, item);
    QFETCH(int, output);
    QFETCH(int, input);
    QFETCH(QList<int>, routed);
    QFETCH(QList<int>, result);

    Routed r;
    r.start({1, 1, 1, 1});
    Hover(r.view.inputButton(output, input));
    QCOMPARE(r.rig.form().HoveredButton, r.view.inputButton(output, input));

    r.rig.form().findChild<QAction *>(item)->trigger();

    QList<QByteArray> frames;
    for (int k : routed)
        frames << SetRouteFrame(item == "PorttoPort1" ? k : input, k);
    QCOMPARE(r.rig.received(), frames);
    QCOMPARE(r.switcher(), result);
    for (int k = 1; k <= 4; ++k) {
        QCOMPARE(r.shown(k), QString::number(result[k - 1]));
        QVERIFY(r.down(k, result[k - 1]));
    }
    QVERIFY(!r.rig.form().RoutingAborted);
}

void TestRoutingView::popupRunStopsAtFirstFailure()
{
    Routed r;
    r.start({1, 1, 1, 1});
    // A switcher with one output refuses the route to output 2.
    r.rig.sim().outputs = 1;
    Hover(r.view.inputButton(1, 3));

    r.view.mnuAllOutputs->trigger();

    // Output 1 stays switched, output 2 returns to its input, 3 and 4 are not tried.
    QCOMPARE(r.rig.received(), (QList<QByteArray>{SetRouteFrame(3, 1), SetRouteFrame(3, 2),
                                                  SetRouteFrame(3, 2), SetRouteFrame(3, 2)}));
    QCOMPARE(r.switcher(), (QList<int>{3, 1, 1, 1}));
    QCOMPARE(r.shown(1), QStringLiteral("3"));
    QCOMPARE(r.shown(2), QStringLiteral("1"));
    QVERIFY(r.down(2, 1) && !r.down(2, 3));
    QVERIFY(r.down(3, 1) && !r.down(3, 3));
    QVERIFY(r.rig.form().RoutingAborted);
}

void TestRoutingView::noteLineNamesThePorts()
{
    Routed r;
    r.start({1, 2, 4, 1});
    QLabel *note = r.view.lblNote;

    Hover(r.view.inputButton(1, 3));
    QCOMPARE(note->text(), QStringLiteral("Output1 from Input3"));

    SetTag(r.rig.form(), 41, QStringLiteral("Projector"));
    SetTag(r.rig.form(), 3, QStringLiteral("Player"));
    Hover(r.view.inputButton(1, 3));
    QCOMPARE(note->text(), QStringLiteral("Output1 - [Projector] from Input3 - [Player]"));
    QCOMPARE(r.rig.form().HoveredButton, r.view.inputButton(1, 3));

    // The step buttons name the input the output shows now.
    Hover(r.view.nextButtons[2]);
    QCOMPARE(note->text(), QStringLiteral("Output3 from Input4"));
    QCOMPARE(r.rig.form().HoveredButton, r.view.nextButtons[2]);
    Hover(r.view.previousButtons[0]);
    QCOMPARE(note->text(), QStringLiteral("Output1 - [Projector] from Input1"));

    // Leaving the buttons for the group, the panel or the page resets the line.
    auto *presets = r.rig.form().findChild<QAbstractItemView *>("lvPreSetting");
    QVERIFY(presets);
    for (QWidget *area :
         {static_cast<QWidget *>(r.view.outputGroups[1]), static_cast<QWidget *>(r.view.Panel3),
          r.rig.form().tsSetting, static_cast<QWidget *>(note), presets->viewport(),
          r.rig.form().findChild<QWidget *>("GroupBox12")}) {
        Hover(r.view.inputButton(2, 2));
        QVERIFY(note->text() != QStringLiteral("Output from Input"));
        Hover(area);
        QCOMPARE(note->text(), QStringLiteral("Output from Input"));
    }
}

void TestRoutingView::tagWindowOnlyOverInputButtonsWithTags()
{
    Routed r;
    r.start({1, 2, 3, 4});
    TForm1 &form = r.rig.form();
    TfrmShowInOutInfo *info = form.windows().frmShowInOutInfo;
    QAbstractButton *button = r.view.inputButton(2, 1);

    // No tag at all: never shown, even with the option on; the note still names the ports.
    r.view.cbDisplayTag->setChecked(true);
    Hover(button);
    QVERIFY(!info->isVisible());
    QCOMPARE(r.view.lblNote->text(), QStringLiteral("Output2 from Input1"));

    // A tag but the option off: not shown.
    SetTag(form, 42, QStringLiteral("Screen"));
    r.view.cbDisplayTag->setChecked(false);
    Hover(button);
    QVERIFY(!info->isVisible());

    // Both: shown 28 pixels below the mouse, listing outputs then inputs.
    r.view.cbDisplayTag->setChecked(true);
    Hover(button, QPoint(5, 7));
    QVERIFY(info->isVisible());
    QCOMPARE(info->pos(), button->mapToGlobal(QPoint(5, 7)) + QPoint(0, 28));
    const QStringList lines{"Output1 - No tag", "Output2 - [Screen]", "Output3 - No tag",
                            "Output4 - No tag", "Input1 - No tag",    "Input2 - No tag",
                            "Input3 - No tag",  "Input4 - No tag"};
    QCOMPARE(info->lblInfo->text(), lines.join(QStringLiteral("\r\n")));
    const QFontMetrics metrics(info->lblInfo->font());
    QVERIFY(info->lblInfo->font().bold());
    int widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    QCOMPARE(info->size(), QSize(widest + 10, 8 * metrics.height() + 10));

    // The group closes it; the step buttons never open it.
    Hover(r.view.outputGroups[1]);
    QVERIFY(!info->isVisible());
    Hover(r.view.nextButtons[1]);
    Hover(r.view.previousButtons[0]);
    QVERIFY(!info->isVisible());

    // Opening the menu closes it, and so does a click on it.
    Hover(button);
    QVERIFY(info->isVisible());
    emit r.view.pm->aboutToShow();
    QVERIFY(!info->isVisible());
    Hover(button);
    QTest::mouseClick(info->lblInfo, Qt::LeftButton);
    QVERIFY(!info->isVisible());
}

QTEST_MAIN(TestRoutingView)
#include "tst_routing_view.moc"
