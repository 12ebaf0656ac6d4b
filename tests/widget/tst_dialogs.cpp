#include "ui/QtDialogs.h"

#include "ScriptedDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Kind = ScriptedDialogs::Kind;

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void convertsFiltersForTheFileDialog_data();
    void convertsFiltersForTheFileDialog();
    void scriptedAnswersInOrderThenSafeDefaults();
    void scriptedModalHandlerFillsTheWindow();
    void savingOverAFileAsksNoQuestionOfItsOwn();
};

void TestDialogs::convertsFiltersForTheFileDialog_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");

    QTest::newRow("EDID") << "Binary file(*.bin)|*.bin"
                          << "Binary file(*.bin)";
    QTest::newRow("merged") << "Firmware file(*.fw)|*.fw"
                            << "Firmware file(*.fw)";
    QTest::newRow("two pairs") << "FW binary file(*.bin)|*.bin|Firmware file(*.fw)|*.fw"
                               << "FW binary file(*.bin);;Firmware file(*.fw)";
    // Where the description does not name the patterns, they are added so the dialog still
    // filters what the "|" form asked for.
    QTest::newRow("bare description") << "All files|*.*"
                                      << "All files (*.*)";
    QTest::newRow("more patterns") << "Images(*.png)|*.png;*.bmp"
                                   << "Images(*.png) (*.png *.bmp)";
    QTest::newRow("no description") << "|*.bin"
                                    << "*.bin";
    QTest::newRow("description only") << "Binary file(*.bin)"
                                      << "Binary file(*.bin)";
    QTest::newRow("empty") << ""
                           << "";
}

void TestDialogs::convertsFiltersForTheFileDialog()
{
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(QtDialogs::toQtFilter(filter), expected);
}

void TestDialogs::scriptedAnswersInOrderThenSafeDefaults()
{
    ScriptedDialogs dialogs;
    dialogs.pushConfirm(true);
    dialogs.pushFileName("/tmp/a.bin");
    dialogs.pushFileName("/tmp/b.fw");

    QVERIFY(dialogs.confirm(nullptr, "Overwrite?"));
    QVERIFY(!dialogs.confirm(nullptr, "Again?"));
    QCOMPARE(dialogs.openFile(nullptr, "Binary file(*.bin)|*.bin"), QString("/tmp/a.bin"));
    QCOMPARE(dialogs.saveFile(nullptr, "Firmware file(*.fw)|*.fw"), QString("/tmp/b.fw"));
    QVERIFY(dialogs.saveFile(nullptr, "Firmware file(*.fw)|*.fw").isEmpty());
    dialogs.error(nullptr, "Bad file", "File error");
    dialogs.information(nullptr, "Done");
    QDialog window;
    window.setObjectName("frmSomething");
    QCOMPARE(dialogs.showModal(&window), int(QDialog::Rejected));

    QCOMPARE(dialogs.count(), 8);
    QCOMPARE(dialogs.count(Kind::Confirm), 2);
    QCOMPARE(dialogs.count(Kind::SaveFile), 2);
    QCOMPARE(dialogs.defaultedCount(), 3);
    QVERIFY(!dialogs.calls().at(0).defaulted);
    QVERIFY(dialogs.calls().at(1).defaulted);
    QCOMPARE(dialogs.calls().at(1).answer, QString("No"));
    QCOMPARE(dialogs.calls().at(2).filter, QString("Binary file(*.bin)|*.bin"));
    QCOMPARE(dialogs.calls().at(5).title, QString("File error"));
    QCOMPARE(dialogs.lastText(), QString("frmSomething"));
    QCOMPARE(dialogs.lastText(Kind::Error), QString("Bad file"));
    QVERIFY(dialogs.queuesEmpty());

    dialogs.pushConfirm(true);
    dialogs.clear();
    QCOMPARE(dialogs.count(), 0);
    QVERIFY(dialogs.queuesEmpty());
    QVERIFY(!dialogs.confirm(nullptr, "After clear"));
}

void TestDialogs::scriptedModalHandlerFillsTheWindow()
{
    ScriptedDialogs dialogs;
    QDialog window;
    window.setWindowTitle("Confirm to Reset");
    auto *edit = new QLineEdit(&window);
    edit->setObjectName("edtYes");

    dialogs.pushModal([](QDialog *dialog) {
        dialog->findChild<QLineEdit *>("edtYes")->setText("Yes");
        return int(QDialog::Accepted);
    });
    QCOMPARE(dialogs.showModal(&window), int(QDialog::Accepted));
    QCOMPARE(edit->text(), QString("Yes"));
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(dialogs.calls().constLast().title, QString("Confirm to Reset"));
    QVERIFY(!window.isVisible());

    dialogs.pushModalResult(QDialog::Accepted);
    QCOMPARE(dialogs.showModal(&window), int(QDialog::Accepted));
    QCOMPARE(dialogs.showModal(&window), int(QDialog::Rejected));
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QCOMPARE(dialogs.defaultedCount(), 1);
}

void TestDialogs::savingOverAFileAsksNoQuestionOfItsOwn()
{
    // The program asks its own question before it overwrites a file (the EDID page, the
    // merged firmware): the file dialog must not ask one before it.
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("edid.bin"));
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QStringList questions;
    bool confirmsItself = true;
    int tries = 0;
    // Plays the operator: picks the existing file in the dialog, and notes (and answers) any
    // question that pops up on top of it.
    QTimer operatorHand;
    operatorHand.setInterval(20);
    QObject::connect(&operatorHand, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            questions << box->text();
            box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes)->click() : box->accept();
            return;
        }
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            confirmsItself = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            if (++tries > 50) { // never hang the test on a dialog
                dialog->reject();
                return;
            }
            // Typed into the dialog's name field, as the operator does.
            if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                name->setText(existing);
            static_cast<QDialog *>(dialog)->accept(); // the file dialog's own checks run
        }
    });
    operatorHand.start();
    QtDialogs dialogs;
    const QString chosen = dialogs.saveFile(nullptr, QStringLiteral("Binary file(*.bin)|*.bin"));
    operatorHand.stop();
    QCOMPARE(chosen, existing);
    QVERIFY(!confirmsItself);
    QCOMPARE(questions, QStringList());
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
