#include "TestFiles.h"

#include "shell/settings/IniDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

IniDocument parsed(const QByteArray &bytes)
{
    IniDocument doc;
    doc.fromBytes(bytes);
    return doc;
}

QByteArray randomBytes(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += char(random.bounded(256));
    return bytes;
}

// The copies save() keeps beside `path`.
QStringList copiesOf(const QString &path)
{
    const QFileInfo file(path);
    return file.dir().entryList({file.fileName() + QStringLiteral(".*")}, QDir::Files);
}

} // namespace

class TestIniDocument : public QObject
{
    Q_OBJECT

private slots:
    void roundTripThroughFile();
    void readsLfCrLfAndCrLineEndings();
    void namesMatchWithoutLetterCase();
    void updateInPlaceKeepsEverythingElse();
    void newKeysAndSectionsAreAppended();
    void eraseAndRewriteIsStable();
    void duplicateSectionsAndKeys();
    void valuesAreKeptAsWritten();
    void booleansAndIntegers();
    void controlCharactersCannotAddLines();
    void unwritableNamesAreRefused();
    void garbageInputIsHarmless();
    void legacyNamesSurviveLoadAndSave_data();
    void legacyNamesSurviveLoadAndSave();
    void textOutsideWindows1252SwitchesToUtf8();
    void binaryLinesAreLeftOutAndKeptInACopy();
    void sizeLimit();
    void missingAndUnreadableFiles();
    void failedSaveKeepsOldFile();
    void readOnlyFolderSaveFails();
};

