#include "ShellRig.h"

#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/EnterYes.h"
#include "lanmodule/ui/Search.h"
#include "shell/presets/ui/PreSettingEdit.h"
#include "shell/routing/ui/ShowInOutInfo.h"
#include "shell/ui/MainWindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

// Screen readers and desktop automation reach a control through its accessible name: every
// control of every window must have one, including buttons that show only a picture.
class AccessibilityTest : public QObject
{
    Q_OBJECT
private slots:
    void everyControlHasAnAccessibleName()
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
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
