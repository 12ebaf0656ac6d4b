// A setup file comes from another PC, by mail or on a stick. Whatever it holds, reading it
// either refuses it with a reason or gives a setup within the bounds the program relies on,
// and that setup writes back to a file that reads the same.
#include "shell/setup/SetupFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const SetupFile::Parsed parsed =
        SetupFile::Parse(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!parsed.setup) {
        if (parsed.problem == SetupFile::Problem::None)
            std::abort();
        return 0;
    }
    const Setup &setup = *parsed.setup;
    if (setup.routing.size() > 8 || setup.presets.size() != 8)
        std::abort();
    for (const int input : setup.routing) {
        if (input < 1 || input > 8)
            std::abort();
    }
    if (setup.userEdid) {
        for (const QByteArray &block : *setup.userEdid) {
            if (block.size() != 256)
                std::abort();
        }
    }
    const SetupFile::Parsed again = SetupFile::Parse(SetupFile::Write(setup));
    if (!again.setup || !(*again.setup == setup))
        std::abort();
    return 0;
}
