#include "EdidPageRig.h"
#include "WidgetTexts.h"

#include "edid/ui/EdidGrid.h"
#include "edid/ui/EdidPage.h"
#include "link/KXCOMControl.h"
#include "shell/ui/MainWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

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
    void userTagDoesNotShiftMemoryCodes();
};

void TestEdidOperations::listsAsBuilt()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    QCOMPARE(page.cbEDIDMode->count(), 19);
    QCOMPARE(page.cbEDIDMode->itemText(18), QStringLiteral("Default EDID"));
    QCOMPARE(page.cbEDIDMode->itemText(0), QStringLiteral("Select EDID"));
    const QStringList inputs{"Select Input", "In1", "In2", "In3", "In4", "All Inputs"};
    for (QComboBox *list : {page.cbSetEDIDModeInput, page.cbCopyEDIDInput}) {
        QCOMPARE(ComboItems(list), inputs);

        QVERIFY(!list->isEditable());
    }
    QCOMPARE(page.cbDownloadEDIDInput->count(), 8);
    QCOMPARE(page.cbDownloadEDIDInput->itemText(7), QStringLiteral("User2 Memory"));
    QCOMPARE(page.cbCopyEDIDOutput->count(), 5);
    QCOMPARE(page.cbCopyEDIDOutput->itemText(0), QStringLiteral("Select Output"));
    QCOMPARE(page.cbReadEDIDDataOutput->count(), 7);
    QCOMPARE(page.cbReadEDIDDataOutput->itemText(5), QStringLiteral("User1 Memory"));
    QCOMPARE(EdidPage::FirstUserMemoryIndex(page.cbEDIDMode), 16);
    // The grid has its headers from the first showing on, and no data.
    QCOMPARE(page.sgEDIDContent->item(0, 16)->text(), QStringLiteral("F"));
    QCOMPARE(page.sgEDIDContent->item(16, 0)->text(), QStringLiteral("F0"));
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
    EdidPage &page = rig.page();
    rig.sim().inputEdidMode.fill(0x1234);
    EdidPageRig::pick(page.cbEDIDMode, mode);
    EdidPageRig::pick(page.cbSetEDIDModeInput, input);

    page.btnSetEDIDMode->click();

    QCOMPARE(rig.received(), (QStringList{ControlQuery, Prepare, command}));
    QCOMPARE(rig.form().statusText(2), QStringLiteral("Done"));
    QCOMPARE(rig.shell.dialogs.count(), 0);
    QVERIFY(rig.form().flags().CommandIdle);
    // The switcher took the change: the chosen inputs no longer carry the old mode.
    const int changed =
        int(std::count_if(rig.sim().inputEdidMode.begin(), rig.sim().inputEdidMode.begin() + 4,
                          [](std::uint16_t m) { return m != 0x1234; }));
    QCOMPARE(changed, input == QStringLiteral("All Inputs") ? 4 : 1);
}

void TestEdidOperations::copyFromOutput()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    page.cbCopyEDIDOutput->setCurrentIndex(4);
    EdidPageRig::pick(page.cbCopyEDIDInput, QStringLiteral("All Inputs"));

    page.btnCopyEDID->click();

    QCOMPARE(rig.received(), (QStringList{ControlQuery, F(1, 5, 4), Prepare, F(3, 3, 4)}));
    for (int n = 0; n < 4; ++n)
        QCOMPARE(rig.sim().inputEdid[n], rig.sim().displayEdid[3]);

    rig.sim().clearLogs();
    page.cbCopyEDIDOutput->setCurrentIndex(1);
    page.cbCopyEDIDInput->setCurrentIndex(2);
    page.btnCopyEDID->click();
    QCOMPARE(rig.received(), (QStringList{ControlQuery, F(1, 5, 1), Prepare, F(3, 4, 1, 2)}));
    QCOMPARE(rig.form().statusText(2), QStringLiteral("Done"));
}