void TestIniDocument::roundTripThroughFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Settings.ini"));

    IniDocument doc;
    QVERIFY(doc.writeString("WARNING", "NOTE", "DON'T MODIFY THIS FILE MANUALLY!"));
    QVERIFY(doc.writeBool("Control mode", "Mode", false));
    QVERIFY(doc.writeString("TCP control device list", "Device No.1",
                            "[Tag]-[Mode]-[192.168.1.10]-[00-1A-2B-3C-4D-5E]-[255.255.255.0]"));
    QVERIFY(doc.writeString("Tag of Input - TCP:00-1A-2B-3C-4D-5E", "In1",
                            QString::fromUtf8("Kamera \xc3\xbc\xe2\x82\xac")));
    QVERIFY(doc.writeString("Pre-Setting value", "value1", "3,4,1,2"));
    QVERIFY(doc.writeString("EDID setting", "Save EDID file", " /tmp/a b=c.bin "));
    QString error;
    QVERIFY2(doc.save(path, &error), qPrintable(error));

    const QByteArray bytes = FileBytes(path);
    QVERIFY(bytes.startsWith("[WARNING]\r\nNOTE=DON'T MODIFY THIS FILE MANUALLY!\r\n"));
    QVERIFY(!bytes.contains("\n\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));

    IniDocument back;
    QVERIFY(back.load(path, &error));
    QCOMPARE(back.sectionNames(), doc.sectionNames());
    QCOMPARE(back.readString("warning", "note"), QString("DON'T MODIFY THIS FILE MANUALLY!"));
    QCOMPARE(back.readBool("Control mode", "Mode", true), false);
    QCOMPARE(back.readString("Tag of Input - TCP:00-1A-2B-3C-4D-5E", "In1"),
             QString::fromUtf8("Kamera \xc3\xbc\xe2\x82\xac"));
    QCOMPARE(back.readString("EDID setting", "Save EDID file"), QString(" /tmp/a b=c.bin "));
    QCOMPARE(back.toBytes(), bytes);
}

void TestIniDocument::readsLfCrLfAndCrLineEndings()
{
    for (const QByteArray &ending : {QByteArray("\n"), QByteArray("\r\n"), QByteArray("\r")}) {
        const IniDocument doc =
            parsed(QByteArray("[A]") + ending + "a=1" + ending + "[B]" + ending + "b=2");
        QCOMPARE(doc.sectionNames(), QStringList({"A", "B"}));
        QCOMPARE(doc.readString("A", "a"), QString("1"));
        QCOMPARE(doc.readString("B", "b"), QString("2"));
    }
    const IniDocument withBom = parsed("\xEF\xBB\xBF[A]\r\na=1\r\n");
    QCOMPARE(withBom.sectionNames(), QStringList({"A"}));
}

void TestIniDocument::namesMatchWithoutLetterCase()
{
    IniDocument doc = parsed("[Control Mode]\r\nMODE=1\r\n[com port]\r\n  Name  =COM3\r\n");
    QVERIFY(doc.readBool("control mode", "mode"));
    QCOMPARE(doc.readString("COM PORT", "name"), QString("COM3"));
    QVERIFY(doc.sectionExists("CONTROL MODE"));
    QVERIFY(doc.keyExists(" control mode ", "Mode"));

    // Writing with another spelling updates the existing key and keeps its spelling.
    QVERIFY(doc.writeString("COM PORT", "NAME", "ttyUSB0"));
    QCOMPARE(doc.toBytes(), QByteArray("[Control Mode]\r\nMODE=1\r\n[com port]\r\n"
                                       "Name=ttyUSB0\r\n"));
    QCOMPARE(doc.keys("com port"), QStringList({"Name"}));
}

void TestIniDocument::updateInPlaceKeepsEverythingElse()
{
    const QByteArray original = "; written by hand\r\n"
                                "[Pre-Setting name]\r\n"
                                "Setting1=Stage\r\n"
                                "Unknown=keep me\r\n"
                                "a line without equals sign\r\n"
                                "Setting2=Lobby\r\n"
                                "\r\n"
                                "[Somebody else's]\r\n"
                                "x=y\r\n";
    IniDocument doc = parsed(original);
    QVERIFY(doc.writeString("Pre-Setting name", "Setting1", "Main stage"));
    QByteArray expected = original;
    expected.replace("Setting1=Stage", "Setting1=Main stage");
    QCOMPARE(doc.toBytes(), expected);
}

void TestIniDocument::newKeysAndSectionsAreAppended()
{
    IniDocument doc = parsed("[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n");
    QVERIFY(doc.writeString("A", "c", "3"));
    QVERIFY(doc.writeString("New", "n", "4"));
    QCOMPARE(doc.toBytes(), QByteArray("[A]\r\na=1\r\nc=3\r\n\r\n[B]\r\nb=1\r\n\r\n[New]\r\n"
                                       "n=4\r\n"));
}

void TestIniDocument::eraseAndRewriteIsStable()
{
    IniDocument doc = parsed("[Head]\r\nh=1\r\n[TCP control device list]\r\nDevice No.3=c\r\n"
                             "Device No.7=a\r\n[Tail]\r\nt=1\r\n");
    QCOMPARE(doc.values("TCP control device list"), QStringList({"c", "a"}));

    auto rewrite = [&doc] {
        QVERIFY(doc.eraseSection("tcp control device list"));
        QVERIFY(doc.writeString("TCP control device list", "Device No.1", "c"));
        QVERIFY(doc.writeString("TCP control device list", "Device No.2", "a"));
    };
    rewrite();
    const QByteArray once = doc.toBytes();
    rewrite();
    QCOMPARE(doc.toBytes(), once);
    QCOMPARE(doc.sectionNames(), QStringList({"Head", "Tail", "TCP control device list"}));
    QCOMPARE(doc.keys("TCP control device list"), QStringList({"Device No.1", "Device No.2"}));
    QCOMPARE(doc.readString("Tail", "t"), QString("1"));

    QVERIFY(!doc.eraseSection("not there"));
    QVERIFY(doc.eraseSection("Head"));
    QVERIFY(!doc.sectionExists("Head"));
    QCOMPARE(doc.readString("Tail", "t"), QString("1"));
}

void TestIniDocument::duplicateSectionsAndKeys()
{
    IniDocument doc = parsed("[A]\r\nx=1\r\n[B]\r\nb=2\r\n[a]\r\ny=2\r\nX=3\r\n");
    QCOMPARE(doc.sectionNames(), QStringList({"A", "B"}));
    QCOMPARE(doc.keys("A"), QStringList({"x", "y"}));
    QCOMPARE(doc.values("A"), QStringList({"1", "2"}));
    QCOMPARE(doc.readString("A", "x"), QString("1")); // the first copy counts

    QVERIFY(doc.writeString("A", "X", "9"));
    QCOMPARE(doc.readString("a", "x"), QString("9"));
    QVERIFY(doc.deleteKey("A", "x"));
    QVERIFY(!doc.keyExists("A", "x"));
    QCOMPARE(doc.keys("A"), QStringList({"y"}));
    QVERIFY(!doc.deleteKey("A", "x"));

    // The merged section is written once, so the next read sees the same document.
    const IniDocument back = parsed(doc.toBytes());
    QCOMPARE(back.sectionNames(), QStringList({"A", "B"}));
    QCOMPARE(back.keys("A"), QStringList({"y"}));
}

void TestIniDocument::valuesAreKeptAsWritten()
{
    const IniDocument doc = parsed("[S]\r\nk= a=b \r\nempty=\r\n;c=comment\r\n#d=comment\r\n");
    QCOMPARE(doc.readString("S", "k"), QString(" a=b "));
    QCOMPARE(doc.readString("S", "empty", "default"), QString());
    QCOMPARE(doc.readString("S", "missing", "default"), QString("default"));
    QCOMPARE(doc.readString("Missing", "k", "default"), QString("default"));
    QCOMPARE(doc.keys("S"), QStringList({"k", "empty"}));
}

void TestIniDocument::booleansAndIntegers()
{
    IniDocument doc = parsed("[S]\r\none=1\r\nzero=0\r\ntwo= 2 \r\nminus=-1\r\nword=yes\r\n"
                             "empty=\r\nhuge=99999999999\r\n");
    QCOMPARE(doc.readBool("S", "one"), true);
    QCOMPARE(doc.readBool("S", "zero", true), false);
    QCOMPARE(doc.readBool("S", "two"), true);
    QCOMPARE(doc.readBool("S", "minus"), true);
    QCOMPARE(doc.readBool("S", "huge"), true);
    QCOMPARE(doc.readBool("S", "word"), false);
    QCOMPARE(doc.readBool("S", "empty"), false);
    QCOMPARE(doc.readBool("S", "missing", true), true);
    QCOMPARE(doc.readInteger("S", "two", 7), 2);
    QCOMPARE(doc.readInteger("S", "word", 7), 7);
    QCOMPARE(doc.readInteger("S", "huge", 7), 7);

    QVERIFY(doc.writeBool("S", "one", false));
    QVERIFY(doc.writeBool("S", "zero", true));
    QVERIFY(doc.writeInteger("S", "n", -12));
    QVERIFY(doc.toBytes().contains("\r\none=0\r\nzero=1\r\n"));
    QCOMPARE(doc.readInteger("S", "n"), -12);
}

void TestIniDocument::controlCharactersCannotAddLines()
{
    IniDocument doc;
    const QString evil = QStringLiteral("cam\r\n[Control mode]\r\nMode=1\nx\x01y\x7F\u2028z");
    QVERIFY(doc.writeString("Tag of Input - COM", "In1", evil));
    QVERIFY(doc.writeString("Tag\r\n[Evil]", "In\n2", "v"));

    const IniDocument back = parsed(doc.toBytes());
    QCOMPARE(back.sectionNames(), QStringList({"Tag of Input - COM", "Tag  [Evil]"}));
    QCOMPARE(back.keys("Tag of Input - COM"), QStringList({"In1"}));
    QCOMPARE(back.readString("Tag of Input - COM", "In1"),
             QString("cam  [Control mode]  Mode=1 x y  z"));
    QCOMPARE(back.readString("Tag  [Evil]", "In 2"), QString("v"));
    QVERIFY(!back.sectionExists("Control mode"));
}

void TestIniDocument::unwritableNamesAreRefused()
{
    IniDocument doc;
    QVERIFY(!doc.writeString("", "k", "v"));
    QVERIFY(!doc.writeString("  ", "k", "v"));
    QVERIFY(!doc.writeString("S", "", "v"));
    QVERIFY(!doc.writeString("S", "a=b", "v"));
    QVERIFY(!doc.writeString("S", "[S2]", "v"));
    QVERIFY(!doc.writeString("S", ";k", "v"));
    QVERIFY(doc.toBytes().isEmpty());

    // A section name with brackets still reads back as itself.
    QVERIFY(doc.writeString("a]b", "k", "v"));
    QCOMPARE(parsed(doc.toBytes()).readString("A]B", "k"), QString("v"));
}

void TestIniDocument::garbageInputIsHarmless()
{
    QByteArray garbage = "[unterminated\r\n=no key\r\n[]\r\nk=v\r\n[S]\r\nnul=";
    garbage += QByteArray("a\0b", 3);
    garbage += "\r\nbad=\xff\xfe\xc3\r\n[[nested]]\r\nq=1\r\n";
    garbage += QByteArray(1 << 20, 'x') + "=long\r\n";
    garbage += randomBytes(4096, 1234);

    const IniDocument doc = parsed(garbage);
    QVERIFY(!doc.keyExists("S", "nul")); // a binary line
    QVERIFY(doc.fileState().unreadableLines > 0);
    QCOMPARE(doc.fileState().encoding, IniEncoding::Windows1252);
    QCOMPARE(doc.readString("S", "bad"), QString::fromLatin1("\xff\xfe\xc3"));
    QCOMPARE(doc.readString("[nested]", "q"), QString("1"));
    QVERIFY(doc.sectionExists("S"));

    // Whatever was read is written so that it reads back to the same document.
    const QByteArray once = doc.toBytes();
    QVERIFY(once.contains("[unterminated\r\n=no key\r\n"));
    QCOMPARE(parsed(once).toBytes(), once);

    // Byte order marks inside the text (found by fuzzing): kept, and stable over round trips;
    // in front of the text they go, also behind a binary line that is left out.
    const QByteArray marks = "\n\xEF\xBB\xBF\xEF\xBB\xBF\n[S]\nk=\xEF\xBB\xBFv\n";
    const QByteArray first = parsed(marks).toBytes();
    QVERIFY(first.contains("\xEF\xBB\xBF\xEF\xBB\xBF\r\n"));
    QCOMPARE(parsed(marks).readString("S", "k"), QString(QChar(0xFEFF)) + QLatin1Char('v'));
    QCOMPARE(parsed(first).toBytes(), first);
    const QByteArray behindBinary = "\x01\n\xEF\xBB\xBF[S]\nk=v\n";
    QCOMPARE(parsed(behindBinary).toBytes(), QByteArray("[S]\r\nk=v\r\n"));
}

void TestIniDocument::legacyNamesSurviveLoadAndSave_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("u umlaut") << QByteArray("B\xfchne") << QString::fromUtf8("B\u00fchne");
    QTest::newRow("euro, quotes") << QByteArray("\x80 \x93x\x94") << QString::fromUtf8("€ “x”");
    QTest::newRow("undefined bytes")
        << QByteArray("\x81\x8d\x8f\x90\x9d") << QString::fromUtf16(u"\x81\x8d\x8f\x90\x9d");
    QTest::newRow("upper half") << QByteArray("\xa0\xc0\xff") << QString::fromUtf8("\u00a0Àÿ");
    QTest::newRow("c cedilla, sharp s") << QByteArray("Fran\xe7"
                                                      "ais Stra\xdf"
                                                      "e")
                                        << QString::fromUtf8("Français Straße");
}

