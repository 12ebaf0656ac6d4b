#pragma once

#include <QByteArray>

#include <cstdint>

/// Test data built from bytes, shared by the tests: frames, firmware images and part records,
/// EDID blocks.

/// Unsigned bytes (a frame, a packet, a block, an image) as a QByteArray.
template <typename Bytes> QByteArray AsByteArray(const Bytes &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

/// A command frame as it goes on the wire.
QByteArray FrameBytes(std::uint8_t command, std::uint8_t subcommand, std::uint16_t p1 = 0,
                      std::uint16_t p2 = 0);

/// A plain firmware image of `size` bytes; images of different seeds differ.
QByteArray Image(int size, int seed);

/// One part record of a merged firmware file (header and scrambled image); empty when the
/// image cannot be a part.
QByteArray PartRecord(std::uint8_t kind, std::uint16_t part, std::uint8_t version1,
                      std::uint8_t version2, const QByteArray &image);

/// A valid 256-byte EDID block: the standard header, content that depends on `seed`, and a
/// correct checksum over the 256 bytes.
QByteArray ValidEdidBlock(int seed = 0);