void TestEdidOperations::copyFromOutputWithoutDisplay()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    QVERIFY(!rig.sim().displayConnected[2]);
    page.cbCopyEDIDOutput->setCurrentIndex(3);
    page.cbCopyEDIDInput->setCurrentIndex(1);

    page.btnCopyEDID->click();

    QCOMPARE(rig.received(), (QStringList{ControlQuery, F(1, 5, 3)}));
    QCOMPARE(rig.shell.dialogs.texts(Kind::Information), QStringList{NotConnected3});
}

void TestEdidOperations::promptsRefuseEveryAction()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QString hint = QStringLiteral("Select list item first");
    page.cbSetEDIDModeInput->setCurrentIndex(1); // the mode list still shows its prompt
    page.cbCopyEDIDOutput->setCurrentIndex(1);   // the copy target still shows its prompt
    for (QPushButton *button :
         {page.btnSetEDIDMode, page.btnCopyEDID, page.btnReadEDIDData, page.btnDownloadEDID}) {
        rig.form().ShowStatus(3, QString());
        button->click();
        QCOMPARE(rig.form().statusText(3), hint);
    }
    QVERIFY(rig.received().isEmpty());
    QCOMPARE(rig.shell.serial().openCalls, 0);
}

void TestEdidOperations::lockedControlStopsChangesButNotRead()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    rig.sim().edidControlMode = 15;
    page.cbEDIDMode->setCurrentIndex(4);
    page.cbSetEDIDModeInput->setCurrentIndex(1);
    page.cbCopyEDIDOutput->setCurrentIndex(1);
    page.cbCopyEDIDInput->setCurrentIndex(1);
    page.cbDownloadEDIDInput->setCurrentIndex(1);
    page.cbReadEDIDDataOutput->setCurrentIndex(1);

    page.btnSetEDIDMode->click();
    page.btnCopyEDID->click();
    page.btnDownloadEDID->click();
    QCOMPARE(rig.received(), (QStringList{ControlQuery, ControlQuery, ControlQuery}));
    QCOMPARE(rig.shell.dialogs.texts(Kind::Information),
             (QStringList{LockedText, LockedText, LockedText}));

    rig.sim().clearLogs();
    page.btnReadEDIDData->click();
    QCOMPARE(rig.received().mid(0, 2), (QStringList{F(1, 5, 1), F(3, 5, 0xF001)}));
    QCOMPARE(rig.gridBlock(), AsByteArray(rig.sim().displayEdid[0]));
    QCOMPARE(rig.shell.dialogs.count(), 3);
}

void TestEdidOperations::readSources()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    EdidPageRig::pick(page.cbReadEDIDDataOutput, QStringLiteral("User2 Memory"));

    page.btnReadEDIDData->click();

    const QStringList units = rig.received();
    QCOMPARE(units.first(), F(3, 5, 0xF200));
    for (const QString &unit : units)
        QVERIFY2(!unit.startsWith(QLatin1String("1.5")), qPrintable(unit));
    QCOMPARE(rig.gridBlock(), AsByteArray(rig.sim().userMemory[1]));
    QCOMPARE(rig.form().statusText(2), QStringLiteral("Done"));
    QCOMPARE(rig.page().sgEDIDContent->dataText(0, 1), QStringLiteral("FF"));

    rig.sim().clearLogs();
    rig.sim().displayConnected[2] = true;
    page.cbReadEDIDDataOutput->setCurrentIndex(3);
    page.btnReadEDIDData->click();
    QCOMPARE(rig.received().mid(0, 2), (QStringList{F(1, 5, 3), F(3, 5, 0xF003)}));
    QCOMPARE(rig.gridBlock(), AsByteArray(rig.sim().displayEdid[2]));
    QCOMPARE(rig.form().link()->ReadStream, AsByteArray(rig.sim().displayEdid[2]));
    QVERIFY(rig.form().flags().CommandIdle);
    QCOMPARE(rig.form().statusText(3), QString());
}

