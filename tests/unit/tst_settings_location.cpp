#include "TestFiles.h"
#include "UnwritableFile.h"

#include "shell/settings/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray Settings = "[Pre-Setting name]\r\nSetting1=Stage\r\n";

} // namespace

class TestSettingsLocation : public QObject
{
    Q_OBJECT

private slots:
    void rule_data();
    void rule();
    void unwritableFileSeedsThePerUserFileOnce();
    void oneFolderForEveryProgram();
};

void TestSettingsLocation::rule_data()
{
    QTest::addColumn<bool>("besideExists");
    QTest::addColumn<bool>("userExists");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("appDirMissing");
    QTest::addColumn<bool>("besideInUse");
    QTest::addColumn<QByteArray>("userFileAfter"); // empty: none

    QTest::newRow("build tree") << false << false << false << false << true << QByteArray();
    QTest::newRow("build tree, file there")
        << true << false << false << false << true << QByteArray();
    QTest::newRow("build tree, per-user file too")
        << true << true << false << false << true << QByteArray("[Other]\r\n");
    QTest::newRow("installed") << false << false << true << false << false << QByteArray();
    QTest::newRow("installed, file beside seeds")
        << true << false << true << false << false << Settings;
    QTest::newRow("installed, per-user file wins")
        << true << true << true << false << false << QByteArray("[Other]\r\n");
    QTest::newRow("folder cannot take files")
        << false << false << false << true << false << QByteArray();
}

void TestSettingsLocation::rule()
{
    QFETCH(bool, besideExists);
    QFETCH(bool, userExists);
    QFETCH(bool, installed);
    QFETCH(bool, appDirMissing);
    QFETCH(bool, besideInUse);
    QFETCH(QByteArray, userFileAfter);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath("bin"));
    QVERIFY(QDir(dir.path()).mkpath("other-bin"));
    const QString userDir = dir.filePath("config/hdmi-matrix-controller");
    const QString userFile = userDir + "/Settings.ini";
    // A folder below a regular file cannot exist, whoever runs the test.
    QVERIFY(WriteFileBytes(dir.filePath("plain"), "x"));
    const QString appDir = appDirMissing ? dir.filePath("plain/bin") : dir.filePath("bin");
    const QString beside = appDir + "/Settings.ini";
    if (besideExists)
        QVERIFY(WriteFileBytes(beside, Settings));
    if (userExists) {
        QVERIFY(QDir().mkpath(userDir));
        QVERIFY(WriteFileBytes(userFile, "[Other]\r\n"));
    }
    const QStringList before = QDir(appDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const SettingsLocation location = SettingsLocation::resolve(
        {appDir, userDir, installed ? dir.filePath("bin/../bin") : dir.filePath("other-bin")});

    QCOMPARE(location.filePath(), besideInUse ? beside : userFile);
    QCOMPARE(location.isBesideExecutable(), besideInUse);
    QCOMPARE(location.inUseText(), besideInUse ? QString() : "Settings file: " + userFile);
    QCOMPARE(location.unwritableText(), QString());
    QCOMPARE(location.appDir(), appDir + "/");
    QCOMPARE(FileBytes(userFile), userFileAfter);
    QCOMPARE(QFileInfo::exists(userFile), !userFileAfter.isEmpty());
    // Deciding leaves nothing behind in the executable's folder.
    QCOMPARE(QDir(appDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TestSettingsLocation::unwritableFileSeedsThePerUserFileOnce()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString appDir = dir.filePath("app");
    const QString userDir = dir.filePath("config/hdmi-matrix-controller");
    QVERIFY(QDir().mkpath(appDir));
    const QString beside = appDir + "/Settings.ini";
    const QString userFile = userDir + "/Settings.ini";
    QVERIFY(WriteFileBytes(beside, Settings));
    const UnwritableFile locked(beside);
    if (IsWritable(beside))
        QSKIP("no way to make a file unwritable here (immutable files need root and ext4 or "
              "similar)");
    const SettingsPlaces places{appDir, userDir, dir.filePath("no-bin")};

    SettingsLocation location = SettingsLocation::resolve(places);
    QCOMPARE(location.filePath(), userFile);
    QCOMPARE(location.unwritableText(), "Unable to write to " + beside);
    QCOMPARE(location.inUseText(), "Settings file: " + userFile);
    QCOMPARE(FileBytes(userFile), Settings);
    QVERIFY(IsWritable(userFile));

    // What is saved from then on is what the next start reads.
    QVERIFY(WriteFileBytes(userFile, "[Pre-Setting name]\r\nSetting1=Main stage\r\n"));
    location = SettingsLocation::resolve(places);
    QCOMPARE(location.filePath(), userFile);
    QCOMPARE(FileBytes(userFile), QByteArray("[Pre-Setting name]\r\nSetting1=Main stage\r\n"));
}

void TestSettingsLocation::oneFolderForEveryProgram()
{
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        "/hdmi-matrix-controller";
    for (const QString name : {"hdmi-matrix-controller", "matrixctl", "matrix-bridge"}) {
        QCoreApplication::setOrganizationName(name);
        QCoreApplication::setApplicationName(name);
        QCOMPARE(SettingsLocation::defaultUserDir(), expected);
    }
    QVERIFY(QDir::isAbsolutePath(SettingsLocation::installBinDir()));
}

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "tst_settings_location.moc"
