// Arbitrary text as a front-panel script of the simulator; the first byte chooses the size.
// Every step it accepts names ports of that size and a delay within the limit.
#include "SimFrontPanelScript.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int ports = (data[0] & 1) ? 8 : 4;
    const QByteArrayView text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QString error;
    const auto steps = SimFrontPanelScript::Parse(text, ports, &error);
    if (!steps) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    for (const SimFrontPanelStep &step : *steps) {
        if (step.output < 1 || step.output > ports || step.input < 1 || step.input > ports ||
            step.delay.count() < 0 || step.delay.count() > SimFrontPanelScript::MaxDelayMs)
            std::abort();
    }
    return 0;
}
