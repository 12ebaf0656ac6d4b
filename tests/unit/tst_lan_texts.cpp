#include "lanmodule/DeviceEntry.h"
#include "lanmodule/IPAddressText.h"
#include "lanmodule/MACAddressText.h"

#include <QTest>

using namespace DeviceEntry;

class LanTextsTest : public QObject
{
    Q_OBJECT
private slots:
    void entryIsBuiltAndReadBack()
    {
        const QString entry =
            Make(QStringLiteral("Hall"), ModeText(false), QStringLiteral("192.168.0.100"),
                 QStringLiteral("00-1A-2B-3C-4D-5E"), SubnetText(false));
        QCOMPARE(entry, QStringLiteral("[Hall]-[Static IP]-[192.168.0.100]-[00-1A-2B-3C-4D-5E]"
                                       "-[Same Subnet]"));
        const QStringList fields = {"Hall", "Static IP", "192.168.0.100", "00-1A-2B-3C-4D-5E",
                                    "Same Subnet"};
        for (int k = 0; k < 5; ++k)
            QCOMPARE(GetEntryField(entry, k), fields.at(k));
        QCOMPARE(ModeOfDhcpItem(QStringLiteral("0")), QStringLiteral("Static IP"));
        QCOMPARE(ModeOfDhcpItem(QStringLiteral("1")), QStringLiteral("Auto IP"));
        QCOMPARE(ModeOfDhcpItem(QStringLiteral("255")), QStringLiteral("Auto IP"));
        QCOMPARE(SubnetText(true), QStringLiteral("Cross Subnet"));
    }

    void emptyEntryGivesDefaults()
    {
        QCOMPARE(GetEntryField(QString(), 0), QString());
        QCOMPARE(GetEntryField(QString(), 1), QStringLiteral("Static IP"));
        QCOMPARE(GetEntryField(QString(), 2), QStringLiteral("0.0.0.0"));
        QCOMPARE(GetEntryField(QString(), 3), QStringLiteral("00-00-00-00-00-00"));
        QCOMPARE(GetEntryField(QString(), 4), QStringLiteral("Same Subnet"));
    }

    void malformedEntriesStayWithinTheText()
    {
        // Hand-edited settings: too few fields, a field without its "]", stray brackets.
        QCOMPARE(GetEntryField(QStringLiteral("[Hall]-[Auto IP]"), 2), QStringLiteral("0.0.0.0"));
        QCOMPARE(GetEntryField(QStringLiteral("[Hall]-[Auto IP]"), 3),
                 QStringLiteral("00-00-00-00-00-00"));
        QCOMPARE(GetEntryField(QStringLiteral("[Hall"), 0), QStringLiteral("Hall"));
        QCOMPARE(GetEntryField(QStringLiteral("["), 0), QString());
        QCOMPARE(GetEntryField(QStringLiteral("]]]"), 4), QStringLiteral("Same Subnet"));
        QCOMPARE(GetEntryField(QStringLiteral("x"), 9), QString());
        QCOMPARE(GetEntryField(QStringLiteral("x"), -1), QString());
        // A tag holding "[" shifts the later fields.
        const QString shifted =
            Make(QStringLiteral("A[B"), ModeText(true), QStringLiteral("1.2.3.4"),
                 QStringLiteral("00-00-00-00-00-01"), SubnetText(false));
        QCOMPARE(GetEntryField(shifted, 1), QStringLiteral("B"));
    }

    void sameEntryIgnoresCaseOnly()
    {
        const QString a = QStringLiteral("[Hall]-[Static IP]-[10.0.0.1]-[00-1A-2B-3C-4D-5E]"
                                         "-[Same Subnet]");
        QVERIFY(SameEntry(a, a.toLower()));
        QVERIFY(!SameEntry(a, QString(a).replace(QStringLiteral("Hall"), QStringLiteral("Hal"))));
    }

