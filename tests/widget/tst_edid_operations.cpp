#include "EdidPageRig.h"
#include "ShellRig.h"
#include "WidgetTexts.h"

#include "edid/ui/EdidGrid.h"
#include "edid/ui/EdidPage.h"
#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/ui/MainWindow.h"

#include <QComboBox>
#include <QTabWidget>
#include <QTest>

#include <initializer_list>
#include <utility>

using namespace std::chrono_literals;
using Kind = ScriptedDialogs::Kind;

namespace {

const QString LockedText = QStringLiteral("Please set [EDID Selector] to [1111] first, otherwise "
                                          "EDID software control mode not permitted.");
const QString NotConnected3 =
    QStringLiteral("EDID can not be read because output not connected.\r\n[Output3]");

QString F(int command, int subcommand, std::uint16_t p1, std::uint16_t p2 = 0)
{
    return EdidPageRig::frame(command, subcommand, p1, p2);
}

const QString ControlQuery = F(3, 11, 0);
const QString Prepare = F(3, 8, 0x00F0);
constexpr auto Operation = StatusPanel::Operation;
constexpr auto Hint = StatusPanel::Hint;

/// Edits port tags as the Port Tag page does: by port tag (inputs n, outputs 40 + n).
void SetTags(ShellContext &context, std::initializer_list<std::pair<int, QString>> edits)
{
    PortTagSet tags = context.portTags().tags();
    for (const auto &[port, text] : edits) {
        const bool output = port > PortTagsModel::OutputTagBase;
        auto &set = output ? tags.outputs : tags.inputs;
        set[std::size_t(port - (output ? PortTagsModel::OutputTagBase : 0) - 1)] = text;
    }
    context.portTags().setTags(tags);
}

} // namespace

class TestEdidOperations : public QObject
{
    Q_OBJECT
private slots:
    void listsAsBuilt();
    void setMode_data();
    void setMode();
    void copyFromOutput();
    void copyFromOutputWithoutDisplay();
    void promptsRefuseEveryAction();
    void lockedControlStopsChangesButNotRead();
    void readSources();
    void readWithoutDisplayLeavesGridEmpty();
    void readInvalidBlockAsksToReadAgain();
    void readTimeoutEndsIdle();
    void download_data();
    void download();
    void downloadNeedsCompleteGrid();
    void downloadSendsTheBlockShownAtTheClick();
    void secondActionDuringTransferIsRefused();
    void tagChangesShowKeepingPositions();
    void showingThePageInTheProgramRebuildsTheLists();
    void userTagDoesNotShiftMemoryCodes();
};

void TestEdidOperations::listsAsBuilt()
{
    EdidPageRig rig;
    QCOMPARE(rig.list("cbEDIDMode")->count(), 19);
    QCOMPARE(rig.list("cbEDIDMode")->itemText(18), QStringLiteral("Default EDID"));
    QCOMPARE(rig.list("cbEDIDMode")->itemText(0), QStringLiteral("Select EDID"));
    const QStringList inputs{"Select Input", "In1", "In2", "In3", "In4", "All Inputs"};
    for (QComboBox *list : {rig.list("cbSetEDIDModeInput"), rig.list("cbCopyEDIDInput")}) {
        QCOMPARE(ComboItems(list), inputs);

        QVERIFY(!list->isEditable());
    }
    QCOMPARE(rig.list("cbDownloadEDIDInput")->count(), 8);
    QCOMPARE(rig.list("cbDownloadEDIDInput")->itemText(7), QStringLiteral("User2 Memory"));
    QCOMPARE(rig.list("cbCopyEDIDOutput")->count(), 5);
    QCOMPARE(rig.list("cbCopyEDIDOutput")->itemText(0), QStringLiteral("Select Output"));
    QCOMPARE(rig.list("cbReadEDIDDataOutput")->count(), 7);
    QCOMPARE(rig.list("cbReadEDIDDataOutput")->itemText(5), QStringLiteral("User1 Memory"));
    QCOMPARE(EdidPage::FirstUserMemoryIndex(rig.list("cbEDIDMode")), 16);
    // The grid has its headers from the first showing on, and no data.
    const auto *grid = rig.child<EdidGrid>("sgEDIDContent");
    QCOMPARE(grid->item(0, 16)->text(), QStringLiteral("F"));
    QCOMPARE(grid->item(16, 0)->text(), QStringLiteral("F0"));
    QVERIFY(rig.gridEmpty());
}

