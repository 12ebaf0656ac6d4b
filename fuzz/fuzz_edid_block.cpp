// EDID blocks come from files and from the switcher: validation and the grid conversion must
// take any bytes, and a valid block must survive the trip through the grid texts.
#include "edid/EdidBlock.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    if (const auto block = EdidBlock::Validate(bytes)) {
        const auto back = EdidBlock::Collect(EdidBlock::CellTexts(*block));
        if (!back || *back != *block)
            std::abort();
    }

    // The same bytes as grid cell texts: every two input bytes make one cell, so cells of any
    // length and content are tried, including empty ones.
    QStringList cells;
    for (std::size_t i = 0; i + 1 < size && cells.size() < 600; i += 2) {
        const std::size_t length = data[i] % 4;
        cells.append(QString::fromLatin1(reinterpret_cast<const char *>(data + i + 1),
                                         qsizetype(std::min(length, size - i - 1))));
    }
    if (const auto collected = EdidBlock::Collect(cells)) {
        const auto again = EdidBlock::Collect(EdidBlock::CellTexts(*collected));
        if (!again || *again != *collected)
            std::abort();
    }

    const QString name = QString::fromUtf8(reinterpret_cast<const char *>(data),
                                           qsizetype(std::min<std::size_t>(size, 64)));
    if (!EdidBlock::WithBinExtension(name).endsWith(QLatin1String(".bin"), Qt::CaseInsensitive))
        std::abort();
    return 0;
}
