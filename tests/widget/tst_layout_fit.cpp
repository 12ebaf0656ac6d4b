// Texts show whole and controls are named by what they show: run once at 100 % and once with
// QT_SCALE_FACTOR=1.5 (see CMakeLists), and on an Xvfb screen of 1366 x 768 at 150 %.

#include "ShellRig.h"
#include "TestBytes.h"
#include "TextFit.h"
#include "WidgetFinder.h"

#include "edid/ui/EdidGrid.h"
#include "edid/ui/EdidPage.h"
#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/EnterYes.h"
#include "lanmodule/ui/Search.h"
#include "shell/StatusTexts.h"
#include "shell/presets/ui/PreSettingEdit.h"
#include "shell/routing/ui/ShowInOutInfo.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/StatusBarPanel.h"

#include <QAccessible>
#include <QGroupBox>
#include <QHeaderView>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace {

/// Both checks on a window as the operator sees it.
QStringList Problems(QWidget *window)
{
    QCoreApplication::processEvents();
    return TextsThatDoNotFit(window) + ControlsNamedWithoutTheirWords(window);
}

/// Every page of the main window in turn, then the same with what the window hides shown
/// (as "Advanced controls" shows it): the problems found, each with its page.
QStringList PageProblems(TForm1 &form)
{
    QStringList problems;
    for (int page = 0; page < form.pcContainer->count(); ++page) {
        if (!form.pcContainer->isTabVisible(page))
            continue;
        form.pcContainer->setCurrentIndex(page);
        for (const QString &problem : Problems(&form))
            problems << form.pcContainer->tabText(page) + QStringLiteral(": ") + problem;
    }
    form.pcContainer->setCurrentIndex(0);
    return problems;
}

void ShowHiddenControls(TForm1 &form)
{
    form.pcContainer->setTabVisible(form.pcContainer->indexOf(form.tsIR), true);
    for (const char *group : {"gbModeSelect", "gbLANMode", "gbTCPModInfo", "gbResetDefault"})
        Child<QGroupBox>(&form, group)->show();
}

} // namespace

#define EXPECT_NONE(problems)                                                                      \
    do {                                                                                           \
        const QStringList found = (problems);                                                      \
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("\n"))));                   \
    } while (false)

class TestLayoutFit : public QObject
{
    Q_OBJECT
private slots:
    void everyEdidCellShowsBothDigits();
    void everyPageShowsItsTextsWholeAndNamesItsControls();
    void everySecondaryWindowShowsItsTextsWhole();
    void statusPanelsReadOutWhatTheyShow();
    void windowOpensOnTheScreen();
};

void TestLayoutFit::everyEdidCellShowsBothDigits()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.pcContainer->setCurrentWidget(form.tsEDIDCtrl);
    auto *grid = Child<EdidGrid>(&form, "sgEDIDContent");
    QVERIFY(grid->isVisible());
    // Between them the two blocks hold every byte value, so every pair of digits is drawn.
    for (int seed : {0, 1}) {
        const QByteArray bytes = ValidEdidBlock(seed);
        QVERIFY(rig.windows->edid().ShowEDIDData(&bytes));
        QCOMPARE(TextsThatDoNotFit(grid), QStringList());
    }
}

void TestLayoutFit::everyPageShowsItsTextsWholeAndNamesItsControls()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    // The longest texts the pages show while they work.
    rig.context().ShowStatus(StatusPanel::Connection, QStringLiteral("ttyUSB0: Connected"));
    rig.context().ShowStatus(StatusPanel::Hint, QStringLiteral("In processing, command ignored"));
    rig.context().ShowStatus(StatusPanel::Clock,
                             StatusTexts::Clock(QDateTime(QDate(2026, 12, 28), QTime(23, 58))));
    EXPECT_NONE(PageProblems(form));
    // The preset list's headers read whole ("Output1", not "Outp...").
    auto *presets = Child<QTableWidget>(&form, "lvPreSetting");
    QCOMPARE(presets->horizontalHeaderItem(1)->text(), QStringLiteral("Output1"));

    ShowHiddenControls(form);
    EXPECT_NONE(PageProblems(form));
}

void TestLayoutFit::everySecondaryWindowShowsItsTextsWhole()
{
    ShellRig rig;
    rig.show();
    ProgramWindows &windows = *rig.windows;
    TfrmPreSettingEdit &editor = windows.preSettingEdit();
    for (const auto mode :
         {TfrmPreSettingEdit::Mode::OutputSetting, TfrmPreSettingEdit::Mode::InputPortTags,
          TfrmPreSettingEdit::Mode::OutputPortTags}) {
        editor.setMode(mode);
        editor.show();
        EXPECT_NONE(Problems(&editor));
        editor.hide();
    }
    windows.showInOutInfo().showLines(
        {QStringLiteral("Output1 - [Projector in the hall]"), QStringLiteral("Input1 - No tag")});
    const QList<QWidget *> others{&windows.showInOutInfo(), &windows.editLAN(), &windows.search(),
                                  &windows.enterYes()};
    for (QWidget *window : others) {
        window->show();
        EXPECT_NONE(Problems(window));
        window->hide();
    }
}

void TestLayoutFit::statusPanelsReadOutWhatTheyShow()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    const QList<QPair<StatusPanel, QString>> texts{
        {StatusPanel::Connection, QStringLiteral("Connected")},
        {StatusPanel::Operation, QStringLiteral("Done")},
        {StatusPanel::Operation, QStringLiteral("Time out!")},
        {StatusPanel::Hint, QStringLiteral("In processing, command ignored")},
    };
    for (const auto &[panel, text] : texts) {
        rig.context().ShowStatus(panel, text, panel == StatusPanel::Operation);
        StatusBarPanel *shown = form.statusPanel(int(panel));
        QCOMPARE(shown->fittedText(), text);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(shown);
        QVERIFY(accessible && accessible->textInterface());
        QCOMPARE(accessible->text(QAccessible::Name), text);
        QCOMPARE(accessible->text(QAccessible::Value), text);
        QCOMPARE(
            accessible->textInterface()->text(0, accessible->textInterface()->characterCount()),
            text);
    }
}

void TestLayoutFit::windowOpensOnTheScreen()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect screen = form.screen()->availableGeometry();
    const QRect window = form.frameGeometry();
    qInfo("screen %dx%d at %g, window %dx%d at %d,%d (minimum %dx%d)", screen.width(),
          screen.height(), form.devicePixelRatioF(), window.width(), window.height(), window.x(),
          window.y(), form.minimumWidth(), form.minimumHeight());
    // The specified size where the screen has room for it, else the screen's free area.
    const QSize expected = QSize(TForm1::ClientWidth, TForm1::ClientHeight)
                               .boundedTo(screen.size() - (window.size() - form.size()))
                               .expandedTo(form.minimumSize());
    QCOMPARE(form.size(), expected);
    const QSize frame = window.size() - form.size();
    if (screen.width() >= form.minimumWidth() + frame.width() &&
        screen.height() >= form.minimumHeight() + frame.height())
        QVERIFY2(screen.contains(window), "the window reaches beyond the screen");
    QVERIFY(window.x() >= screen.x() && window.y() >= screen.y());
}

QTEST_MAIN(TestLayoutFit)
#include "tst_layout_fit.moc"
