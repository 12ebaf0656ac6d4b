// Feeds arbitrary bytes, in arbitrary pieces, to the simulated switcher's receiver and
// command engine. The first byte chooses a starting situation (a download or read running,
// records enabled) so that the packet and record paths are reached without valid checksums.
#include "link/Frames.h"
#include "SwitcherDevice.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    SwitcherDevice device;
    const std::uint8_t setup = data[0];
    auto feedFrame = [&device](const TCommandFrame &frame) {
        device.receive(QByteArray(reinterpret_cast<const char *>(frame.data()), 13));
    };
    if (setup & 0x01)
        feedFrame(MakeFrame(0x03, 0x07, 0xF001));
    if (setup & 0x02)
        feedFrame(MakeFrame(0x03, 0x05, 0xF002));
    if (setup & 0x04)
        device.setRecordHandler([&device](const QByteArray &record) { device.sendRecord(record); });
    if (setup & 0x08)
        device.state().edidControlMode = EdidControlLocked;

    // Piece sizes come from the low bits of each piece's first byte.
    std::size_t at = 1;
    while (at < size) {
        const std::size_t piece = std::min<std::size_t>(size - at, 1 + (data[at] & 0x3F));
        device.receive(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(piece)));
        at += piece;
    }
    return 0;
}