void TestIniDocument::legacyNamesSurviveLoadAndSave()
{
    // A file of an older Windows program: a preset name and a name of the vocabulary.
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("Settings.ini");
    const QByteArray original = "[Pre-Setting name]\r\nSetting1=" + bytes +
                                "\r\n\r\n[In device name]\r\nDevice1=" + bytes + "\r\n";
    QVERIFY(WriteFileBytes(path, original));

    IniDocument doc;
    QVERIFY(doc.load(path));
    QCOMPARE(doc.fileState().encoding, IniEncoding::Windows1252);
    const QString name = doc.readString("Pre-Setting name", "Setting1");
    QCOMPARE(name, text);
    // Saving writes every name again, the vocabulary as a new section.
    QVERIFY(doc.writeString("Pre-Setting name", "Setting1", name));
    QVERIFY(doc.eraseSection("In device name"));
    QVERIFY(doc.writeString("In device name", "Device1", name));
    IniSaveReport report;
    QVERIFY(doc.save(path, nullptr, &report));
    QCOMPARE(FileBytes(path), original);
    QCOMPARE(report.copy, IniSaveReport::Copy::None);
    QCOMPARE(copiesOf(path), QStringList());
}

void TestIniDocument::textOutsideWindows1252SwitchesToUtf8()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("Settings.ini");
    const QByteArray original = "[Pre-Setting name]\r\nSetting1=B\xfchne\r\n";
    QVERIFY(WriteFileBytes(path, original));
    IniDocument doc;
    QVERIFY(doc.load(path));
    QVERIFY(doc.writeString("Pre-Setting name", "Setting2", QString::fromUtf8("Ω-Saal")));

    IniSaveReport report;
    QVERIFY(doc.save(path, nullptr, &report));
    QCOMPARE(report.written, IniEncoding::Utf8);
    QCOMPARE(report.copy, IniSaveReport::Copy::EncodingChange);
    QVERIFY(QRegularExpression("/Settings\\.ini\\.windows-1252-\\d{8}-\\d{6}$")
                .match(report.copyPath)
                .hasMatch());
    QCOMPARE(FileBytes(report.copyPath), original);
    QCOMPARE(FileBytes(path), QByteArray("[Pre-Setting name]\r\nSetting1=B\xc3\xbchne\r\n"
                                         "Setting2=\xce\xa9-Saal\r\n"));

    // From now on the file is UTF-8: saving again keeps no further copy.
    QVERIFY(doc.load(path));
    QCOMPARE(doc.readString("Pre-Setting name", "Setting1"), QString::fromUtf8("Bühne"));
    QVERIFY(doc.save(path, nullptr, &report));
    QCOMPARE(report.copy, IniSaveReport::Copy::None);
    QCOMPARE(copiesOf(path).size(), 1);
}