void TestEdidOperations::readWithoutDisplayLeavesGridEmpty()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    page.cbReadEDIDDataOutput->setCurrentIndex(1);
    page.btnReadEDIDData->click();
    QVERIFY(!rig.gridEmpty());

    rig.sim().clearLogs();
    page.cbReadEDIDDataOutput->setCurrentIndex(3);
    page.btnReadEDIDData->click();

    QVERIFY(rig.gridEmpty());
    QCOMPARE(rig.received(), QStringList{F(1, 5, 3)});
    QCOMPARE(rig.shell.dialogs.texts(Kind::Information), QStringList{NotConnected3});
}

void TestEdidOperations::readInvalidBlockAsksToReadAgain()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    rig.sim().userMemory[0][0] = 0x01; // header broken, checksum kept
    rig.sim().userMemory[0][255] = std::uint8_t(rig.sim().userMemory[0][255] - 1);
    EdidPageRig::pick(page.cbReadEDIDDataOutput, QStringLiteral("User1 Memory"));

    page.btnReadEDIDData->click();

    QCOMPARE(rig.form().statusText(2), QStringLiteral("Done"));
    QCOMPARE(rig.shell.dialogs.texts(Kind::Information),
             QStringList{QStringLiteral("EDID data not valid. Please try to read again.")});
    QVERIFY(rig.gridEmpty());
    QVERIFY(rig.form().flags().CommandIdle);
}

void TestEdidOperations::readTimeoutEndsIdle()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    rig.device.faults().arm(SimFault::Silence, SimFaults::Always);
    page.cbReadEDIDDataOutput->setCurrentIndex(5);

    page.btnReadEDIDData->click();

    QCOMPARE(rig.form().statusText(2), QStringLiteral("Time out!"));
    QVERIFY(rig.form().flags().CommandIdle);
    QVERIFY(rig.gridEmpty());
    QCOMPARE(rig.shell.dialogs.count(), 0);
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
    page.cbDownloadEDIDInput->setCurrentIndex(entry);

    page.btnDownloadEDID->click();

    QCOMPARE(rig.received(), (QStringList{ControlQuery, Prepare, command, "packet"}));
    QCOMPARE(rig.form().statusText(2), QStringLiteral("Done"));
    QVERIFY(rig.form().flags().CommandIdle);
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
    page.btnClearEDIDContent->click();
    page.cbDownloadEDIDInput->setCurrentIndex(2);

    page.btnDownloadEDID->click();

    QCOMPARE(rig.received(), QStringList{ControlQuery});
    QCOMPARE(rig.form().statusText(3), QStringLiteral("EDID Content empty, open EDID file first"));
    QVERIFY(rig.form().link()->WriteStream.isEmpty());
}

void TestEdidOperations::downloadSendsTheBlockShownAtTheClick()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QByteArray shown = AsByteArray(rig.sim().displayEdid[0]);
    page.ShowEDIDData(&shown);
    rig.form().link()->WriteStream = AsByteArray(rig.sim().displayEdid[1]);
    page.cbDownloadEDIDInput->setCurrentIndex(6);
    rig.form().btnConnectClick();
    QVERIFY(rig.form().link()->Connected());
    // The grid is cleared while the preparing command waits for its answer.
    rig.answerDelay = 20ms;
    rig.shell.clock.schedule(30ms, [&page] { page.ClearEDIDData(); });

    page.btnDownloadEDID->click();

    QCOMPARE(AsByteArray(rig.sim().userMemory[0]), shown);
    QCOMPARE(rig.form().statusText(2), QStringLiteral("Done"));
}

