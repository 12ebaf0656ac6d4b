#include "EdidPageRig.h"
#include "TestBytes.h"
#include "TestFiles.h"

#include "edid/ui/EdidGrid.h"
#include "edid/ui/EdidPage.h"
#include "link/KXCOMControl.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using Kind = ScriptedDialogs::Kind;

namespace {

const QString Filter = QStringLiteral("Binary file(*.bin)|*.bin");
const QString NotValid = QStringLiteral("EDID data not valid.");

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
    const QByteArray valid = ValidEdidBlock();
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
    const QByteArray before = ValidEdidBlock(4);
    page.ShowEDIDData(&before);
    rig.context().link()->WriteStream = before;
    const QString path = m_dir.filePath(QStringLiteral("open.bin"));
    QVERIFY(WriteFileBytes(path, content));
    rig.dialogs().pushFileName(path);

    rig.click("BitBtn1");

    QCOMPARE(rig.child<QLineEdit>("edtOpenEDID")->text(), path);
    QCOMPARE(rig.child<QLineEdit>("edtOpenEDID")->cursorPosition(), int(path.size()));
    QCOMPARE(rig.dialogs().calls().first().filter, Filter);
    if (accepted) {
        QCOMPARE(rig.dialogs().count(), 1);
        QCOMPARE(rig.gridBlock(), content.left(256));
        QCOMPARE(rig.context().link()->WriteStream, content);
    } else {
        QCOMPARE(rig.dialogs().texts(Kind::Error), QStringList{NotValid});
        QCOMPARE(rig.gridBlock(), before);
        QVERIFY(rig.context().link()->WriteStream.isEmpty());
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
        QVERIFY(WriteFileBytes(path, ValidEdidBlock()));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    }
    const QByteArray before = ValidEdidBlock(2);
    page.ShowEDIDData(&before);
    rig.context().link()->WriteStream = before;
    rig.dialogs().pushFileName(path);

    page.btnOpenEDIDClick();

    const QStringList errors = rig.dialogs().texts(Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first() != NotValid && errors.first().contains(path),
             qPrintable(errors.first()));
    QCOMPARE(rig.gridBlock(), before);
    QCOMPARE(rig.context().link()->WriteStream, before);
    QCOMPARE(rig.child<QLineEdit>("edtOpenEDID")->text(), path);
}

void TestEdidFiles::openCancelledChangesNothing()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    rig.child<QLineEdit>("edtOpenEDID")->setText(QStringLiteral("/earlier/choice.bin"));
    rig.context().link()->WriteStream = ValidEdidBlock();

    page.btnOpenEDIDClick();

    QCOMPARE(rig.dialogs().count(Kind::OpenFile), 1);
    QCOMPARE(rig.dialogs().count(), 1);
    QCOMPARE(rig.child<QLineEdit>("edtOpenEDID")->text(), QStringLiteral("/earlier/choice.bin"));
    QCOMPARE(rig.context().link()->WriteStream, ValidEdidBlock());
    QVERIFY(rig.gridEmpty());
}

void TestEdidFiles::invalidAfterValidKeepsGridAndDownloadRebuilds()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QString good = m_dir.filePath(QStringLiteral("good.bin"));
    const QString bad = m_dir.filePath(QStringLiteral("bad.bin"));
    QVERIFY(WriteFileBytes(good, ValidEdidBlock(3)));
    QVERIFY(WriteFileBytes(bad, ValidEdidBlock(3).left(128)));
    rig.dialogs().pushFileName(good);
    rig.dialogs().pushFileName(bad);

    page.btnOpenEDIDClick();
    page.btnOpenEDIDClick();

    QCOMPARE(rig.dialogs().texts(Kind::Error), QStringList{NotValid});
    QCOMPARE(rig.gridBlock(), ValidEdidBlock(3));
    QVERIFY(rig.context().link()->WriteStream.isEmpty());

    rig.list("cbDownloadEDIDInput")->setCurrentIndex(2);
    rig.click("btnDownloadEDID");
    QCOMPARE(rig.status(StatusPanel::Operation), QStringLiteral("Done"));
    QCOMPARE(AsByteArray(rig.sim().inputEdid[1]), ValidEdidBlock(3));

    // Clearing the grid leaves the buffers alone.
    rig.click("btnClearEDIDContent");
    QVERIFY(rig.gridEmpty());
    QCOMPARE(rig.context().link()->WriteStream, ValidEdidBlock(3));
    QCOMPARE(rig.child<EdidGrid>("sgEDIDContent")->item(0, 1)->text(), QStringLiteral("0"));
}