void TestEdidOperations::setMode_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("command");
    QTest::newRow("default to In2") << "Default EDID"
                                    << "In2" << F(3, 10, 2);
    QTest::newRow("default to all") << "Default EDID"
                                    << "All Inputs" << F(3, 9, 0x00FE);
    QTest::newRow("User2 to all") << "User2"
                                  << "All Inputs" << F(3, 1, 0xF200);
    QTest::newRow("User1 to In1") << "User1"
                                  << "In1" << F(3, 2, 0xF100, 1);
    QTest::newRow("4K2K 7.1 to In3") << "4K2K, HD Audio 7.1"
                                     << "In3" << F(3, 2, 0xF00C, 3);
    QTest::newRow("1080i 2.0 to In4") << "1080i, Stereo Audio 2.0"
                                      << "In4" << F(3, 2, 0xF001, 4);
}

void TestEdidOperations::setMode()
{
    QFETCH(QString, mode);
    QFETCH(QString, input);
    QFETCH(QString, command);
    EdidPageRig rig;
    rig.sim().inputEdidMode.fill(0x1234);
    EdidPageRig::pick(rig.list("cbEDIDMode"), mode);
    EdidPageRig::pick(rig.list("cbSetEDIDModeInput"), input);

    rig.click("btnSetEDIDMode");

    QCOMPARE(rig.received(), (QStringList{ControlQuery, Prepare, command}));
    QCOMPARE(rig.status(Operation), QStringLiteral("Done"));
    QCOMPARE(rig.dialogs().count(), 0);
    QVERIFY(rig.idle());
    // The switcher took the change: the chosen inputs no longer carry the old mode.
    const int changed =
        int(std::count_if(rig.sim().inputEdidMode.begin(), rig.sim().inputEdidMode.begin() + 4,
                          [](std::uint16_t m) { return m != 0x1234; }));
    QCOMPARE(changed, input == QStringLiteral("All Inputs") ? 4 : 1);
}

void TestEdidOperations::copyFromOutput()
{
    EdidPageRig rig;
    rig.list("cbCopyEDIDOutput")->setCurrentIndex(4);
    EdidPageRig::pick(rig.list("cbCopyEDIDInput"), QStringLiteral("All Inputs"));

    rig.click("btnCopyEDID");

    QCOMPARE(rig.received(), (QStringList{ControlQuery, F(1, 5, 4), Prepare, F(3, 3, 4)}));
    for (int n = 0; n < 4; ++n)
        QCOMPARE(rig.sim().inputEdid[n], rig.sim().displayEdid[3]);

    rig.sim().clearLogs();
    rig.list("cbCopyEDIDOutput")->setCurrentIndex(1);
    rig.list("cbCopyEDIDInput")->setCurrentIndex(2);
    rig.click("btnCopyEDID");
    QCOMPARE(rig.received(), (QStringList{ControlQuery, F(1, 5, 1), Prepare, F(3, 4, 1, 2)}));
    QCOMPARE(rig.status(Operation), QStringLiteral("Done"));
}

void TestEdidOperations::copyFromOutputWithoutDisplay()
{
    EdidPageRig rig;
    QVERIFY(!rig.sim().displayConnected[2]);
    rig.list("cbCopyEDIDOutput")->setCurrentIndex(3);
    rig.list("cbCopyEDIDInput")->setCurrentIndex(1);

    rig.click("btnCopyEDID");

    QCOMPARE(rig.received(), (QStringList{ControlQuery, F(1, 5, 3)}));
    QCOMPARE(rig.dialogs().texts(Kind::Information), QStringList{NotConnected3});
}

void TestEdidOperations::promptsRefuseEveryAction()
{
    EdidPageRig rig;
    const QString hint = QStringLiteral("Select list item first");
    rig.list("cbSetEDIDModeInput")->setCurrentIndex(1); // the mode list still shows its prompt
    rig.list("cbCopyEDIDOutput")->setCurrentIndex(1);   // the copy target still shows its prompt
    for (const char *button :
         {"btnSetEDIDMode", "btnCopyEDID", "btnReadEDIDData", "btnDownloadEDID"}) {
        rig.context().ShowStatus(Hint, QString());
        rig.click(button);
        QCOMPARE(rig.status(Hint), hint);
    }
    QVERIFY(rig.received().isEmpty());
    QCOMPARE(rig.shell.serial().openCalls, 0);
}