void TestIniDocument::binaryLinesAreLeftOutAndKeptInACopy()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("Settings.ini");
    const QByteArray original =
        "[A]\r\nname=Kamera \xc3\xbc\r\n" + randomBytes(64 * 1024, 7) + "\r\n[B]\r\nb=2\r\n";
    QVERIFY(WriteFileBytes(path, original));

    IniDocument doc;
    QVERIFY(doc.load(path));
    QVERIFY(doc.fileState().unreadableLines > 400);
    QCOMPARE(doc.readString("A", "name"), QString::fromUtf8("Kamera ü"));
    QCOMPARE(doc.readString("B", "b"), QString("2"));
    IniSaveReport report;
    QVERIFY(doc.save(path, nullptr, &report));
    QCOMPARE(report.copy, IniSaveReport::Copy::UnreadableLines);
    QVERIFY(QRegularExpression("/Settings\\.ini\\.unreadable-\\d{8}-\\d{6}$")
                .match(report.copyPath)
                .hasMatch());
    QCOMPARE(FileBytes(report.copyPath), original);
    QCOMPARE(FileBytes(path), QByteArray("[A]\r\nname=Kamera \xc3\xbc\r\n[B]\r\nb=2\r\n"));

    QVERIFY(doc.load(path));
    QVERIFY(doc.save(path, nullptr, &report));
    QCOMPARE(report.copy, IniSaveReport::Copy::None);
    QCOMPARE(copiesOf(path).size(), 1);
}

