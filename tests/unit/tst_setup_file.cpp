// The setup file: what is written reads back the same, and every damaged, foreign or newer
// file is refused with the reason, before anything of it is used.
#include "TestBytes.h"

#include "shell/setup/SetupFile.h"

#include <QTest>

namespace {

Setup FullSetup()
{
    Setup setup;
    setup.routing = {3, 1, 4, 2, 5, 6, 8, 7};
    for (int n = 1; n <= 8; ++n)
        setup.presets.append(
            {QStringLiteral("Preset ") + QString::number(n), {"4", "3", "2", "1"}});
    setup.presets[7].routing = {"0", "x", "3"}; // kept as stored, even when it routes nothing
    setup.tags.append({cmCOM, QStringLiteral("00-00-00-00-00-00"), {}});
    setup.tags[0].tags.inputs = {"Player", "", "Caméra", ""};
    setup.tags.append({cmLAN, QStringLiteral("00-1A-2B-3C-4D-5E"), {}});
    setup.tags[1].tags.outputs = {"", "Projector", "", "Monitor"};
    setup.edid.lists[EdidSelections::Mode] = QStringLiteral("1080p, Stereo Audio 2.0");
    setup.edid.openFile = QStringLiteral("/home/av/edid/hall.bin");
    setup.device = QStringLiteral("[Hall]-[Static IP]-[192.168.1.50]-[00-1A-2B-3C-4D-5E]-"
                                  "[Same Subnet]");
    setup.devices = {setup.device};
    setup.userEdid = std::array<QByteArray, 2>{ValidEdidBlock(1), ValidEdidBlock(2)};
    return setup;
}

QByteArray Replaced(QByteArray text, const char *from, const char *to)
{
    return text.replace(from, to);
}

} // namespace

Q_DECLARE_METATYPE(SetupFile::Problem)

class SetupFileTest : public QObject
{
    Q_OBJECT
private slots:
    void writtenReadsBackTheSame()
    {
        const Setup setup = FullSetup();
        const SetupFile::Parsed parsed = SetupFile::Parse(SetupFile::Write(setup));
        QCOMPARE(parsed.problem, SetupFile::Problem::None);
        QVERIFY(parsed.setup);
        QCOMPARE(*parsed.setup, setup);

        Setup bare;
        bare.presets = setup.presets;
        const SetupFile::Parsed minimal = SetupFile::Parse(SetupFile::Write(bare));
        QVERIFY(minimal.setup && minimal.setup->routing.isEmpty() && !minimal.setup->userEdid);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<SetupFile::Problem>("problem");
        QTest::addColumn<QString>("detail");
        using P = SetupFile::Problem;
        const QByteArray good = SetupFile::Write(FullSetup());
        QTest::newRow("empty") << QByteArray() << P::Foreign << "";
        QTest::newRow("array") << QByteArray("[1, 2]") << P::Foreign << "";
        QTest::newRow("other format")
            << Replaced(good, "controller setup", "controller preset") << P::Foreign << "";
        QTest::newRow("cut short") << good.left(good.size() / 2) << P::Damaged << "at byte";
        QTest::newRow("newer") << Replaced(good, "\"version\": 1", "\"version\": 7") << P::Newer
                               << "7";
        QTest::newRow("no version") << Replaced(good, "\"version\"", "\"versions\"") << P::Damaged
                                    << "version is not a format number";
        QTest::newRow("routing 0") << Replaced(good, "\"routing\": [\n        3", "\"routing\": [0")
                                   << P::Damaged << "routing[0] is not an input 1..8";
        QTest::newRow("preset without name")
            << Replaced(good, "\"name\": \"Preset 8\"", "\"title\": \"Preset 8\"") << P::Damaged
            << "presets[7].name is not a text";
        QTest::newRow("tag set of nothing") << Replaced(good, "\"serial\"", "\"usb\"") << P::Damaged
                                            << "portTags[0].control is neither";
        QTest::newRow("bad MAC") << Replaced(good, "\"mac\": \"00-1A-2B-3C-4D-5E\"",
                                             "\"mac\": \"00-1A\"")
                                 << P::Damaged << "portTags[1].mac is not a MAC address";
        QTest::newRow("three tags") << Replaced(good, "\"Player\",\n                \"\",", "")
                                    << P::Damaged << "portTags[0].inputs has 2 entries";
        QTest::newRow("short EDID") << Replaced(good, "\"user1\": \"00ff", "\"user1\": \"ff")
                                    << P::Damaged << "userEdid.user1 is not 256 bytes";
        QTest::newRow("EDID not hex") << Replaced(good, "\"user2\": \"00", "\"user2\": \"zz")
                                      << P::Damaged << "userEdid.user2 is not 256 bytes";
        QTest::newRow("too large")
            << QByteArray(SetupFile::MaxBytes + 1, ' ') << P::Unreadable << "larger than 1 MiB";
    }
    void refused()
    {
        QFETCH(QByteArray, content);
        QFETCH(SetupFile::Problem, problem);
        QFETCH(QString, detail);
        const SetupFile::Parsed parsed = SetupFile::Parse(content);
        QVERIFY(!parsed.setup);
        QCOMPARE(parsed.problem, problem);
        QVERIFY2(parsed.detail.contains(detail), qPrintable(parsed.detail));
        QVERIFY(SetupFile::ProblemText(QStringLiteral("a.json"), parsed)
                    .endsWith(QStringLiteral("Nothing was changed.")));
    }
};

QTEST_MAIN(SetupFileTest)
#include "tst_setup_file.moc"