void TestEdidOperations::secondActionDuringTransferIsRefused()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    rig.form().btnConnectClick();
    QVERIFY(rig.form().link()->Connected());
    rig.answerDelay = 20ms;
    page.cbReadEDIDDataOutput->setCurrentIndex(6);
    page.cbDownloadEDIDInput->setCurrentIndex(1);
    page.cbEDIDMode->setCurrentIndex(1);
    page.cbSetEDIDModeInput->setCurrentIndex(1);
    QStringList hints;
    QString openPath;
    rig.shell.dialogs.pushFileName(QStringLiteral("/nonexistent/never-asked.bin"));
    rig.shell.clock.schedule(30ms, [&] {
        page.btnSetEDIDModeClick();
        hints.append(rig.form().statusText(3));
        rig.form().ShowStatus(3, QString());
        page.btnOpenEDIDClick();
        hints.append(rig.form().statusText(3));
        QVERIFY(!rig.form().pcContainerChanging());
    });

    page.btnReadEDIDData->click();

    const QString busy = QStringLiteral("In processing, command ignored");
    QCOMPARE(hints, (QStringList{busy, busy}));
    QCOMPARE(rig.shell.dialogs.count(Kind::OpenFile), 0);
    QCOMPARE(rig.gridBlock(), AsByteArray(rig.sim().userMemory[1]));
    QCOMPARE(rig.form().statusText(3), QString());
    for (const QString &unit : rig.received())
        QVERIFY2(!unit.startsWith(QLatin1String("3.11")), qPrintable(unit));
}

void TestEdidOperations::tagChangesShowKeepingPositions()
{
    EdidPageRig rig;
    TForm1 &form = rig.form();
    EdidPage &page = rig.page();
    page.cbSetEDIDModeInput->setCurrentIndex(2);
    page.cbCopyEDIDInput->setCurrentIndex(5);
    page.cbDownloadEDIDInput->setCurrentIndex(7);
    page.cbCopyEDIDOutput->setCurrentIndex(3);
    page.cbReadEDIDDataOutput->setCurrentIndex(3);
    QLineEdit *in2 = form.FindTagEdit(2);
    QLineEdit *out3 = form.FindTagEdit(43);
    QVERIFY(in2 && out3);
    form.pcContainer->setCurrentWidget(form.tsPortTag);
    in2->setText(QStringLiteral("Blu-ray"));
    out3->setText(QStringLiteral("Projector"));

    form.pcContainer->setCurrentWidget(form.tsEDIDCtrl);

    QCOMPARE(page.cbSetEDIDModeInput->currentText(), QStringLiteral("In2 - [Blu-ray]"));
    QCOMPARE(page.cbCopyEDIDInput->currentText(), QStringLiteral("All Inputs"));
    QCOMPARE(page.cbCopyEDIDInput->itemText(2), QStringLiteral("In2 - [Blu-ray]"));
    QCOMPARE(page.cbDownloadEDIDInput->currentIndex(), 7);
    QCOMPARE(page.cbDownloadEDIDInput->itemText(2), QStringLiteral("In2 - [Blu-ray]"));
    QCOMPARE(page.cbCopyEDIDOutput->currentText(), QStringLiteral("Out3 - [Projector]"));
    QCOMPARE(page.cbReadEDIDDataOutput->currentText(), QStringLiteral("Out3 - [Projector]"));
    QCOMPARE(page.cbReadEDIDDataOutput->itemText(1), QStringLiteral("Out1"));

    // Building the lists afresh (as loading the settings does) selects the prompts.
    form.hooks().BuildEDIDPortLists();
    QCOMPARE(page.cbReadEDIDDataOutput->currentIndex(), 0);
    QCOMPARE(page.cbSetEDIDModeInput->itemText(2), QStringLiteral("In2 - [Blu-ray]"));
}

void TestEdidOperations::userTagDoesNotShiftMemoryCodes()
{
    EdidPageRig rig;
    TForm1 &form = rig.form();
    EdidPage &page = rig.page();
    form.FindTagEdit(42)->setText(QStringLiteral("User lounge"));
    page.RebuildEDIDPortLists();
    EdidPageRig::pick(page.cbReadEDIDDataOutput, QStringLiteral("User1 Memory"));

    page.btnReadEDIDData->click();

    QCOMPARE(rig.received().first(), F(3, 5, 0xF100));
    QCOMPARE(rig.gridBlock(), AsByteArray(rig.sim().userMemory[0]));

    rig.sim().clearLogs();
    page.cbReadEDIDDataOutput->setCurrentIndex(2);
    page.btnReadEDIDData->click();
    QCOMPARE(rig.received().mid(0, 2), (QStringList{F(1, 5, 2), F(3, 5, 0xF002)}));
}

QTEST_MAIN(TestEdidOperations)
#include "tst_edid_operations.moc"
