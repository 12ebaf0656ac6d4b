#include "edid/EdidPortLists.h"

#include <QTest>

class TestEdidPortLists : public QObject
{
    Q_OBJECT
private slots:
    void modeCodesAtRunTime();
    void userRuleFollowsTheEntries();
    void portEntries();
    void targetCodes();
};

void TestEdidPortLists::modeCodesAtRunTime()
{
    QStringList entries = EdidPortLists::ModeEntries();
    QCOMPARE(entries.size(), 20);
    QCOMPARE(entries.last(), QStringLiteral("Auto EDID"));
    entries.removeLast(); // as the main window does when it is created

    QVERIFY(!EdidPortLists::ModeCode(entries, 0));
    for (int entry = 1; entry <= 15; ++entry)
        QCOMPARE(EdidPortLists::ModeCode(entries, entry), std::uint16_t(0xF000 + entry));
    QCOMPARE(EdidPortLists::ModeCode(entries, 16), std::uint16_t(0xF100));
    QCOMPARE(EdidPortLists::ModeCode(entries, 17), std::uint16_t(0xF200));
    QVERIFY(!EdidPortLists::ModeCode(entries, 18)); // "Default EDID" sends no code
    QVERIFY(!EdidPortLists::ModeCode(entries, 19));
    QVERIFY(!EdidPortLists::ModeCode(entries, -1));
}

void TestEdidPortLists::userRuleFollowsTheEntries()
{
    const QStringList entries{"Select", "A", "my user", "USER two", "plain", "Last"};
    QCOMPARE(EdidPortLists::FirstUserMemoryIndex(entries), 2);
    QCOMPARE(EdidPortLists::ModeCode(entries, 2), std::uint16_t(0xF100));
    QCOMPARE(EdidPortLists::ModeCode(entries, 3), std::uint16_t(0xF200));
    QCOMPARE(EdidPortLists::ModeCode(entries, 4), std::uint16_t(0xF004));
    QCOMPARE(EdidPortLists::FirstUserMemoryIndex({"a", "b"}), -1);
    QVERIFY(EdidPortLists::IsUserMemoryText(QStringLiteral("uSeR1 Memory")));
}

void TestEdidPortLists::portEntries()
{
    const auto tags = [](int port) {
        return port == 2 ? QStringLiteral("DVD") : port == 44 ? QStringLiteral("TV") : QString();
    };
    QCOMPARE(EdidPortLists::InputEntries(tags),
             (QStringList{"Select Input", "In1", "In2 - [DVD]", "In3", "In4", "All Inputs"}));
    QCOMPARE(EdidPortLists::DownloadEntries(tags).mid(5),
             (QStringList{"All Inputs", "User1 Memory", "User2 Memory"}));
    const auto outputTags = [&tags](int port) { return tags(40 + port); };
    QCOMPARE(EdidPortLists::ReadEntries(outputTags),
             (QStringList{"Select Output", "Out1", "Out2", "Out3", "Out4 - [TV]", "User1 Memory",
                          "User2 Memory"}));
    QCOMPARE(EdidPortLists::OutputEntries(nullptr).size(), 5);
}

void TestEdidPortLists::targetCodes()
{
    using Sub = EdidSub;
    const std::array<std::pair<Sub, std::uint16_t>, 7> downloads{{{Sub::DownloadOne, 0xF001},
                                                                  {Sub::DownloadOne, 0xF002},
                                                                  {Sub::DownloadOne, 0xF003},
                                                                  {Sub::DownloadOne, 0xF004},
                                                                  {Sub::DownloadAll, 0xF0FE},
                                                                  {Sub::DownloadOne, 0xF100},
                                                                  {Sub::DownloadOne, 0xF200}}};
    for (int entry = 1; entry <= 7; ++entry) {
        const auto target = EdidPortLists::DownloadTarget(entry);
        QVERIFY(target);
        QCOMPARE(target->subcommand, downloads[entry - 1].first);
        QCOMPARE(target->code, downloads[entry - 1].second);
    }
    QVERIFY(!EdidPortLists::DownloadTarget(0));
    QVERIFY(!EdidPortLists::DownloadTarget(8));

    const std::array<std::uint16_t, 6> reads{0xF001, 0xF002, 0xF003, 0xF004, 0xF100, 0xF200};
    for (int entry = 1; entry <= 6; ++entry)
        QCOMPARE(EdidPortLists::ReadCode(entry), reads[entry - 1]);
    QVERIFY(!EdidPortLists::ReadCode(0));
    QVERIFY(!EdidPortLists::ReadCode(7));
    QVERIFY(EdidPortLists::ReadsOutput(4));
    QVERIFY(!EdidPortLists::ReadsOutput(5));
}

QTEST_GUILESS_MAIN(TestEdidPortLists)
#include "tst_edid_port_lists.moc"
