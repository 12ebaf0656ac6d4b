#include "EdidPageRig.h"
#include "TestFiles.h"

#include "edid/ui/EdidGrid.h"
#include "edid/ui/EdidPage.h"
#include "link/KXCOMControl.h"
#include "shell/ui/MainWindow.h"
#include "SimEdid.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <unistd.h>

using Kind = ScriptedDialogs::Kind;

namespace {

const QString Filter = QStringLiteral("Binary file(*.bin)|*.bin");
const QString NotValid = QStringLiteral("EDID data not valid.");

QByteArray validBlock(int output = 1)
{
    return AsByteArray(SimEdid::Display(output));
}

} // namespace

class TestEdidFiles : public QObject
{
    Q_OBJECT
private slots:
    void openFile_data();
    void openFile();
    void unreadableFileKeepsEverything_data();
    void unreadableFileKeepsEverything();
    void openCancelledChangesNothing();
    void invalidAfterValidKeepsGridAndDownloadRebuilds();
    void savesWhatTheGridShows();
    void saveExtensionRule_data();
    void saveExtensionRule();
    void overwriteAsksFirst();
    void saveRefusesIncompleteGrid();
    void saveFailureIsReported();

private:
    QTemporaryDir m_dir;
};

void TestEdidFiles::openFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("accepted");
    const QByteArray valid = validBlock();
    QByteArray halves = valid; // each half fails its own sum, the whole block still sums to 0
    halves[127] = char(halves[127] + 1);
    halves[255] = char(halves[255] - 1);
    QByteArray header = valid;
    header[0] = 0x01;
    header[255] = char(header[255] - 1);
    QByteArray checksum = valid;
    checksum[255] = char(checksum[255] + 1);

    QTest::newRow("256 valid") << valid << true;
    QTest::newRow("257, last byte ignored") << valid + QByteArray(1, '\x5A') << true;
    QTest::newRow("halves fail, whole passes") << halves << true;
    QTest::newRow("single 128-byte block") << valid.left(128) << false;
    QTest::newRow("header byte 0 = 01") << header << false;
    QTest::newRow("wrong checksum") << checksum << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("255 bytes") << valid.left(255) << false;
    QTest::newRow("258 bytes") << valid + QByteArray(2, '\0') << false;
    QTest::newRow("10 MB") << valid.repeated(40960) << false;
}

void TestEdidFiles::openFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, accepted);
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QByteArray before = validBlock(4);
    page.ShowEDIDData(&before);
    rig.form().link()->WriteStream = before;
    const QString path = m_dir.filePath(QStringLiteral("open.bin"));
    QVERIFY(WriteFileBytes(path, content));
    rig.shell.dialogs.pushFileName(path);

    page.BitBtn1->click();

    QCOMPARE(page.edtOpenEDID->text(), path);
    QCOMPARE(page.edtOpenEDID->cursorPosition(), int(path.size()));
    QCOMPARE(rig.shell.dialogs.calls().first().filter, Filter);
    if (accepted) {
        QCOMPARE(rig.shell.dialogs.count(), 1);
        QCOMPARE(rig.gridBlock(), content.left(256));
        QCOMPARE(rig.form().link()->WriteStream, content);
    } else {
        QCOMPARE(rig.shell.dialogs.texts(Kind::Error), QStringList{NotValid});
        QCOMPARE(rig.gridBlock(), before);
        QVERIFY(rig.form().link()->WriteStream.isEmpty());
    }
}

void TestEdidFiles::unreadableFileKeepsEverything_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("directory") << "directory";
    QTest::newRow("missing") << "missing";
    QTest::newRow("no permission") << "no permission";
}

void TestEdidFiles::unreadableFileKeepsEverything()
{
    QFETCH(QString, kind);
    EdidPageRig rig;
    EdidPage &page = rig.page();
    QString path = m_dir.filePath(QStringLiteral("unreadable-") + kind + QStringLiteral(".bin"));
    if (kind == QStringLiteral("directory")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QStringLiteral("no permission")) {
        if (::geteuid() == 0)
            QSKIP("the superuser reads any file; the directory and missing cases cover this");
        QVERIFY(WriteFileBytes(path, validBlock()));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    }
    const QByteArray before = validBlock(2);
    page.ShowEDIDData(&before);
    rig.form().link()->WriteStream = before;
    rig.shell.dialogs.pushFileName(path);

    page.btnOpenEDIDClick();

    const QStringList errors = rig.shell.dialogs.texts(Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first() != NotValid && errors.first().contains(path),
             qPrintable(errors.first()));
    QCOMPARE(rig.gridBlock(), before);
    QCOMPARE(rig.form().link()->WriteStream, before);
    QCOMPARE(page.edtOpenEDID->text(), path);
}

void TestEdidFiles::openCancelledChangesNothing()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    page.edtOpenEDID->setText(QStringLiteral("/earlier/choice.bin"));
    rig.form().link()->WriteStream = validBlock();

    page.btnOpenEDIDClick();

    QCOMPARE(rig.shell.dialogs.count(Kind::OpenFile), 1);
    QCOMPARE(rig.shell.dialogs.count(), 1);
    QCOMPARE(page.edtOpenEDID->text(), QStringLiteral("/earlier/choice.bin"));
    QCOMPARE(rig.form().link()->WriteStream, validBlock());
    QVERIFY(rig.gridEmpty());
}

