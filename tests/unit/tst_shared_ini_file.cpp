#include "TestFiles.h"

#include "shell/settings/SharedIniFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

constexpr auto LockWait = 100ms;

const QByteArray Original = "; kept as it is\n"
                            "[WARNING]\n"
                            "NOTE=DON'T MODIFY THIS FILE MANUALLY!\n"
                            "\n"
                            "[Pre-Setting name]\n"
                            "Setting1=Stage\n"
                            "Setting2=Lobby\n"
                            "\n"
                            "[In device name]\n"
                            "Device1=Camera\n"
                            "\n"
                            "[Tag of Input - COM]\n"
                            "In1=Cam\n"
                            "[Somebody else's]\n"
                            "x=y\n";

SharedIniFile::Options quickOptions()
{
    SharedIniFile::Options options;
    options.lockTimeout = LockWait;
    return options;
}

// What a program does to the settings at a save: values, a list section rewritten, a section
// purged, a new section.
void editLikeTheWindow(IniDocument &doc)
{
    doc.writeString("Pre-Setting name", "Setting1", "Main stage");
    doc.writeSection("In device name", {"Device1", "Device2"}, {"Camera", "Player"});
    doc.eraseSection("Tag of Input - COM");
    doc.writeString("EDID setting", "EDID mode", "Copy");
}

} // namespace

class TestSharedIniFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void withoutOtherWritersTheFileIsAsBefore();
    void interleavedWritersKeepEachOthersChanges();
    void deadProgramsLockIsTakenOver();
    void liveLockFailsTheSaveAfterAWhile();
    void failuresLeaveTheFileAlone();
    void keptCopiesAreTold();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path() const { return m_dir->filePath("Settings.ini"); }
};

void TestSharedIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSharedIniFile::withoutOtherWritersTheFileIsAsBefore()
{
    // Byte for byte what loading, changing and saving the document gives.
    QVERIFY(WriteFileBytes(path(), Original));
    IniDocument plain;
    QVERIFY(plain.load(path()));
    editLikeTheWindow(plain);
    const QByteArray expected = plain.toBytes();

    SharedIniFile file(path(), quickOptions());
    QVERIFY(file.read().ok());
    IniDocument changed = file.document();
    editLikeTheWindow(changed);
    const SettingsFileResult result = file.save(changed);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.notice, QString());
    QCOMPARE(FileBytes(path()), expected);
    QVERIFY(!QFileInfo::exists(path() + ".lock"));

    // And again, from the document as saved.
    changed = file.document();
    changed.writeString("Pre-Setting name", "Setting2", "Hall");
    plain.writeString("Pre-Setting name", "Setting2", "Hall");
    QVERIFY(file.save(changed).ok());
    QCOMPARE(FileBytes(path()), plain.toBytes());
}

void TestSharedIniFile::interleavedWritersKeepEachOthersChanges()
{
    QVERIFY(WriteFileBytes(path(), Original));
    SharedIniFile window(path(), quickOptions());
    SharedIniFile tool(path(), quickOptions());
    QVERIFY(window.read().ok());
    QVERIFY(tool.read().ok());

    // The tool saves a preset and a tag while the window is open.
    IniDocument byTool = tool.document();
    byTool.writeString("Pre-Setting name", "Setting2", "Hall");
    byTool.writeString("Tag of Output - COM", "Out1", "TV");
    byTool.writeSection("Out display name", {"Display1"}, {"Beamer"});
    QVERIFY(tool.save(byTool).ok());

    // The window closes: it rewrites everything it shows, changed or not.
    IniDocument byWindow = window.document();
    editLikeTheWindow(byWindow);
    byWindow.writeString("Pre-Setting name", "Setting2", "Lobby");
    QVERIFY(window.save(byWindow).ok());

    IniDocument saved;
    QVERIFY(saved.load(path()));
    QCOMPARE(saved.values("Pre-Setting name"), QStringList({"Main stage", "Hall"}));
    QCOMPARE(saved.readString("Tag of Output - COM", "Out1"), QString("TV"));
    QCOMPARE(saved.values("Out display name"), QStringList({"Beamer"}));
    QCOMPARE(saved.values("In device name"), QStringList({"Camera", "Player"}));
    QVERIFY(!saved.sectionExists("Tag of Input - COM"));
    QCOMPARE(saved.readString("Somebody else's", "x"), QString("y"));

    // The tool saves again without touching what the window changed: nothing comes back. A
    // list it rewrites unchanged stays as the window left it.
    byTool = tool.document();
    byTool.writeString("Display tag", "Value", "1");
    byTool.writeSection("In device name", {"Device1"}, {"Camera"});
    QVERIFY(tool.save(byTool).ok());
    QVERIFY(saved.load(path()));
    QCOMPARE(saved.values("Pre-Setting name"), QStringList({"Main stage", "Hall"}));
    QVERIFY(!saved.sectionExists("Tag of Input - COM"));
    QCOMPARE(saved.values("In device name"), QStringList({"Camera", "Player"}));
    QCOMPARE(saved.readString("Display tag", "Value"), QString("1"));
}

