#include "ScriptedDialogs.h"
#include "ShellRig.h"
#include "TestBytes.h"
#include "WidgetFinder.h"

#include "edid/ui/EdidPage.h"
#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/EnterYes.h"
#include "lanmodule/ui/Search.h"
#include "shell/ShellContext.h"
#include "shell/StatusBoard.h"
#include "shell/presets/ui/PreSettingEdit.h"
#include "shell/routing/RoutingState.h"
#include "shell/routing/ui/ShowInOutInfo.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/StatusBarPanel.h"
#include "ui/KXGauge.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace {

QAccessibleActionInterface *ActionsOf(QObject *control)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    return accessible ? accessible->actionInterface() : nullptr;
}

/// The accessible interface of the page tab that shows `page`.
QAccessibleInterface *TabOf(TForm1 &form, QWidget *page)
{
    QAccessibleInterface *tabs = QAccessible::queryAccessibleInterface(form.pcContainer->tabBar());
    return tabs ? tabs->child(form.pcContainer->indexOf(page)) : nullptr;
}

/// Shows what the window hides, as its "Advanced controls" would.
void ShowHiddenControls(TForm1 &form)
{
    form.pcContainer->setTabVisible(form.pcContainer->indexOf(form.tsIR), true);
    for (const char *group : {"gbModeSelect", "gbLANMode", "gbTCPModInfo", "gbResetDefault"})
        Child<QGroupBox>(&form, group)->show();
}

/// The page of the main window that holds `control`.
QWidget *PageOf(TForm1 &form, QWidget *control)
{
    for (QWidget *widget = control; widget; widget = widget->parentWidget()) {
        if (form.pcContainer->indexOf(widget) >= 0)
            return widget;
    }
    return nullptr;
}

/// What the switcher and the operator can tell after one use of a control.
struct Outcome
{
    QList<QByteArray> frames;
    QStringList status;
    QStringList dialogs;
    bool checked = false;

    bool operator==(const Outcome &) const = default;
};

QString Describe(const Outcome &outcome)
{
    QStringList frames;
    for (const QByteArray &frame : outcome.frames)
        frames << QString::fromLatin1(frame.toHex(' '));
    return QStringLiteral("frames [%1] status [%2] dialogs [%3] checked %4")
        .arg(frames.join(QStringLiteral("; ")), outcome.status.join(QStringLiteral("|")),
             outcome.dialogs.join(QStringLiteral("|")))
        .arg(outcome.checked);
}

/// Uses the control named `name` once on a fresh program whose hidden controls are shown:
/// with the mouse, or with its first accessible action.
Outcome UseOnce(const QByteArray &settings, const char *name, bool byAction)
{
    ShellRig rig;
    if (!settings.isEmpty())
        rig.writeSettings(settings);
    TForm1 &form = rig.show();
    rig.answerEveryCommand();
    ShowHiddenControls(form);
    auto *control = Child<QAbstractButton>(&form, name);
    if (!control)
        return {};
    form.pcContainer->setCurrentWidget(PageOf(form, control));
    QCoreApplication::processEvents();
    rig.dialogs.clear();
    if (byAction) {
        QAccessibleActionInterface *actions = ActionsOf(control);
        if (!actions || actions->actionNames().isEmpty())
            return {};
        actions->doAction(actions->actionNames().constFirst());
    } else {
        // Check boxes and radio buttons take a click on their box, at their left.
        const bool box =
            qobject_cast<QCheckBox *>(control) || qobject_cast<QRadioButton *>(control);
        QTest::mouseClick(control, Qt::LeftButton, {},
                          box ? QPoint(8, control->height() / 2) : control->rect().center());
    }
    Outcome outcome;
    outcome.frames = rig.serial().writes;
    for (const StatusPanel panel :
         {StatusPanel::Connection, StatusPanel::Operation, StatusPanel::Hint})
        outcome.status << rig.context().status().text(panel);
    for (const ScriptedDialogs::Call &call : rig.dialogs.calls())
        outcome.dialogs << call.text;
    outcome.checked = control->isChecked();

    // A change made by the program is no operator's: it sends nothing and shows nothing new.
    const qsizetype sent = rig.serial().writes.size();
    control->toggle();
    control->toggle();
    if (rig.serial().writes.size() != sent)
        outcome.frames << QByteArray("sent on a programmatic change");
    return outcome;
}

} // namespace

