#include "shell/porttags/PortTagStore.h"
#include "shell/presets/PresetValue.h"
#include "shell/settings/IniDocument.h"

#include <QTest>

class TestSettingsValues : public QObject
{
    Q_OBJECT
private slots:
    void presetValueParsing_data();
    void presetValueParsing();
    void presetValueRoundTrip();
    void presetInputNumbers();
    void tagSectionNames();
    void tagsReadFromTheirOwnSections();
    void savingWritesOnlyTheCurrentSet();
    void purgeRemovesOnlyEmptyTagSections();
    void noDeviceWritesNothingButStillPurges();
};

void TestSettingsValues::presetValueParsing_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("complete") << "3,1,4,2" << QStringList{"3", "1", "4", "2"};
    QTest::newRow("one part") << "2" << QStringList{"2", "1", "2", "3"};
    QTest::newRow("two parts") << "3,4" << QStringList{"3", "4", "1", "2"};
    QTest::newRow("empty") << "" << QStringList{"1", "2", "3", "4"};
    QTest::newRow("five parts kept") << "1,2,3,4,5" << QStringList{"1", "2", "3", "4", "5"};
    QTest::newRow("blanks separate") << " 4 3,2  1 " << QStringList{"4", "3", "2", "1"};
    QTest::newRow("not numbers kept") << "a,b" << QStringList{"a", "b", "1", "2"};
    QTest::newRow("only commas") << ",,," << QStringList{"1", "2", "3", "4"};
    QTest::newRow("tab") << "1\t2" << QStringList{"1", "2", "1", "2"};
}

void TestSettingsValues::presetValueParsing()
{
    QFETCH(QString, value);
    QFETCH(QStringList, parts);
    QCOMPARE(PresetValue::parse(value), parts);
}

void TestSettingsValues::presetValueRoundTrip()
{
    const QStringList five{"1", "2", "3", "4", "5"};
    QCOMPARE(PresetValue::join(five), QStringLiteral("1,2,3,4,5"));
    QCOMPARE(PresetValue::parse(PresetValue::join(five)), five);
    QCOMPARE(PresetValue::join({}), QString());
}

void TestSettingsValues::presetInputNumbers()
{
    QCOMPARE(PresetValue::routedInput(QStringLiteral("1")), std::optional<int>(1));
    QCOMPARE(PresetValue::routedInput(QStringLiteral(" 4 ")), std::optional<int>(4));
    QCOMPARE(PresetValue::routedInput(QStringLiteral("0")), std::nullopt);
    QCOMPARE(PresetValue::routedInput(QStringLiteral("5")), std::nullopt);
    QCOMPARE(PresetValue::routedInput(QStringLiteral("-1")), std::nullopt);
    QCOMPARE(PresetValue::routedInput(QStringLiteral("a")), std::nullopt);
    QCOMPARE(PresetValue::routedInput(QString()), std::nullopt);
    QCOMPARE(PresetValue::number(QStringLiteral("7")), std::optional<int>(7));
    QCOMPARE(PresetValue::number(QStringLiteral("99999999999999999999")), std::nullopt);
}

void TestSettingsValues::tagSectionNames()
{
    const QString mac = QStringLiteral("00-1A-2B-3C-4D-5E");
    QCOMPARE(PortTagStore::inputSection(cmCOM, mac), QStringLiteral("Tag of Input - COM"));
    QCOMPARE(PortTagStore::outputSection(cmCOM, mac), QStringLiteral("Tag of Output - COM"));
    QCOMPARE(PortTagStore::inputSection(cmLAN, mac),
             QStringLiteral("Tag of Input - TCP:00-1A-2B-3C-4D-5E"));
    QCOMPARE(PortTagStore::outputSection(cmLAN, mac),
             QStringLiteral("Tag of Output - TCP:00-1A-2B-3C-4D-5E"));
}

