#include "firmware/FirmwareFile.h"

#include "link/Scrambler.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t CommandOffset = 128;
constexpr std::size_t ChecksumOffset = PartHeaderSize - 1;

void putText(std::span<std::uint8_t> field, const char *text)
{
    const std::size_t length = std::min(std::strlen(text), field.size());
    std::copy_n(reinterpret_cast<const std::uint8_t *>(text), length, field.begin());
}

void put16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = std::uint8_t(value & 0xFF);
    bytes[at + 1] = std::uint8_t(value >> 8);
}

std::uint16_t get16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::uint16_t(bytes[at] | (bytes[at + 1] << 8));
}

std::span<const std::uint8_t> asBytes(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

} // namespace

std::array<std::uint8_t, PartHeaderSize> PartHeader::toBytes() const
{
    std::array<std::uint8_t, PartHeaderSize> bytes{};
    const std::span<std::uint8_t> all(bytes);
    putText(all.subspan(0, PartTextSize), WarningText);
    putText(all.subspan(PartTextSize, PartTextSize), FirmwareText);
    bytes[CommandOffset] = command;
    bytes[129] = kind;
    put16(all, 130, partNumber);
    put16(all, 132, reserved);
    put16(all, 134, version1);
    put16(all, 136, version2);
    for (std::size_t i = 0; i < 4; ++i)
        bytes[138 + i] = std::uint8_t(imageLength >> (8 * i));
    bytes[ChecksumOffset] = DataChecksum(all.first(ChecksumOffset));
    return bytes;
}

PartHeader PartHeader::fromBytes(std::span<const std::uint8_t, PartHeaderSize> bytes)
{
    PartHeader header;
    header.command = bytes[CommandOffset];
    header.kind = bytes[129];
    header.partNumber = get16(bytes, 130);
    header.reserved = get16(bytes, 132);
    header.version1 = get16(bytes, 134);
    header.version2 = get16(bytes, 136);
    header.imageLength = std::uint32_t(bytes[138]) | (std::uint32_t(bytes[139]) << 8) |
                         (std::uint32_t(bytes[140]) << 16) | (std::uint32_t(bytes[141]) << 24);
    return header;
}

TCommandFrame PartHeader::startFrame() const
{
    const auto bytes = toBytes();
    TCommandFrame frame;
    InitFrame(frame);
    std::copy_n(bytes.begin() + CommandOffset, 10, frame.begin() + 2);
    RefreshChecksum(frame);
    return frame;
}

QString PartHeader::partName() const
{
    return QStringLiteral("Part_") + QString::number(kind) + QLatin1Char('.') +
           QString::number(partNumber) + QLatin1Char('.') + QString::number(version1) +
           QLatin1Char('.') + QString::number(version2);
}

std::uint8_t ParseVersionByte(const QString &text)
{
    const QString used = text.isEmpty() ? QStringLiteral("0") : text.left(3);
    bool ok = false;
    const int value = used.toInt(&ok, 10);
    if (!ok || value < 0)
        return 0;
    return std::uint8_t(std::min(value, 255));
}

QString FirmwareFile::NamePiece(std::uint8_t kind, std::uint16_t partNumber)
{
    if (kind == PartKindMain && partNumber == 1)
        return QStringLiteral("_mm");
    if (kind == PartKindSlave) {
        switch (partNumber) {
        case 1:
            return QStringLiteral("_ms");
        case 2:
            return QStringLiteral("_ir");
        case 3:
            return QStringLiteral("_pnl");
        default:
            break;
        }
    }
    return {};
}

QString FirmwareFile::MergedFileName(const QString &appDir, std::span<const PartHeader> parts)
{
    QString name = appDir + QStringLiteral("KorvexA1");
    for (const PartHeader &part : parts) {
        name += NamePiece(part.kind, part.partNumber) + QString::number(part.version1) +
                QLatin1Char('.') + QString::number(part.version2);
    }
    return name + QStringLiteral(".fw");
}

std::optional<QByteArray> FirmwareFile::BuildPartRecord(std::uint8_t kind, std::uint16_t partNumber,
                                                        std::uint8_t version1,
                                                        std::uint8_t version2,
                                                        std::span<const std::uint8_t> plainImage)
{
    if (plainImage.size() > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    PartHeader header;
    header.kind = kind;
    header.partNumber = partNumber;
    header.version1 = version1;
    header.version2 = version2;
    header.imageLength = std::uint32_t(plainImage.size());
    const auto headerBytes = header.toBytes();

    QByteArray record(qsizetype(PartHeaderSize + plainImage.size()), Qt::Uninitialized);
    auto *out = reinterpret_cast<std::uint8_t *>(record.data());
    std::copy(headerBytes.begin(), headerBytes.end(), out);
    std::copy(plainImage.begin(), plainImage.end(), out + PartHeaderSize);
    Scrambler::EncodeImage(std::span(out + PartHeaderSize, plainImage.size()));
    return record;
}

PartRead FirmwareFile::ReadPart(std::span<const std::uint8_t> file, std::size_t offset)
{
    PartRead read;
    read.offset = offset;
    if (offset > file.size() || file.size() - offset < PartHeaderSize) {
        read.error = PartError::TruncatedHeader;
        return read;
    }
    const auto headerBytes = file.subspan(offset).first<PartHeaderSize>();
    if (DataChecksum(headerBytes.first(ChecksumOffset)) != headerBytes[ChecksumOffset]) {
        read.error = PartError::BadChecksum;
        return read;
    }
    const PartHeader header = PartHeader::fromBytes(headerBytes);
    const std::size_t imageStart = offset + PartHeaderSize;
    if (header.imageLength > file.size() - imageStart) {
        read.error = PartError::ImageBeyondEnd;
        return read;
    }

    read.canContinue = true;
    read.nextOffset = imageStart + header.imageLength;
    read.part.header = header;
    read.part.name = header.partName();
    if (header.command != FirmwareCommand)
        read.error = PartError::BadCommand;
    else if (header.kind != PartKindMain && header.kind != PartKindSlave)
        read.error = PartError::BadKind;
    else if (header.imageLength == 0)
        read.error = PartError::EmptyImage;
    if (read.error != PartError::None)
        return read;

    read.part.startFrame = header.startFrame();
    const auto image = file.subspan(imageStart, header.imageLength);
    read.part.image =
        QByteArray(reinterpret_cast<const char *>(image.data()), qsizetype(image.size()));
    Scrambler::DecodeImage(
        std::span(reinterpret_cast<std::uint8_t *>(read.part.image.data()), image.size()));
    return read;
}

std::vector<PartRead> FirmwareFile::ReadParts(std::span<const std::uint8_t> file)
{
    std::vector<PartRead> parts;
    std::size_t offset = 0;
    do {
        parts.push_back(ReadPart(file, offset));
        if (!parts.back().canContinue)
            break;
        offset = parts.back().nextOffset;
    } while (offset < file.size());
    return parts;
}

std::vector<PartRead> FirmwareFile::ReadParts(const QByteArray &file)
{
    return ReadParts(asBytes(file));
}
