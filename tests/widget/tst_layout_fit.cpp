// Texts show whole: run once at 100 % and once with QT_SCALE_FACTOR=1.5 (see CMakeLists).

#include "ShellRig.h"
#include "TestBytes.h"
#include "TextFit.h"
#include "WidgetFinder.h"

#include "edid/ui/EdidGrid.h"
#include "edid/ui/EdidPage.h"
#include "shell/ui/MainWindow.h"

#include <QTabWidget>
#include <QTest>


class TestLayoutFit : public QObject
{
    Q_OBJECT
private slots:
    void everyEdidCellShowsBothDigits();
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

QTEST_MAIN(TestLayoutFit)
#include "tst_layout_fit.moc"