void TestEdidFiles::savesWhatTheGridShows()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QString source = m_dir.filePath(QStringLiteral("long.bin"));
    const QString target = m_dir.filePath(QStringLiteral("saved.bin"));
    QFile::remove(target);
    QVERIFY(WriteFileBytes(source, ValidEdidBlock(2) + QByteArray(1, '\x77')));
    rig.dialogs().pushFileName(source);
    rig.dialogs().pushFileName(target);

    page.btnOpenEDIDClick();
    page.btnSaveEDIDClick();

    QCOMPARE(FileBytes(target), ValidEdidBlock(2));
    QCOMPARE(rig.child<QLineEdit>("edtSaveEDID")->text(), target);
    QCOMPARE(rig.dialogs().count(), 2);
    QCOMPARE(rig.dialogs().calls().last().filter, Filter);
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
    const QByteArray block = ValidEdidBlock();
    page.ShowEDIDData(&block);
    rig.dialogs().pushFileName(dir.filePath(chosen));

    rig.click("btnSaveEDID");

    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
    QCOMPARE(FileBytes(dir.filePath(written)), block);
    QCOMPARE(rig.child<QLineEdit>("edtSaveEDID")->text(), dir.filePath(written));
    QCOMPARE(rig.dialogs().count(Kind::Confirm), 0);
}

void TestEdidFiles::overwriteAsksFirst()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QString path = m_dir.filePath(QStringLiteral("existing.bin"));
    QVERIFY(WriteFileBytes(path, QByteArray("keep me")));
    const QByteArray block = ValidEdidBlock();
    page.ShowEDIDData(&block);
    rig.dialogs().pushFileName(path);
    rig.dialogs().pushConfirm(false);

    page.btnSaveEDIDClick();

    QCOMPARE(rig.dialogs().texts(Kind::Confirm),
             QStringList{path + QStringLiteral(" exists, overwrite it?")});
    QCOMPARE(FileBytes(path), QByteArray("keep me"));
    QCOMPARE(rig.child<QLineEdit>("edtSaveEDID")->text(), path);

    rig.dialogs().pushFileName(path);
    rig.dialogs().pushConfirm(true);
    page.btnSaveEDIDClick();
    QCOMPARE(FileBytes(path), block);
    QCOMPARE(rig.dialogs().count(Kind::Error), 0);
}

void TestEdidFiles::saveRefusesIncompleteGrid()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QByteArray block = ValidEdidBlock();
    page.ShowEDIDData(&block);
    page.ClearEDIDData();

    page.btnSaveEDIDClick();

    QCOMPARE(rig.dialogs().texts(Kind::Information),
             QStringList{QStringLiteral("EDID Content empty.")});
    QCOMPARE(rig.dialogs().count(Kind::SaveFile), 0);
}

void TestEdidFiles::saveFailureIsReported()
{
    EdidPageRig rig;
    EdidPage &page = rig.page();
    const QByteArray block = ValidEdidBlock();
    page.ShowEDIDData(&block);
    const QString path = m_dir.filePath(QStringLiteral("no/such/folder/edid.bin"));
    rig.dialogs().pushFileName(path);

    page.btnSaveEDIDClick();

    QCOMPARE(rig.dialogs().count(Kind::Error), 1);
    QVERIFY(rig.dialogs().lastText(Kind::Error).contains(path));
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestEdidFiles)
#include "tst_edid_files.moc"