    void splitIPAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("octets"); // empty: invalid
        QTest::newRow("plain") << "192.168.0.10" << QStringList{"192", "168", "0", "10"};
        QTest::newRow("above 255") << "300.1.999.4" << QStringList{"255", "1", "255", "4"};
        QTest::newRow("leading zeros") << "010.0.0.07" << QStringList{"010", "0", "0", "07"};
        QTest::newRow("huge") << "99999999999999999999.1.1.1" << QStringList{"255", "1", "1", "1"};
        QTest::newRow("two dots") << "1.2.3" << QStringList{};
        QTest::newRow("empty part") << "1..3.4" << QStringList{};
        QTest::newRow("four dots") << "1.2.3.4.5" << QStringList{};
        QTest::newRow("letters") << "a.b.c.d" << QStringList{};
        QTest::newRow("blank") << "1.2.3.4 " << QStringList{};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void splitIPAddress()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, octets);
        const auto result = IPAddressText::SplitIPAddress(text);
        QCOMPARE(result.has_value(), !octets.isEmpty());
        if (result)
            QCOMPARE(QStringList(result->begin(), result->end()), octets);
    }

    void clampIPField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("clamped");
        QTest::addColumn<bool>("valid");
        QTest::newRow("last 1") << "1" << 4 << "2" << true;
        QTest::newRow("last 2") << "2" << 4 << "2" << true;
        QTest::newRow("last 3") << "3" << 4 << "3" << true;
        QTest::newRow("last 251") << "251" << 4 << "251" << true;
        QTest::newRow("last 254") << "254" << 4 << "252" << true;
        QTest::newRow("last 255") << "255" << 4 << "252" << true;
        QTest::newRow("last empty") << "" << 4 << "2" << true;
        QTest::newRow("first empty") << "" << 1 << "0" << true;
        QTest::newRow("first 300") << "300" << 1 << "255" << true;
        QTest::newRow("first 255") << "255" << 1 << "255" << true;
        QTest::newRow("first 254") << "254" << 1 << "254" << true;
        QTest::newRow("leading zeros") << "010" << 2 << "010" << true;
        QTest::newRow("last leading zeros") << "007" << 4 << "007" << true;
        QTest::newRow("pasted sign") << "+5" << 3 << "5" << true;
        QTest::newRow("pasted negative") << "-5" << 3 << "0" << true;
        QTest::newRow("pasted text") << "ab" << 3 << "0" << false;
        QTest::newRow("pasted text last") << "x1" << 4 << "2" << false;
    }

    void clampIPField()
    {
        QFETCH(QString, text);
        QFETCH(int, tag);
        QFETCH(QString, clamped);
        QFETCH(bool, valid);
        const auto result = IPAddressText::ClampIPField(text, tag);
        QCOMPARE(result.text, clamped);
        QCOMPARE(result.valid, valid);
    }

    void octetKeys()
    {
        QVERIFY(IPAddressText::IsOctetKey(QLatin1Char('0')));
        QVERIFY(IPAddressText::IsOctetKey(QLatin1Char('9')));
        QVERIFY(IPAddressText::IsOctetKey(QChar(0x08)));
        QVERIFY(!IPAddressText::IsOctetKey(QLatin1Char('.')));
        QVERIFY(!IPAddressText::IsOctetKey(QLatin1Char('a')));
    }

    void parseMACAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mac"); // empty: invalid
        QTest::newRow("plain") << "00-1A-2B-3C-4D-5E"
                               << "00-1A-2B-3C-4D-5E";
        QTest::newRow("lower, blanks") << "  00-1a-2b-3c-4d-5e "
                                       << "00-1A-2B-3C-4D-5E";
        QTest::newRow("short parts") << "0-A--3-4-5"
                                     << "00-0A-00-03-04-05";
        QTest::newRow("long parts") << "ABC-1-2-3-4-5FF"
                                    << "AB-01-02-03-04-5F";
        QTest::newRow("all empty") << "-----"
                                   << "00-00-00-00-00-00";
        QTest::newRow("four dashes") << "00-11-22-33-44"
                                     << "";
        QTest::newRow("colon") << "00:11:22:33:44:55"
                               << "";
        QTest::newRow("G") << "0G-11-22-33-44-55"
                           << "";
        QTest::newRow("extra dash in last") << "00-11-22-33-44--5"
                                            << "";
        QTest::newRow("seventh part") << "00-11-22-33-44-55-66"
                                      << "00-11-22-33-44-55";
        QTest::newRow("empty") << ""
                               << "";
    }

    void parseMACAddress()
    {
        QFETCH(QString, text);
        QFETCH(QString, mac);
        const auto bytes = MACAddressText::ParseMACAddress(text);
        QCOMPARE(bytes.has_value(), !mac.isEmpty());
        if (bytes)
            QCOMPARE(MACAddressText::MACText(*bytes), mac);
        const auto parts = MACAddressText::SplitMACAddress(text);
        QCOMPARE(parts.has_value(), !mac.isEmpty());
        if (parts)
            QCOMPARE(MACAddressText::JoinParts(*parts), mac);
    }

    void macKeys()
    {
        QCOMPARE(MACAddressText::FilterMACKey(QLatin1Char('a')), QChar(QLatin1Char('A')));
        QCOMPARE(MACAddressText::FilterMACKey(QLatin1Char('7')), QChar(QLatin1Char('7')));
        QCOMPARE(MACAddressText::FilterMACKey(QChar(0x08)), QChar(0x08));
        QVERIFY(!MACAddressText::FilterMACKey(QLatin1Char('g')));
        QVERIFY(!MACAddressText::FilterMACKey(QLatin1Char('-')));
    }
};

QTEST_GUILESS_MAIN(LanTextsTest)
#include "tst_lan_texts.moc"