void TestEdidFiles::invalidAfterValidKeepsGridAndDownloadRebuilds()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QString good = m_dir.filePath(QStringLiteral("good.bin"));
    const QString bad = m_dir.filePath(QStringLiteral("bad.bin"));
    QVERIFY(WriteFileBytes(good, validBlock(3)));
    QVERIFY(WriteFileBytes(bad, validBlock(3).left(128)));
    rig.shell.dialogs.pushFileName(good);
    rig.shell.dialogs.pushFileName(bad);

    page.btnOpenEDIDClick();
    page.btnOpenEDIDClick();

    QCOMPARE(rig.shell.dialogs.texts(Kind::Error), QStringList{NotValid});
    QCOMPARE(rig.gridBlock(), validBlock(3));
    QVERIFY(rig.form().link()->WriteStream.isEmpty());

    page.cbDownloadEDIDInput->setCurrentIndex(2);
    page.btnDownloadEDID->click();
    QCOMPARE(rig.form().statusText(2), QStringLiteral("Done"));
    QCOMPARE(AsByteArray(rig.sim().inputEdid[1]), validBlock(3));

    // Clearing the grid leaves the buffers alone.
    page.btnClearEDIDContent->click();
    QVERIFY(rig.gridEmpty());
    QCOMPARE(rig.form().link()->WriteStream, validBlock(3));
    QCOMPARE(page.sgEDIDContent->item(0, 1)->text(), QStringLiteral("0"));
}

void TestEdidFiles::savesWhatTheGridShows()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QString source = m_dir.filePath(QStringLiteral("long.bin"));
    const QString target = m_dir.filePath(QStringLiteral("saved.bin"));
    QFile::remove(target);
    QVERIFY(WriteFileBytes(source, validBlock(2) + QByteArray(1, '\x77')));
    rig.shell.dialogs.pushFileName(source);
    rig.shell.dialogs.pushFileName(target);

    page.btnOpenEDIDClick();
    page.btnSaveEDIDClick();

    QCOMPARE(FileBytes(target), validBlock(2));
    QCOMPARE(page.edtSaveEDID->text(), target);
    QCOMPARE(rig.shell.dialogs.count(), 2);
    QCOMPARE(rig.shell.dialogs.calls().last().filter, Filter);
}

void TestEdidFiles::saveExtensionRule_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("upper case kept") << "edid.BIN"
                                     << "edid.BIN";
    QTest::newRow("mixed case kept") << "edid.Bin"
                                     << "edid.Bin";
    QTest::newRow("no extension") << "edid"
                                  << "edid.bin";
    QTest::newRow("other extension") << "edid.txt"
                                     << "edid.txt.bin";
}

void TestEdidFiles::saveExtensionRule()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    EdidPageRig rig;
    EdidPage &page = rig.page();
    QTemporaryDir dir;
    const QByteArray block = validBlock();
    page.ShowEDIDData(&block);
    rig.shell.dialogs.pushFileName(dir.filePath(chosen));

    page.btnSaveEDID->click();

    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
    QCOMPARE(FileBytes(dir.filePath(written)), block);
    QCOMPARE(page.edtSaveEDID->text(), dir.filePath(written));
    QCOMPARE(rig.shell.dialogs.count(Kind::Confirm), 0);
}

void TestEdidFiles::overwriteAsksFirst()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QString path = m_dir.filePath(QStringLiteral("existing.bin"));
    QVERIFY(WriteFileBytes(path, QByteArray("keep me")));
    const QByteArray block = validBlock();
    page.ShowEDIDData(&block);
    rig.shell.dialogs.pushFileName(path);
    rig.shell.dialogs.pushConfirm(false);

    page.btnSaveEDIDClick();

    QCOMPARE(rig.shell.dialogs.texts(Kind::Confirm),
             QStringList{path + QStringLiteral(" exists, overwrite it?")});
    QCOMPARE(FileBytes(path), QByteArray("keep me"));
    QCOMPARE(page.edtSaveEDID->text(), path);

    rig.shell.dialogs.pushFileName(path);
    rig.shell.dialogs.pushConfirm(true);
    page.btnSaveEDIDClick();
    QCOMPARE(FileBytes(path), block);
    QCOMPARE(rig.shell.dialogs.count(Kind::Error), 0);
}

void TestEdidFiles::saveRefusesIncompleteGrid()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QByteArray block = validBlock();
    page.ShowEDIDData(&block);
    page.ClearEDIDData();

    page.btnSaveEDIDClick();

    QCOMPARE(rig.shell.dialogs.texts(Kind::Information),
             QStringList{QStringLiteral("EDID Content empty.")});
    QCOMPARE(rig.shell.dialogs.count(Kind::SaveFile), 0);
}

void TestEdidFiles::saveFailureIsReported()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QByteArray block = validBlock();
    page.ShowEDIDData(&block);
    const QString path = m_dir.filePath(QStringLiteral("no/such/folder/edid.bin"));
    rig.shell.dialogs.pushFileName(path);

    page.btnSaveEDIDClick();

    QCOMPARE(rig.shell.dialogs.count(Kind::Error), 1);
    QVERIFY(rig.shell.dialogs.lastText(Kind::Error).contains(path));
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestEdidFiles)
#include "tst_edid_files.moc"
