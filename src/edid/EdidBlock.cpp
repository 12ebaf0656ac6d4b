#include "edid/EdidBlock.h"

#include "edid/EdidLogging.h"
#include "link/Frames.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

QString hexByte(std::uint8_t value)
{
    const QChar digits[2] = {QLatin1Char(HexDigits[value >> 4]),
                             QLatin1Char(HexDigits[value & 0x0F])};
    return QString(digits, 2);
}

bool acceptableSize(qint64 size)
{
    return size == qint64(EDIDBlockSize) || size == qint64(EDIDBlockSize) + 1;
}

} // namespace

std::optional<EdidBytes> EdidBlock::Validate(std::span<const std::uint8_t> source)
{
    if (!acceptableSize(qint64(source.size())))
        return std::nullopt;
    EdidBytes block;
    std::copy_n(source.begin(), EDIDBlockSize, block.begin());
    if (DataChecksum(std::span(block).first(EDIDBlockSize - 1)) != block[EDIDBlockSize - 1])
        return std::nullopt;
    if (!std::equal(Header.begin(), Header.end(), block.begin()))
        return std::nullopt;
    return block;
}

std::optional<EdidBytes> EdidBlock::Validate(const QByteArray &source)
{
    return Validate(std::span(reinterpret_cast<const std::uint8_t *>(source.constData()),
                              std::size_t(source.size())));
}

QStringList EdidBlock::CellTexts(const EdidBytes &block)
{
    QStringList cells;
    cells.reserve(qsizetype(block.size()));
    for (const std::uint8_t value : block)
        cells.append(hexByte(value));
    return cells;
}

QStringList EdidBlock::ColumnHeaders()
{
    QStringList headers;
    for (int column = 0; column < GridSide; ++column)
        headers.append(QString(QLatin1Char(HexDigits[column])));
    return headers;
}

QStringList EdidBlock::RowHeaders()
{
    QStringList headers;
    for (int row = 0; row < GridSide; ++row)
        headers.append(hexByte(std::uint8_t(row * GridSide)));
    return headers;
}

std::optional<EdidBytes> EdidBlock::Collect(const QStringList &cells)
{
    EdidBytes block{};
    std::size_t count = 0;
    for (const QString &cell : cells) {
        if (cell.isEmpty())
            continue;
        if (cell.size() != 2)
            return std::nullopt;
        const int high = hexValue(cell[0]);
        const int low = hexValue(cell[1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        if (count == EDIDBlockSize)
            return std::nullopt;
        block[count++] = std::uint8_t(high * 16 + low);
    }
    if (count != EDIDBlockSize)
        return std::nullopt;
    return block;
}

QString EdidBlock::WithBinExtension(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive))
        return fileName;
    return fileName + QLatin1String(".bin");
}

EdidFileContent EdidBlock::ReadFile(const QString &path)
{
    EdidFileContent content;
    const QFileInfo info(path);
    if (!info.exists()) {
        content.error =
            QStringLiteral("Cannot open file \"%1\". No such file or directory.").arg(path);
        return content;
    }
    if (info.isDir()) {
        content.error = QStringLiteral("Cannot open file \"%1\". It is a directory.").arg(path);
        return content;
    }
    if (!info.isFile()) {
        // Devices and pipes could block or never end; an EDID file is always a plain file.
        content.error =
            QStringLiteral("Cannot open file \"%1\". It is not a regular file.").arg(path);
        return content;
    }
    if (!acceptableSize(info.size())) {
        qCDebug(lcEdid) << path << "has" << info.size() << "bytes, not an EDID block";
        content.outcome = EdidFileContent::Outcome::WrongSize;
        return content;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        content.error = QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString());
        return content;
    }
    // One byte more than allowed, so a file that grew since the size check is still refused.
    const QByteArray bytes = file.read(qint64(EDIDBlockSize) + 2);
    if (file.error() != QFileDevice::NoError) {
        content.error = QStringLiteral("Cannot read file \"%1\". %2").arg(path, file.errorString());
        return content;
    }
    if (!acceptableSize(bytes.size())) {
        content.outcome = EdidFileContent::Outcome::WrongSize;
        return content;
    }
    content.outcome = EdidFileContent::Outcome::Loaded;
    content.bytes = bytes;
    return content;
}

bool EdidBlock::WriteFile(const QString &path, const EdidBytes &block, QString *error)
{
    QSaveFile file(path);
    const QByteArray bytes = ToByteArray(block);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString());
    file.cancelWriting();
    return false;
}

QByteArray EdidBlock::ToByteArray(const EdidBytes &block)
{
    return QByteArray(reinterpret_cast<const char *>(block.data()), qsizetype(block.size()));
}