void TestSettingsValues::tagsReadFromTheirOwnSections()
{
    IniDocument ini;
    ini.fromBytes("[Tag of Input - COM]\nIn1=Player\nIn3=PC\n"
                  "[tag of output - com]\nOUT2=Projector\n"
                  "[Tag of Input - TCP:00-1A-2B-3C-4D-5E]\nIn4=Camera\n");
    const PortTagSet com = PortTagStore::load(ini, cmCOM, QStringLiteral("ignored"));
    QCOMPARE(com.inputs, (std::array<QString, 4>{"Player", "", "PC", ""}));
    QCOMPARE(com.outputs, (std::array<QString, 4>{"", "Projector", "", ""}));

    const PortTagSet lan = PortTagStore::load(ini, cmLAN, QStringLiteral("00-1A-2B-3C-4D-5E"));
    QCOMPARE(lan.inputs, (std::array<QString, 4>{"", "", "", "Camera"}));
    QCOMPARE(lan.outputs, (std::array<QString, 4>{}));
    QCOMPARE(PortTagStore::load(ini, cmLAN, PortTagStore::noDeviceMAC()), PortTagSet{});
}

void TestSettingsValues::savingWritesOnlyTheCurrentSet()
{
    IniDocument ini;
    ini.fromBytes("[Tag of Input - TCP:AA-BB-CC-DD-EE-FF]\nIn1=Other device\n");
    PortTagSet tags;
    tags.inputs = {"A", "", "", ""};
    tags.outputs = {"", "", "", "D"};
    QVERIFY(PortTagStore::save(ini, cmCOM, PortTagStore::noDeviceMAC(), tags));
    // A set with one tag keeps all four keys, empty values included.
    QCOMPARE(ini.keys(QStringLiteral("Tag of Input - COM")),
             (QStringList{"In1", "In2", "In3", "In4"}));
    QCOMPARE(ini.values(QStringLiteral("Tag of Output - COM")), (QStringList{"", "", "", "D"}));
    QCOMPARE(ini.readString(QStringLiteral("Tag of Input - TCP:AA-BB-CC-DD-EE-FF"),
                            QStringLiteral("In1")),
             QStringLiteral("Other device"));
    QCOMPARE(PortTagStore::load(ini, cmCOM, {}), tags);
}

void TestSettingsValues::purgeRemovesOnlyEmptyTagSections()
{
    IniDocument ini;
    ini.fromBytes("[Tag of Input - COM]\nIn1=  \nIn2=\n"
                  "[Tag of Output - COM]\nOut1=\nOut2= x \n"
                  "[Tag of Input - TCP:11-22-33-44-55-66]\n"
                  "[TAG OF nothing]\nkey=\n"
                  "[Other]\nkey=\n");
    PortTagStore::purgeEmptySections(ini);
    // Only spaces count as empty; the letter case of "Tag of" counts.
    QCOMPARE(ini.sectionNames(), (QStringList{"Tag of Output - COM", "TAG OF nothing", "Other"}));
}

void TestSettingsValues::noDeviceWritesNothingButStillPurges()
{
    IniDocument ini;
    ini.fromBytes("[Tag of Input - TCP:11-22-33-44-55-66]\nIn1=\n");
    PortTagSet tags;
    tags.inputs[0] = QStringLiteral("Lost");
    QVERIFY(!PortTagStore::save(ini, cmLAN, PortTagStore::noDeviceMAC(), tags));
    QVERIFY(ini.sectionNames().isEmpty());

    // Clearing all input tags of a device removes its input section only.
    tags.outputs[0] = QStringLiteral("TV");
    QVERIFY(PortTagStore::save(ini, cmLAN, QStringLiteral("11-22-33-44-55-66"), tags));
    QCOMPARE(ini.sectionNames().size(), 2);
    tags.inputs = {};
    PortTagStore::save(ini, cmLAN, QStringLiteral("11-22-33-44-55-66"), tags);
    QCOMPARE(ini.sectionNames(), (QStringList{"Tag of Output - TCP:11-22-33-44-55-66"}));
}

QTEST_GUILESS_MAIN(TestSettingsValues)
#include "tst_settings_values.moc"
