// Feeds arbitrary bytes, in arbitrary pieces, to the simulated switcher while a firmware part
// is being written to it. The first byte chooses the part (main or slave, announced or not)
// so that the packet path is reached without a valid start exchange in the input.
#include "link/Frames.h"
#include "SimFirmware.h"
#include "SwitcherDevice.h"

#include <QByteArray>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    SwitcherDevice device;
    SimFirmware firmware(device);
    auto feedFrame = [&device](const TCommandFrame &frame) {
        device.receive(QByteArray(reinterpret_cast<const char *>(frame.data()), 13));
    };
    const std::uint8_t setup = data[0];
    const std::uint8_t kind = (setup & 0x01) ? 1 : 2;
    const std::uint16_t part = std::uint16_t(1 + ((setup >> 1) & 0x03));
    if (setup & 0x08)
        firmware.declinePacket(kind, part, 1, 2);
    feedFrame(MakeFrame(0x20, kind, part, 0, 1, 2));
    if (kind == 1 && (setup & 0x10)) {
        feedFrame(MakeFrame(0x20, 1, 0x0080));
        feedFrame(MakeFrame(0x20, 1, 0x0010));
    }

    // Piece sizes come from the low bits of each piece's first byte.
    std::size_t at = 1;
    while (at < size) {
        const std::size_t piece = std::min<std::size_t>(size - at, 1 + (data[at] & 0x7F));
        device.receive(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(piece)));
        at += piece;
    }
    // Whatever was accepted is a prefix of what a part can hold.
    if (firmware.image(kind, part).size() > 65536 * 256)
        __builtin_trap();
    return 0;
}
