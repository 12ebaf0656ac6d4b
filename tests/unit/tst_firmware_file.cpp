#include "TestBytes.h"

#include "firmware/FirmwareFile.h"
#include "link/ByteSpan.h"
#include "link/Frames.h"
#include "link/Scrambler.h"

#include <QTest>

#include <cstdint>
#include <vector>

namespace {

std::uint8_t at(const QByteArray &bytes, int index)
{
    return std::uint8_t(bytes[index]);
}

unsigned byteSum(const QByteArray &bytes, int from, int count)
{
    unsigned sum = 0;
    for (int i = from; i < from + count; ++i)
        sum += at(bytes, i);
    return sum % 256;
}

// Changes the header at `offset` and repairs its checksum, as a valid but odd header.
void patchHeader(QByteArray &file, int offset, int field, std::uint8_t value)
{
    file[offset + field] = char(value);
    file[offset + 142] = 0;
    file[offset + 142] = char((256 - byteSum(file, offset, 142)) % 256);
}

} // namespace

class TestFirmwareFile : public QObject
{
    Q_OBJECT

private slots:
    void slavePartRecord();
    void mergedFileNames();
    void versionTexts_data();
    void versionTexts();
    void scramblingRoundTrip();
    void emptyImage();
    void readsPartsBack();
    void readerRefusesBrokenFiles();
    void readerSkipsUnusableParts();
};

void TestFirmwareFile::slavePartRecord()
{
    const auto image = Image(300, 1);
    const QByteArray rec =
        PartRecord(PartKindSlave, 3, ParseVersionByte("2"), ParseVersionByte("10"), image);
    QCOMPARE(rec.size(), 143 + 300);
    QCOMPARE(byteSum(rec, 0, 143), 0u);

    const QByteArray warning = "DON'T MODIFY THIS FILE MANNUALLY!";
    const QByteArray firmware = "FIRMWARE FOR KorvexA1";
    QCOMPARE(rec.left(warning.size()), warning);
    QCOMPARE(rec.mid(warning.size(), 64 - warning.size()), QByteArray(64 - warning.size(), 0));
    QCOMPARE(rec.mid(64, firmware.size()), firmware);
    QCOMPARE(rec.mid(64 + firmware.size(), 64 - firmware.size()),
             QByteArray(64 - firmware.size(), 0));

    const QByteArray fields = QByteArray::fromHex("2002030000000200"
                                                  "0a00"
                                                  "2c010000");
    QCOMPARE(rec.mid(128, 14), fields);

    // The image follows scrambled; the key restarts at every part.
    std::vector<std::uint8_t> scrambled(image.begin(), image.end());
    Scrambler::EncodeImage(scrambled);
    QCOMPARE(rec.mid(143), AsByteArray(scrambled));
    QCOMPARE(PartRecord(PartKindSlave, 3, 2, 10, image), rec); // nothing depends on time
}

void TestFirmwareFile::mergedFileNames()
{
    PartHeader slave3;
    slave3.kind = PartKindSlave;
    slave3.partNumber = 3;
    slave3.version1 = 2;
    slave3.version2 = 10;
    QCOMPARE(FirmwareFile::MergedFileName("/opt/matrix/", std::span(&slave3, 1)),
             QString("/opt/matrix/KorvexA1_pnl2.10.fw"));

    std::array<PartHeader, 4> all{};
    const std::array<std::pair<std::uint8_t, std::uint16_t>, 4> ids{
        {{PartKindMain, 1}, {PartKindSlave, 1}, {PartKindSlave, 2}, {PartKindSlave, 3}}};
    for (std::size_t i = 0; i < all.size(); ++i) {
        all[i].kind = ids[i].first;
        all[i].partNumber = ids[i].second;
        all[i].version1 = std::uint16_t(i);
        all[i].version2 = 255;
    }
    QCOMPARE(FirmwareFile::MergedFileName("/a/", all),
             QString("/a/KorvexA1_mm0.255_ms1.255_ir2.255_pnl3.255.fw"));

    std::array<PartHeader, 2> mainAndIr{all[0], all[2]};
    mainAndIr[0].version1 = 1;
    mainAndIr[0].version2 = 2;
    mainAndIr[1].version1 = 1;
    mainAndIr[1].version2 = 0;
    QCOMPARE(FirmwareFile::MergedFileName("/a/", mainAndIr), QString("/a/KorvexA1_mm1.2_ir1.0.fw"));
}