void TestEdidOperations::lockedControlStopsChangesButNotRead()
{
    EdidPageRig rig;
    rig.sim().edidControlMode = 15;
    rig.list("cbEDIDMode")->setCurrentIndex(4);
    rig.list("cbSetEDIDModeInput")->setCurrentIndex(1);
    rig.list("cbCopyEDIDOutput")->setCurrentIndex(1);
    rig.list("cbCopyEDIDInput")->setCurrentIndex(1);
    rig.list("cbDownloadEDIDInput")->setCurrentIndex(1);
    rig.list("cbReadEDIDDataOutput")->setCurrentIndex(1);

    rig.click("btnSetEDIDMode");
    rig.click("btnCopyEDID");
    rig.click("btnDownloadEDID");
    QCOMPARE(rig.received(), (QStringList{ControlQuery, ControlQuery, ControlQuery}));
    QCOMPARE(rig.dialogs().texts(Kind::Information),
             (QStringList{LockedText, LockedText, LockedText}));

    rig.sim().clearLogs();
    rig.click("btnReadEDIDData");
    QCOMPARE(rig.received().mid(0, 2), (QStringList{F(1, 5, 1), F(3, 5, 0xF001)}));
    QCOMPARE(rig.gridBlock(), AsByteArray(rig.sim().displayEdid[0]));
    QCOMPARE(rig.dialogs().count(), 3);
}

void TestEdidOperations::readSources()
{
    EdidPageRig rig;
    EdidPageRig::pick(rig.list("cbReadEDIDDataOutput"), QStringLiteral("User2 Memory"));

    rig.click("btnReadEDIDData");

    const QStringList units = rig.received();
    QCOMPARE(units.first(), F(3, 5, 0xF200));
    for (const QString &unit : units)
        QVERIFY2(!unit.startsWith(QLatin1String("1.5")), qPrintable(unit));
    QCOMPARE(rig.gridBlock(), AsByteArray(rig.sim().userMemory[1]));
    QCOMPARE(rig.status(Operation), QStringLiteral("Done"));
    QCOMPARE(rig.child<EdidGrid>("sgEDIDContent")->dataText(0, 1), QStringLiteral("FF"));

    rig.sim().clearLogs();
    rig.sim().displayConnected[2] = true;
    rig.list("cbReadEDIDDataOutput")->setCurrentIndex(3);
    rig.click("btnReadEDIDData");
    QCOMPARE(rig.received().mid(0, 2), (QStringList{F(1, 5, 3), F(3, 5, 0xF003)}));
    QCOMPARE(rig.gridBlock(), AsByteArray(rig.sim().displayEdid[2]));
    QCOMPARE(rig.context().link()->ReadStream, AsByteArray(rig.sim().displayEdid[2]));
    QVERIFY(rig.idle());
    QCOMPARE(rig.status(Hint), QString());
}

void TestEdidOperations::readWithoutDisplayLeavesGridEmpty()
{
    EdidPageRig rig;
    rig.list("cbReadEDIDDataOutput")->setCurrentIndex(1);
    rig.click("btnReadEDIDData");
    QVERIFY(!rig.gridEmpty());

    rig.sim().clearLogs();
    rig.list("cbReadEDIDDataOutput")->setCurrentIndex(3);
    rig.click("btnReadEDIDData");

    QVERIFY(rig.gridEmpty());
    QCOMPARE(rig.received(), QStringList{F(1, 5, 3)});
    QCOMPARE(rig.dialogs().texts(Kind::Information), QStringList{NotConnected3});
}

void TestEdidOperations::readInvalidBlockAsksToReadAgain()
{
    EdidPageRig rig;
    rig.sim().userMemory[0][0] = 0x01; // header broken, checksum kept
    rig.sim().userMemory[0][255] = std::uint8_t(rig.sim().userMemory[0][255] - 1);
    EdidPageRig::pick(rig.list("cbReadEDIDDataOutput"), QStringLiteral("User1 Memory"));

    rig.click("btnReadEDIDData");

    QCOMPARE(rig.status(Operation), QStringLiteral("Done"));
    QCOMPARE(rig.dialogs().texts(Kind::Information),
             QStringList{QStringLiteral("EDID data not valid. Please try to read again.")});
    QVERIFY(rig.gridEmpty());
    QVERIFY(rig.idle());
}

