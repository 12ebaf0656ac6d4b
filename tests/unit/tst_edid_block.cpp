#include "TestBytes.h"
#include "TestFiles.h"

#include "edid/EdidBlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>

namespace {

unsigned byteSum(const QByteArray &bytes, int from, int count)
{
    unsigned sum = 0;
    for (int i = from; i < from + count; ++i)
        sum += std::uint8_t(bytes[i]);
    return sum % 256;
}

} // namespace

class TestEdidBlock : public QObject
{
    Q_OBJECT

private slots:
    void validityRules();
    void gridTexts();
    void collectFromCells();
    void binExtension_data();
    void binExtension();
    void readingFiles();
    void writeThenReadGivesTheBlock();
};

void TestEdidBlock::validityRules()
{
    const QByteArray block = ValidEdidBlock();
    const auto accepted = EdidBlock::Validate(block);
    QVERIFY(accepted);
    QCOMPARE(EdidBlock::ToByteArray(*accepted), block);

    // A single 128-byte block with its own correct checksum is not enough.
    QByteArray single = block.left(128);
    single[127] = char((256 - byteSum(single, 0, 127)) % 256);
    QCOMPARE(byteSum(single, 0, 128), 0u);
    QVERIFY(!EdidBlock::Validate(single));

    // A 257th byte is ignored.
    const auto longer = EdidBlock::Validate(block + char(0x5A));
    QVERIFY(longer);
    QCOMPARE(EdidBlock::ToByteArray(*longer), block);
    QVERIFY(!EdidBlock::Validate(block + "ab"));
    QVERIFY(!EdidBlock::Validate(block.left(255)));
    QVERIFY(!EdidBlock::Validate(QByteArray()));

    // Only the sum over all 256 bytes counts, not the sums of the halves.
    QByteArray halves = block;
    halves[20] = char(std::uint8_t(halves[20]) + 1);
    halves[200] = char(std::uint8_t(halves[200]) - 1);
    QVERIFY(byteSum(halves, 0, 128) != 0);
    QVERIFY(byteSum(halves, 128, 128) != 0);
    QVERIFY(EdidBlock::Validate(halves));

    QByteArray wrongSum = block;
    wrongSum[255] = char(std::uint8_t(wrongSum[255]) + 1);
    QVERIFY(!EdidBlock::Validate(wrongSum));

    // Byte 0 = 01 with a checksum fixed up to match still fails the header rule.
    QByteArray badHeader = block;
    badHeader[0] = 0x01;
    badHeader[255] = char(std::uint8_t(badHeader[255]) - 1);
    QCOMPARE(byteSum(badHeader, 0, 256), 0u);
    QVERIFY(!EdidBlock::Validate(badHeader));
}

void TestEdidBlock::gridTexts()
{
    QCOMPARE(EdidBlock::ColumnHeaders(), QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8",
                                                      "9", "A", "B", "C", "D", "E", "F"}));
    QCOMPARE(EdidBlock::RowHeaders(),
             QStringList({"00", "10", "20", "30", "40", "50", "60", "70", "80", "90", "A0", "B0",
                          "C0", "D0", "E0", "F0"}));

    const auto block = EdidBlock::Validate(ValidEdidBlock());
    QVERIFY(block);
    const QStringList cells = EdidBlock::CellTexts(*block);
    QCOMPARE(cells.size(), 256);
    QCOMPARE(cells.first(8), QStringList({"00", "FF", "FF", "FF", "FF", "FF", "FF", "00"}));
    // Row 2, column 0xB holds byte 0x2B; uppercase digits.
    QCOMPARE(cells[0x2B], QString("42"));
    QCOMPARE(cells[0x2D], QString("8C"));
    QCOMPARE(cells[0x0A], QString("7D"));
}