void TestFirmwareFile::versionTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("plain") << "12" << 12;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("highest") << "255" << 255;
    QTest::newRow("above") << "300" << 255;
    QTest::newRow("only three characters") << "1234" << 123;
    QTest::newRow("not a number") << "abc" << 0;
    QTest::newRow("number then text") << "25x" << 0;
    QTest::newRow("negative") << "-5" << 0;
}

void TestFirmwareFile::versionTexts()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(int(ParseVersionByte(text)), value);
}

void TestFirmwareFile::scramblingRoundTrip()
{
    // Every byte value at every key position, and past the key's length.
    std::vector<std::uint8_t> plain(256 * 64);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = std::uint8_t(i / 64 + i);
    std::vector<std::uint8_t> buffer = plain;
    Scrambler::EncodeImage(buffer);
    QVERIFY(buffer != plain);
    Scrambler::DecodeImage(buffer);
    QVERIFY(buffer == plain);

    // k(0) is '3' (0x33): 0x00 -> (0x00 ^ 0x33) + 0x33 = 0x66; byte 32 uses k(0) again,
    // byte 31 uses '3' too (the key ends in "83"), byte 1 uses 'C' (0x43).
    std::vector<std::uint8_t> zeros(33, 0);
    Scrambler::EncodeImage(zeros);
    QCOMPARE(int(zeros[0]), 0x66);
    QCOMPARE(int(zeros[1]), 0x86);
    QCOMPARE(int(zeros[32]), 0x66);
    std::vector<std::uint8_t> some{0x10, 0x10, 0xFF};
    Scrambler::EncodeImage(some);
    QCOMPARE(int(some[0]), (0x10 ^ 0x33) + 0x33);
    QCOMPARE(int(some[1]), (0x10 ^ 0x43) + 0x43);
    QCOMPARE(int(some[2]), 0xFF); // (~k) + k
}

void TestFirmwareFile::emptyImage()
{
    const QByteArray rec = PartRecord(PartKindMain, 1, 1, 2, QByteArray());
    QCOMPARE(rec.size(), 143);
    QCOMPARE(rec.mid(138, 4), QByteArray(4, 0));
    QCOMPARE(byteSum(rec, 0, 143), 0u);

    // There is nothing to send for such a part; the part after it is still found.
    const QByteArray file = rec + PartRecord(PartKindSlave, 1, 3, 4, Image(5, 2));
    const auto parts = FirmwareFile::ReadParts(file);
    QCOMPARE(parts.size(), std::size_t(2));
    QCOMPARE(parts[0].error, PartError::EmptyImage);
    QCOMPARE(parts[0].part.name, QString("Part_1.1.1.2"));
    QCOMPARE(parts[1].error, PartError::None);
}

void TestFirmwareFile::readsPartsBack()
{
    const auto mainImage = Image(600, 3);
    const auto irImage = Image(33, 4);
    const QByteArray file = PartRecord(PartKindMain, 1, 1, 2, mainImage) +
                            PartRecord(PartKindSlave, 2, 255, 0, irImage);
    const auto parts = FirmwareFile::ReadParts(file);
    QCOMPARE(parts.size(), std::size_t(2));

    const PartRead &first = parts[0];
    QCOMPARE(first.error, PartError::None);
    QCOMPARE(first.part.name, QString("Part_1.1.1.2"));
    QCOMPARE(first.part.image, mainImage);
    const TCommandFrame expectedStart = MakeFrame(0x20, 1, 1, 0, 1, 2);
    QVERIFY(first.part.startFrame == expectedStart);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(first.part.startFrame[std::size_t(i + 2)], at(file, 128 + i));

    const PartRead &second = parts[1];
    QCOMPARE(second.error, PartError::None);
    QCOMPARE(second.offset, std::size_t(143 + 600));
    QCOMPARE(second.nextOffset, std::size_t(file.size()));
    QCOMPARE(second.part.name, QString("Part_2.2.255.0"));
    QVERIFY(second.part.startFrame == MakeFrame(0x20, 2, 2, 0, 255, 0));
    QCOMPARE(second.part.image, irImage);
}