void TestEdidOperations::readTimeoutEndsIdle()
{
    EdidPageRig rig;
    rig.device.faults().arm(SimFault::Silence, SimFaults::Always);
    rig.list("cbReadEDIDDataOutput")->setCurrentIndex(5);

    rig.click("btnReadEDIDData");

    QCOMPARE(rig.status(Operation), QStringLiteral("Time out!"));
    QVERIFY(rig.idle());
    QVERIFY(rig.gridEmpty());
    QCOMPARE(rig.dialogs().count(), 0);
}

void TestEdidOperations::download_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("command");
    QTest::newRow("In1") << 1 << F(3, 7, 0xF001);
    QTest::newRow("In4") << 4 << F(3, 7, 0xF004);
    QTest::newRow("All Inputs") << 5 << F(3, 6, 0xF0FE);
    QTest::newRow("User1 Memory") << 6 << F(3, 7, 0xF100);
    QTest::newRow("User2 Memory") << 7 << F(3, 7, 0xF200);
}

void TestEdidOperations::download()
{
    QFETCH(int, entry);
    QFETCH(QString, command);
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QByteArray block = AsByteArray(rig.sim().displayEdid[1]);
    QVERIFY(page.ShowEDIDData(&block));
    rig.list("cbDownloadEDIDInput")->setCurrentIndex(entry);

    rig.click("btnDownloadEDID");

    QCOMPARE(rig.received(), (QStringList{ControlQuery, Prepare, command, "packet"}));
    QCOMPARE(rig.status(Operation), QStringLiteral("Done"));
    QVERIFY(rig.idle());
    if (entry <= 4)
        QCOMPARE(AsByteArray(rig.sim().inputEdid[entry - 1]), block);
    else if (entry == 5)
        QCOMPARE(AsByteArray(rig.sim().inputEdid[3]), block);
    else
        QCOMPARE(AsByteArray(rig.sim().userMemory[entry - 6]), block);
}

void TestEdidOperations::downloadNeedsCompleteGrid()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QByteArray block = AsByteArray(rig.sim().displayEdid[1]);
    page.ShowEDIDData(&block);
    rig.click("btnClearEDIDContent");
    rig.list("cbDownloadEDIDInput")->setCurrentIndex(2);

    rig.click("btnDownloadEDID");

    QCOMPARE(rig.received(), QStringList{ControlQuery});
    QCOMPARE(rig.status(Hint), QStringLiteral("EDID Content empty, open EDID file first"));
    QVERIFY(rig.context().link()->WriteStream.isEmpty());
}

void TestEdidOperations::downloadSendsTheBlockShownAtTheClick()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QByteArray shown = AsByteArray(rig.sim().displayEdid[0]);
    page.ShowEDIDData(&shown);
    rig.context().link()->WriteStream = AsByteArray(rig.sim().displayEdid[1]);
    rig.list("cbDownloadEDIDInput")->setCurrentIndex(6);
    QVERIFY(rig.shell.connect());
    // The grid is cleared while the preparing command waits for its answer.
    rig.answerDelay = 20ms;
    rig.shell.clock.schedule(30ms, [&page] { page.ClearEDIDData(); });

    rig.click("btnDownloadEDID");

    QCOMPARE(AsByteArray(rig.sim().userMemory[0]), shown);
    QCOMPARE(rig.status(Operation), QStringLiteral("Done"));
}

