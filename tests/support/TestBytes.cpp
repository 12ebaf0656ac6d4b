#include "TestBytes.h"

#include "firmware/FirmwareFile.h"
#include "link/ByteSpan.h"
#include "link/Frames.h"

#include <algorithm>
#include <iterator>

QByteArray FrameBytes(std::uint8_t command, std::uint8_t subcommand, std::uint16_t p1,
                      std::uint16_t p2)
{
    return AsByteArray(MakeFrame(command, subcommand, p1, p2));
}

QByteArray Image(int size, int seed)
{
    QByteArray image(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        image[i] = char((i * 31 + seed * 17 + (i >> 8)) & 0xFF);
    return image;
}

QByteArray PartRecord(std::uint8_t kind, std::uint16_t part, std::uint8_t version1,
                      std::uint8_t version2, const QByteArray &image)
{
    return FirmwareFile::BuildPartRecord(kind, part, version1, version2, ByteSpan(image))
        .value_or(QByteArray());
}

QByteArray ValidEdidBlock(int seed)
{
    QByteArray block(256, '\0');
    const char header[] = {0,          char(0xFF), char(0xFF), char(0xFF),
                           char(0xFF), char(0xFF), char(0xFF), 0};
    std::copy(std::begin(header), std::end(header), block.begin());
    for (int i = 8; i < 255; ++i)
        block[i] = char((i * 37 + 11 + seed * 53) & 0xFF);
    unsigned sum = 0;
    for (int i = 0; i < 255; ++i)
        sum += std::uint8_t(block[i]);
    block[255] = char((256 - sum % 256) % 256);
    return block;
}