void TestFirmwareFile::readerRefusesBrokenFiles()
{
    const QByteArray one = PartRecord(PartKindMain, 1, 1, 2, Image(400, 5));
    const QByteArray two = one + PartRecord(PartKindSlave, 1, 1, 0, Image(100, 6));

    auto errors = [](const QByteArray &file) {
        std::vector<PartError> result;
        for (const PartRead &read : FirmwareFile::ReadParts(file))
            result.push_back(read.error);
        return result;
    };
    using E = PartError;
    QVERIFY(errors(two) == std::vector<E>({E::None, E::None}));
    QVERIFY(errors(QByteArray()) == std::vector<E>({E::TruncatedHeader}));
    QVERIFY(errors(one.left(142)) == std::vector<E>({E::TruncatedHeader}));
    QVERIFY(errors(one.left(143 + 399)) == std::vector<E>({E::ImageBeyondEnd}));
    QVERIFY(errors(two.left(one.size() + 100)) == std::vector<E>({E::None, E::TruncatedHeader}));
    QVERIFY(errors(two.chopped(1)) == std::vector<E>({E::None, E::ImageBeyondEnd}));

    // The first damaged header ends the walk: nothing after it can be located.
    QByteArray damaged = two;
    damaged[70] = 'x';
    QVERIFY(errors(damaged) == std::vector<E>({E::BadChecksum}));
    damaged = two;
    damaged[one.size() + 130] = 9;
    QVERIFY(errors(damaged) == std::vector<E>({E::None, E::BadChecksum}));

    // A length near 4 GiB must not wrap around.
    QByteArray huge = one;
    for (int i = 138; i < 142; ++i)
        patchHeader(huge, 0, i, 0xFF);
    QVERIFY(errors(huge) == std::vector<E>({E::ImageBeyondEnd}));

    // Zero bytes have a matching checksum but are no part.
    QVERIFY(errors(QByteArray(143, 0)) == std::vector<E>({E::BadCommand}));
    QCOMPARE(FirmwareFile::ReadPart(ByteSpan(two), std::size_t(two.size()) + 5).error,
             E::TruncatedHeader);
}

void TestFirmwareFile::readerSkipsUnusableParts()
{
    QByteArray file = PartRecord(PartKindSlave, 3, 1, 1, Image(50, 7)) +
                      PartRecord(PartKindSlave, 1, 2, 2, Image(60, 8));
    patchHeader(file, 0, 129, 3);
    const auto parts = FirmwareFile::ReadParts(file);
    QCOMPARE(parts.size(), std::size_t(2));
    QCOMPARE(parts[0].error, PartError::BadKind);
    QVERIFY(parts[0].canContinue);
    QVERIFY(parts[0].part.image.isEmpty());
    QCOMPARE(parts[0].part.name, QString("Part_3.3.1.1"));
    QCOMPARE(parts[1].error, PartError::None);
    QCOMPARE(parts[1].part.image.size(), 60);

    patchHeader(file, 0, 129, PartKindSlave);
    patchHeader(file, 0, 128, 0x21);
    QCOMPARE(FirmwareFile::ReadParts(file).front().error, PartError::BadCommand);
}

QTEST_GUILESS_MAIN(TestFirmwareFile)
#include "tst_firmware_file.moc"