void TestEdidOperations::secondActionDuringTransferIsRefused()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    QVERIFY(rig.shell.connect());
    rig.answerDelay = 20ms;
    rig.list("cbReadEDIDDataOutput")->setCurrentIndex(6);
    rig.list("cbDownloadEDIDInput")->setCurrentIndex(1);
    rig.list("cbEDIDMode")->setCurrentIndex(1);
    rig.list("cbSetEDIDModeInput")->setCurrentIndex(1);
    QStringList hints;
    rig.dialogs().pushFileName(QStringLiteral("/nonexistent/never-asked.bin"));
    rig.shell.clock.schedule(30ms, [&] {
        page.btnSetEDIDModeClick();
        hints.append(rig.status(Hint));
        rig.context().ShowStatus(Hint, QString());
        page.btnOpenEDIDClick();
        hints.append(rig.status(Hint));
        QVERIFY(rig.context().gate().busy()); // the window keeps its page meanwhile
    });

    rig.click("btnReadEDIDData");

    const QString busy = QStringLiteral("In processing, command ignored");
    QCOMPARE(hints, (QStringList{busy, busy}));
    QCOMPARE(rig.dialogs().count(Kind::OpenFile), 0);
    QCOMPARE(rig.gridBlock(), AsByteArray(rig.sim().userMemory[1]));
    QCOMPARE(rig.status(Hint), QString());
    for (const QString &unit : rig.received())
        QVERIFY2(!unit.startsWith(QLatin1String("3.11")), qPrintable(unit));
}

void TestEdidOperations::tagChangesShowKeepingPositions()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    rig.list("cbSetEDIDModeInput")->setCurrentIndex(2);
    rig.list("cbCopyEDIDInput")->setCurrentIndex(5);
    rig.list("cbDownloadEDIDInput")->setCurrentIndex(7);
    rig.list("cbCopyEDIDOutput")->setCurrentIndex(3);
    rig.list("cbReadEDIDDataOutput")->setCurrentIndex(3);
    SetTags(rig.context(), {{2, QStringLiteral("Blu-ray")}, {43, QStringLiteral("Projector")}});

    page.tsEDIDCtrlShow();

    QCOMPARE(rig.list("cbSetEDIDModeInput")->currentText(), QStringLiteral("In2 - [Blu-ray]"));
    QCOMPARE(rig.list("cbCopyEDIDInput")->currentText(), QStringLiteral("All Inputs"));
    QCOMPARE(rig.list("cbCopyEDIDInput")->itemText(2), QStringLiteral("In2 - [Blu-ray]"));
    QCOMPARE(rig.list("cbDownloadEDIDInput")->currentIndex(), 7);
    QCOMPARE(rig.list("cbDownloadEDIDInput")->itemText(2), QStringLiteral("In2 - [Blu-ray]"));
    QCOMPARE(rig.list("cbCopyEDIDOutput")->currentText(), QStringLiteral("Out3 - [Projector]"));
    QCOMPARE(rig.list("cbReadEDIDDataOutput")->currentText(), QStringLiteral("Out3 - [Projector]"));
    QCOMPARE(rig.list("cbReadEDIDDataOutput")->itemText(1), QStringLiteral("Out1"));

    // Building the lists afresh (as loading the settings does) selects the prompts.
    page.BuildEDIDPortLists();
    QCOMPARE(rig.list("cbReadEDIDDataOutput")->currentIndex(), 0);
    QCOMPARE(rig.list("cbSetEDIDModeInput")->itemText(2), QStringLiteral("In2 - [Blu-ray]"));
}

void TestEdidOperations::showingThePageInTheProgramRebuildsTheLists()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    QComboBox *list = Child<QComboBox>(&form, "cbCopyEDIDOutput");
    list->setCurrentIndex(3);
    SetTags(rig.context(), {{43, QStringLiteral("Projector")}});

    form.pcContainer->setCurrentWidget(form.tsEDIDCtrl);

    QCOMPARE(list->currentText(), QStringLiteral("Out3 - [Projector]"));
}

void TestEdidOperations::userTagDoesNotShiftMemoryCodes()
{
    EdidPageRig rig;
    SetTags(rig.context(), {{42, QStringLiteral("User lounge")}});
    rig.page().RebuildEDIDPortLists();
    EdidPageRig::pick(rig.list("cbReadEDIDDataOutput"), QStringLiteral("User1 Memory"));

    rig.click("btnReadEDIDData");

    QCOMPARE(rig.received().first(), F(3, 5, 0xF100));
    QCOMPARE(rig.gridBlock(), AsByteArray(rig.sim().userMemory[0]));

    rig.sim().clearLogs();
    rig.list("cbReadEDIDDataOutput")->setCurrentIndex(2);
    rig.click("btnReadEDIDData");
    QCOMPARE(rig.received().mid(0, 2), (QStringList{F(1, 5, 2), F(3, 5, 0xF002)}));
}

QTEST_MAIN(TestEdidOperations)
#include "tst_edid_operations.moc"