void TestSharedIniFile::deadProgramsLockIsTakenOver()
{
    // The lock file exactly as a program leaves it that died while holding it.
    const QString lockPath = path() + ".lock";
    QByteArray content;
    {
        QLockFile lock(lockPath);
        QVERIFY(lock.tryLock());
        content = FileBytes(lockPath);
        lock.unlock();
    }
    QProcess ended;
    ended.start("true", QStringList());
    QVERIFY(ended.waitForStarted());
    const qint64 deadPid = ended.processId();
    QVERIFY(ended.waitForFinished());
    content = QByteArray::number(deadPid) + content.mid(content.indexOf('\n'));
    QVERIFY(WriteFileBytes(lockPath, content));

    SharedIniFile file(path(), quickOptions());
    QVERIFY(file.read().ok());
    IniDocument changed = file.document();
    changed.writeString("Pre-Setting name", "Setting1", "Stage");
    const SettingsFileResult result = file.save(changed);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QVERIFY(!QFileInfo::exists(lockPath));
}

void TestSharedIniFile::liveLockFailsTheSaveAfterAWhile()
{
    QVERIFY(WriteFileBytes(path(), Original));
    QLockFile otherProgram(path() + ".lock");
    QVERIFY(otherProgram.tryLock());

    SharedIniFile file(path(), quickOptions());
    QVERIFY(file.read().ok());
    IniDocument changed = file.document();
    changed.writeString("Pre-Setting name", "Setting1", "Main stage");
    QElapsedTimer waited;
    waited.start();
    const SettingsFileResult result = file.save(changed);
    QVERIFY(waited.elapsed() >= LockWait.count());
    QCOMPARE(result.status, SettingsFileResult::Status::Locked);
    QCOMPARE(result.error, "Unable to write to " + path() + " (locked by another program)");
    QCOMPARE(FileBytes(path()), Original);

    // Once the other program is done, the same save goes through.
    otherProgram.unlock();
    QVERIFY(file.save(changed).ok());
}

void TestSharedIniFile::failuresLeaveTheFileAlone()
{
    // Too large to read: neither read nor written.
    QVERIFY(WriteFileBytes(path(), Original));
    QFile big(path());
    QVERIFY(big.resize(IniDocument::MaxFileSize + 1));
    SharedIniFile file(path(), quickOptions());
    const SettingsFileResult read = file.read();
    QCOMPARE(read.status, SettingsFileResult::Status::ReadFailed);
    QVERIFY(read.error.contains(path()));
    IniDocument changed;
    changed.writeString("Pre-Setting name", "Setting1", "Main stage");
    const SettingsFileResult saved = file.save(changed);
    QCOMPARE(saved.status, SettingsFileResult::Status::ReadFailed);
    QCOMPARE(saved.error, read.error);
    QCOMPARE(QFileInfo(path()).size(), IniDocument::MaxFileSize + 1);
    QVERIFY(FileBytes(path()).startsWith(Original));

    // A file under a regular file cannot be written by anyone, root included.
    const QString impossible = path() + "/Settings.ini";
    SharedIniFile nowhere(impossible, quickOptions());
    QVERIFY(nowhere.read().ok());
    const SettingsFileResult failed = nowhere.save(changed);
    QCOMPARE(failed.status, SettingsFileResult::Status::WriteFailed);
    QCOMPARE(failed.error, "Unable to write to " + impossible);
}

void TestSharedIniFile::keptCopiesAreTold()
{
    QVERIFY(WriteFileBytes(path(),
                           "[A]\r\na=1\r\n" + QByteArray(300, '\0') + "\r\n[B]\r\nb=B\xfc\r\n"));
    SharedIniFile file(path(), quickOptions());
    QVERIFY(file.read().ok());
    const QString copyPrefix = path() + ".unreadable-";
    SettingsFileResult result = file.save(file.document());
    const QStringList copies = QDir(m_dir->path()).entryList({"Settings.ini.*"}, QDir::Files);
    QCOMPARE(copies.size(), 1);
    QCOMPARE(result.notice, "Lines that are not text were left out of " + path() +
                                "; the original is kept as " + m_dir->filePath(copies[0]));
    QVERIFY(m_dir->filePath(copies[0]).startsWith(copyPrefix));

    IniDocument changed = file.document();
    changed.writeString("B", "b", QString::fromUtf8("B\u00fc \u2126"));
    result = file.save(changed);
    QVERIFY(result.notice.startsWith(path() +
                                     " is now written in UTF-8; the Windows-1252 "
                                     "original is kept as " +
                                     path() + ".windows-1252-"));
    QVERIFY(FileBytes(path()).endsWith("b=B\xc3\xbc \xe2\x84\xa6\r\n"));
    result = file.save(changed);
    QCOMPARE(result.notice, QString());
}

QTEST_GUILESS_MAIN(TestSharedIniFile)
#include "tst_shared_ini_file.moc"