// Screen readers and desktop automation reach a control through its accessible interface: it
// names every control, reads out what the window shows, and acts as the operator does.
class AccessibilityTest : public QObject
{
    Q_OBJECT
private slots:
    void everyControlHasAnAccessibleName();
    void mainWindowIsNamedByItsTitle();
    void actionsRunTheOperatorsHandler_data();
    void actionsRunTheOperatorsHandler();
    void hiddenControlsOfferNoActionUntilShown();
    void valueDisplaysReadOutWhatTheyShow();
};

void AccessibilityTest::everyControlHasAnAccessibleName()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    const ProgramWindows &windows = *rig.windows;
    const QList<QWidget *> tops = {
        &form,
        &windows.preSettingEdit(),
        &windows.showInOutInfo(),
        &windows.editLAN(),
        &windows.search(),
        &windows.enterYes(),
    };
    QStringList unnamed;
    int checked = 0;
    for (QWidget *top : tops) {
        QVERIFY(top);
        for (QWidget *widget : top->findChildren<QWidget *>()) {
            const bool control =
                qobject_cast<QAbstractButton *>(widget) || qobject_cast<QComboBox *>(widget) ||
                qobject_cast<QLineEdit *>(widget) || qobject_cast<QPlainTextEdit *>(widget) ||
                qobject_cast<QAbstractItemView *>(widget) ||
                qobject_cast<QAbstractSlider *>(widget);
            // Parts Qt builds inside its own widgets (a combo box's editor, scroll bars,
            // tab bar arrows) are named by their owners.
            const QString name = widget->objectName();
            if (!control || name.isEmpty() || name.startsWith(QLatin1String("qt_")))
                continue;
            ++checked;
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
            const QString text = accessible ? accessible->text(QAccessible::Name) : QString();
            // Every control names itself: a text derived from a caption such as "1" or
            // "×" would not say which output or which list it belongs to.
            if (text.trimmed().isEmpty() || widget->accessibleName().isEmpty())
                unnamed << top->objectName() + QLatin1Char('/') + name;
        }
    }
    QVERIFY2(checked > 150, qPrintable(QString::number(checked)));
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
}

void AccessibilityTest::mainWindowIsNamedByItsTitle()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&form);
    QVERIFY(window);
    QCOMPARE(window->text(QAccessible::Name),
             QStringLiteral("4x4 HDMI Matrix Controller - ver1.0"));
}

void AccessibilityTest::actionsRunTheOperatorsHandler_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QByteArray>("control");
    const QByteArray serial;
    const QByteArray network("[Control mode]\nMode=1\n");
    // Every kind of control with a handler: check boxes, radio buttons, toggle buttons of
    // the routing view, push buttons that send, connect or open a window.
    QTest::newRow("IR check box") << serial << QByteArray("cbIREnable");
    QTest::newRow("tag option check box") << serial << QByteArray("cbDisplayTag");
    QTest::newRow("TCP mode radio button") << serial << QByteArray("rbLANMode");
    QTest::newRow("COM mode radio button") << network << QByteArray("rbCOMMode");
    QTest::newRow("routing input button") << serial << QByteArray("SpeedButton2");
    QTest::newRow("routing input button down") << serial << QByteArray("sbSetInput");
    QTest::newRow("next input button") << serial << QByteArray("sbNext2");
    QTest::newRow("device status button") << serial << QByteArray("btnGetDevStatus");
    QTest::newRow("connect button") << serial << QByteArray("btnConnect");
    QTest::newRow("EDID mode button") << serial << QByteArray("btnSetEDIDMode");
    QTest::newRow("tag editor button") << serial << QByteArray("btnEditInputPortTag");
    QTest::newRow("module query button") << serial << QByteArray("btnQueryTCPModInfo");
    QTest::newRow("network search button") << network << QByteArray("btnSearchDevice");
}

void AccessibilityTest::actionsRunTheOperatorsHandler()
{
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, control);
    const Outcome clicked = UseOnce(settings, control.constData(), false);
    const Outcome acted = UseOnce(settings, control.constData(), true);
    QVERIFY2(acted == clicked, qPrintable(QStringLiteral("click: ") + Describe(clicked) +
                                          QStringLiteral("\naction: ") + Describe(acted)));
    QVERIFY(!clicked.status.isEmpty());
}

