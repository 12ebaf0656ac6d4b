// Merged firmware files are chosen by the operator: walking one must never read outside it,
// and every part it hands out must be exactly what the header announced.
#include "firmware/FirmwareFile.h"
#include "link/Scrambler.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A copy in its own allocation, so that any read past the end is caught.
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto parts = FirmwareFile::ReadParts(file);
    if (parts.empty())
        std::abort();
    for (const PartRead &read : parts) {
        if (read.error != PartError::None)
            continue;
        const FirmwarePart &part = read.part;
        if (std::size_t(part.image.size()) != part.header.imageLength)
            std::abort();
        if (FrameChecksum(part.startFrame) != part.startFrame[12])
            std::abort();
        // Rebuilding the record from what was read gives the bytes of the file.
        const auto image = std::span(reinterpret_cast<const std::uint8_t *>(part.image.data()),
                                     std::size_t(part.image.size()));
        const auto rebuilt = FirmwareFile::BuildPartRecord(
            part.header.kind, part.header.partNumber, std::uint8_t(part.header.version1),
            std::uint8_t(part.header.version2), image);
        if (!rebuilt)
            std::abort();
        const QByteArray original = file.mid(qsizetype(read.offset), rebuilt->size());
        if (rebuilt->mid(PartHeaderSize) != original.mid(PartHeaderSize))
            std::abort();
    }
    return 0;
}