void TestIniDocument::sizeLimit()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("Settings.ini");

    // Larger than the former limit of 16 MiB: many ordinary lines are read.
    QByteArray lines = "[Big]\r\n";
    const QByteArray line = "Device No.1=[Tag]-[DHCP]-[192.168.1.10]-[00-1A-2B-3C-4D-5E]\r\n";
    lines.reserve(17 * 1024 * 1024 + 64);
    while (lines.size() < 17 * 1024 * 1024)
        lines += line;
    lines += "[End]\r\nk=v\r\n";
    QVERIFY(WriteFileBytes(path, lines));
    IniDocument doc;
    QString error;
    QVERIFY2(doc.load(path, &error), qPrintable(error));
    QCOMPARE(doc.readString("End", "k"), QString("v"));

    // Above the limit: refused with the file, its size and the limit named; left as it is.
    QFile file(path);
    QVERIFY(file.resize(IniDocument::MaxFileSize + 1));
    QVERIFY(!doc.load(path, &error));
    QCOMPARE(error, "Unable to read " + path +
                        ": 67108865 bytes, larger than the limit of "
                        "67108864 bytes");
    QVERIFY(doc.sectionNames().isEmpty());
    QCOMPARE(QFileInfo(path).size(), IniDocument::MaxFileSize + 1);
}

