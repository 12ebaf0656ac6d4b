// The EDID page against the simulated switcher on a pseudo-terminal, through the program's own
// serial port transport.
#include "SimContextRig.h"
#include "TestBytes.h"
#include "WidgetFinder.h"

#include "edid/ui/EdidPage.h"
#include "link/KXCOMControl.h"
#include "shell/StatusBoard.h"
#include "shell/devicestatus/DeviceStatusReader.h"

#include <QComboBox>
#include <QLayout>
#include <QPushButton>
#include <QTest>

class TestEdidPagePty : public QObject
{
    Q_OBJECT
private slots:
    void readThenDownloadOverTheSerialLine();
};

void TestEdidPagePty::readThenDownloadOverTheSerialLine()
{
    // Time at its own pace: the exchanges wait only as long as the line needs.
    SimContextRig rig(1);
    DeviceStatusReader deviceStatus(rig.context);
    EdidPage page(rig.context, deviceStatus, rig.dialogs, &rig.window);
    rig.window.layout()->addWidget(&page);
    rig.window.show();
    const auto operation = [&rig] { return rig.context.status().text(StatusPanel::Operation); };

    rig.device.state().displayConnected[2] = true;
    Child<QComboBox>(&page, "cbReadEDIDDataOutput")->setCurrentIndex(3);
    Child<QPushButton>(&page, "btnReadEDIDData")->click();
    QVERIFY(rig.context.link()->Connected());
    QCOMPARE(operation(), QStringLiteral("Done"));
    QByteArray shown;
    QVERIFY(page.CollectEDIDData(shown));
    QCOMPARE(shown, AsByteArray(rig.device.state().displayEdid[2]));

    Child<QComboBox>(&page, "cbDownloadEDIDInput")->setCurrentIndex(5); // "All Inputs"
    Child<QPushButton>(&page, "btnDownloadEDID")->click();
    QCOMPARE(operation(), QStringLiteral("Done"));
    for (int input = 0; input < 4; ++input)
        QCOMPARE(AsByteArray(rig.device.state().inputEdid[input]), shown);
    QCOMPARE(rig.dialogs.count(), 0);
    QVERIFY(rig.context.flags().CommandIdle);
}

QTEST_MAIN(TestEdidPagePty)
#include "tst_edid_page_pty.moc"
