// The EDID page against the simulated switcher on a pseudo-terminal, through the program's own
// serial port transport.
#include "ScriptedDialogs.h"

#include "edid/ui/EdidGrid.h"
#include "edid/ui/EdidPage.h"
#include "link/KXCOMControl.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"
#include "shell/connection/PortLister.h"
#include "shell/SettingsLocation.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramWindows.h"
#include "SimPty.h"
#include "SwitcherDevice.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

class PtyPort final : public PortLister
{
public:
    explicit PtyPort(const SimPty &pty) : m_pty(pty) {}
    QStringList ports() const override { return {m_pty.slavePath()}; }

private:
    const SimPty &m_pty;
};

QByteArray bytesOf(const std::array<std::uint8_t, 256> &block)
{
    return QByteArray(reinterpret_cast<const char *>(block.data()), qsizetype(block.size()));
}

} // namespace

class TestEdidPagePty : public QObject
{
    Q_OBJECT
private slots:
    void readThenDownloadOverTheSerialLine();
};

void TestEdidPagePty::readThenDownloadOverTheSerialLine()
{
    SwitcherDevice device;
    SimPty pty(device);
    QVERIFY2(pty.open(), qPrintable(pty.errorString()));
    QTemporaryDir dir;
    RealClock clock;
    QtTransportFactory transports;
    ScriptedDialogs dialogs;
    PtyPort ports(pty);
    ProgramWindows windows(dialogs, transports, clock, ports,
                           SettingsLocation::inDirectory(dir.path()));
    TForm1 &form = windows.mainWindow();
    form.show();
    EdidPage &page = *form.edid();

    device.state().displayConnected[2] = true;
    page.cbReadEDIDDataOutput->setCurrentIndex(3);
    page.btnReadEDIDData->click();
    QVERIFY(form.link()->Connected());
    QCOMPARE(form.statusText(2), QStringLiteral("Done"));
    QByteArray shown;
    QVERIFY(page.CollectEDIDData(shown));
    QCOMPARE(shown, bytesOf(device.state().displayEdid[2]));

    page.cbDownloadEDIDInput->setCurrentIndex(5); // "All Inputs"
    page.btnDownloadEDID->click();
    QCOMPARE(form.statusText(2), QStringLiteral("Done"));
    for (int input = 0; input < 4; ++input)
        QCOMPARE(bytesOf(device.state().inputEdid[input]), shown);
    QCOMPARE(dialogs.count(), 0);
    QVERIFY(form.flags().CommandIdle);
    form.close();
}

QTEST_MAIN(TestEdidPagePty)
#include "tst_edid_page_pty.moc"