void TestIniDocument::missingAndUnreadableFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    IniDocument doc = parsed("[Old]\r\nk=v\r\n");
    QString error;
    QVERIFY(doc.load(dir.filePath("none.ini"), &error));
    QVERIFY(doc.sectionNames().isEmpty());

    doc = parsed("[Old]\r\nk=v\r\n");
    QVERIFY(!doc.load(dir.path(), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(doc.sectionNames().isEmpty());
}

void TestIniDocument::failedSaveKeepsOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray old = "[Old]\r\nk=v\r\n";
    const IniDocument doc = parsed("[New]\r\nk=w\r\n");
    QString error;

    // A path below a plain file cannot be created, whoever runs the test.
    const QString plainFile = dir.filePath("plain");
    QVERIFY(WriteFileBytes(plainFile, old));
    QVERIFY(!doc.save(plainFile + "/Settings.ini", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(FileBytes(plainFile), old);

    // A directory standing where the file should be is not replaced.
    QVERIFY(QDir(dir.path()).mkdir("Settings.ini"));
    error.clear();
    QVERIFY(!doc.save(dir.filePath("Settings.ini"), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(dir.filePath("Settings.ini")).isDir());
}

void TestIniDocument::readOnlyFolderSaveFails()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray old = "[Old]\r\nk=v\r\n";
    const IniDocument doc = parsed("[New]\r\nk=w\r\n");
    const QString folder = dir.filePath("locked");
    QVERIFY(QDir(dir.path()).mkdir("locked"));
    const QString path = folder + "/Settings.ini";
    QVERIFY(WriteFileBytes(path, old));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool stillWritable = WriteFileBytes(folder + "/probe", "x");
    QString error;
    const bool saved = !stillWritable && doc.save(path, &error);
    const QByteArray after = FileBytes(path);
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner));
    if (stillWritable)
        QSKIP("running with rights that ignore folder permissions");
    QVERIFY(!saved);
    QVERIFY(!error.isEmpty());
    QCOMPARE(after, old);
}

QTEST_GUILESS_MAIN(TestIniDocument)
#include "tst_ini_document.moc"