void AccessibilityTest::hiddenControlsOfferNoActionUntilShown()
{
    ShellRig rig;
    rig.writeSettings("[Control mode]\nMode=1\n");
    TForm1 &form = rig.show();
    rig.answerEveryCommand();

    // Every button and list the window hides: not showing, and no action that does anything.
    QStringList reachable;
    for (QWidget *control : form.findChildren<QWidget *>()) {
        const bool button = qobject_cast<QAbstractButton *>(control);
        if ((!button && !qobject_cast<QComboBox *>(control)) || control->isVisible())
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        if (!accessible->state().invisible ||
            !accessible->actionInterface()->actionNames().isEmpty())
            reachable << control->objectName();
        const bool checked = button && static_cast<QAbstractButton *>(control)->isChecked();
        for (const QString &action :
             {QAccessibleActionInterface::pressAction(), QAccessibleActionInterface::toggleAction(),
              QAccessibleActionInterface::showMenuAction()})
            accessible->actionInterface()->doAction(action);
        if (button && static_cast<QAbstractButton *>(control)->isChecked() != checked)
            reachable << control->objectName() + QStringLiteral(" toggled");
    }
    QCOMPARE(reachable, QStringList());
    QVERIFY(rig.serial().writes.isEmpty());
    QCOMPARE(rig.dialogs.count(), 0);

    // The hidden page's tab: not showing, and pressing it leaves the page where it is.
    QAccessibleInterface *advanced = TabOf(form, form.tsIR);
    QVERIFY(advanced);
    QCOMPARE(advanced->text(QAccessible::Name), QStringLiteral("Advanced"));
    QVERIFY(advanced->state().invisible);
    QCOMPARE(advanced->actionInterface()->actionNames(), QStringList());
    advanced->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(form.pcContainer->currentWidget(), form.tsGeneral);
    QVERIFY(!TabOf(form, form.tsSetting)->state().invisible);

    // Once the window shows them, they work as for the operator.
    ShowHiddenControls(form);
    QVERIFY(!advanced->state().invisible);
    advanced->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(form.pcContainer->currentWidget(), form.tsIR);
    form.pcContainer->setCurrentWidget(form.tsGeneral);
    auto *search = Child<QAbstractButton>(&form, "btnSearchDevice");
    QVERIFY(!QAccessible::queryAccessibleInterface(search)->state().invisible);
    QCOMPARE(ActionsOf(search)->actionNames().constFirst(),
             QAccessibleActionInterface::pressAction());
    rig.dialogs.pushModalResult(0);
    ActionsOf(search)->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Modal), 1);
}

// What a display shows is its name and its value (the change events are read through AT-SPI
// by tests/atspi, as Qt sends them only while a screen reader listens).
void AccessibilityTest::valueDisplaysReadOutWhatTheyShow()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    rig.answerEveryCommand();
    const auto read = [](QWidget *display) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(display);
        const QString name = accessible->text(QAccessible::Name);
        return name == accessible->text(QAccessible::Value) ? name : QStringLiteral("differs");
    };

    rig.context().ShowStatus(StatusPanel::Operation, QStringLiteral("Done"));
    QCOMPARE(read(form.statusPanel(2)), QStringLiteral("Done"));

    form.pcContainer->setCurrentWidget(form.tsSetting);
    rig.context().routing().setInput(1, 3);
    QCOMPARE(read(Child<QWidget>(&form, "LED1")), QStringLiteral("Output1: Input 3"));

    form.pcContainer->setCurrentWidget(form.tsGeneral);
    Child<QAbstractButton>(&form, "btnGetDevStatus")->click();
    QCOMPARE(read(Child<QWidget>(&form, "Label7")), Child<QLabel>(&form, "Label7")->text());
    QVERIFY(Child<QLabel>(&form, "Label7")->text().startsWith(QLatin1String("Input1: ")));

    form.pcContainer->setCurrentWidget(form.tsEDIDCtrl);
    const QByteArray block = ValidEdidBlock(0);
    QVERIFY(rig.windows->edid().ShowEDIDData(&block));
    QAccessibleInterface *grid =
        QAccessible::queryAccessibleInterface(Child<QWidget>(&form, "sgEDIDContent"));
    QCOMPARE(grid->tableInterface()->cellAt(1, 2)->text(QAccessible::Name),
             QString::fromLatin1(block.mid(1, 1).toHex().toUpper()));

    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    gauge.setCaption(QStringLiteral("Upgrading Part_1.2"));
    gauge.setProgress(37);
    QCOMPARE(read(&gauge), QStringLiteral("Upgrading Part_1.2 37%"));
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(&gauge);
    QCOMPARE(bar->valueInterface()->currentValue().toInt(), 37);
    QCOMPARE(bar->valueInterface()->maximumValue().toInt(), 100);
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