void TestEdidBlock::collectFromCells()
{
    const QByteArray block = ValidEdidBlock();
    const auto valid = EdidBlock::Validate(block);
    QVERIFY(valid);
    QStringList cells = EdidBlock::CellTexts(*valid);

    const auto back = EdidBlock::Collect(cells);
    QVERIFY(back);
    QCOMPARE(EdidBlock::ToByteArray(*back), block);

    QStringList lower = cells;
    lower[9] = lower[9].toLower();
    QVERIFY(EdidBlock::Collect(lower));

    // Empty cells are skipped: one missing byte leaves 255, which is not a block.
    QStringList gap = cells;
    gap[100].clear();
    QVERIFY(!EdidBlock::Collect(gap));
    QStringList cleared(256, QString());
    QVERIFY(!EdidBlock::Collect(cleared));

    // Skipped cells shift the rest, so 257 texts with one empty still give 256 bytes.
    QStringList padded = cells;
    padded.insert(5, QString());
    QVERIFY(EdidBlock::Collect(padded));
    padded.append("00");
    QVERIFY(!EdidBlock::Collect(padded));

    for (const QString &bad : QStringList{"G0", "0", "000", " 0", "0x", "-1", "\u0660\u0661"}) {
        QStringList broken = cells;
        broken[42] = bad;
        QVERIFY2(!EdidBlock::Collect(broken), qPrintable(bad));
    }
}

void TestEdidBlock::binExtension_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("saved");
    QTest::newRow("lower") << "/tmp/edid.bin"
                           << "/tmp/edid.bin";
    QTest::newRow("upper") << "/tmp/EDID.BIN"
                           << "/tmp/EDID.BIN";
    QTest::newRow("mixed") << "/tmp/edid.Bin"
                           << "/tmp/edid.Bin";
    QTest::newRow("none") << "/tmp/edid"
                          << "/tmp/edid.bin";
    QTest::newRow("txt") << "/tmp/edid.txt"
                         << "/tmp/edid.txt.bin";
    QTest::newRow("folder only") << "/tmp/x.bin/edid"
                                 << "/tmp/x.bin/edid.bin";
    QTest::newRow("binary") << "/tmp/edid.binary"
                            << "/tmp/edid.binary.bin";
}

void TestEdidBlock::binExtension()
{
    QFETCH(QString, chosen);
    QFETCH(QString, saved);
    QCOMPARE(EdidBlock::WithBinExtension(chosen), saved);
}

void TestEdidBlock::readingFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    using Outcome = EdidFileContent::Outcome;

    const QString exact = dir.filePath("exact.bin");
    QVERIFY(WriteFileBytes(exact, ValidEdidBlock()));
    EdidFileContent content = EdidBlock::ReadFile(exact);
    QCOMPARE(content.outcome, Outcome::Loaded);
    QCOMPARE(content.bytes, ValidEdidBlock());

    const QString longer = dir.filePath("longer.bin");
    QVERIFY(WriteFileBytes(longer, ValidEdidBlock() + 'x'));
    content = EdidBlock::ReadFile(longer);
    QCOMPARE(content.outcome, Outcome::Loaded);
    QCOMPARE(content.bytes.size(), 257);

    const QString small = dir.filePath("small.bin");
    QVERIFY(WriteFileBytes(small, ValidEdidBlock().left(128)));
    content = EdidBlock::ReadFile(small);
    QCOMPARE(content.outcome, Outcome::WrongSize);
    QVERIFY(content.bytes.isEmpty());

    // A large file is refused by its size; it is created sparse, so nothing could be read
    // from it quickly if the size check came too late.
    const QString big = dir.filePath("big.bin");
    {
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(10 * 1024 * 1024));
    }
    content = EdidBlock::ReadFile(big);
    QCOMPARE(content.outcome, Outcome::WrongSize);
    QVERIFY(content.bytes.isEmpty());

    for (const QString &path : {dir.filePath("missing.bin"), dir.path()}) {
        content = EdidBlock::ReadFile(path);
        QCOMPARE(content.outcome, Outcome::Unreadable);
        QVERIFY(content.error.contains(path));
    }
}

void TestEdidBlock::writeThenReadGivesTheBlock()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto block = EdidBlock::Validate(ValidEdidBlock() + 'x');
    QVERIFY(block);
    const QString path = dir.filePath("saved.bin");
    QString error;
    QVERIFY2(EdidBlock::WriteFile(path, *block, &error), qPrintable(error));
    QCOMPARE(QFileInfo(path).size(), 256);
    QVERIFY(EdidBlock::Validate(EdidBlock::ReadFile(path).bytes));

    QVERIFY(QDir(dir.path()).mkdir("taken.bin"));
    QVERIFY(!EdidBlock::WriteFile(dir.filePath("taken.bin"), *block, &error));
    QVERIFY(error.contains("taken.bin"));
}

QTEST_GUILESS_MAIN(TestEdidBlock)
#include "tst_edid_block.moc"
