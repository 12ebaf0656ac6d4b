// Device bytes in arbitrary pieces through answer assembly, then the frame and packet checks.
#include "link/AnswerAssembler.h"
#include "link/Frames.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t kinds[] = {0, 1, 3, 4, 6};
    AnswerAssembler assembler;
    assembler.reset(AnswerAssembler::ExpectedLength(kinds[data[0] % 5]));
    const TCommandFrame request = MakeFrame(data[1], std::uint8_t(data[1] >> 1));

    std::size_t at = 2;
    while (at < size) {
        // The byte before each piece gives its length, so the fuzzer explores every split.
        const std::size_t piece = std::min<std::size_t>(data[at] + 1u, size - at - 1);
        ++at;
        const std::size_t before = assembler.position();
        const std::size_t taken = assembler.feed({data + at, piece});
        if (taken > piece || before + taken > assembler.expected())
            std::abort();
        if (assembler.complete()) {
            const auto answer = assembler.buffer();
            if (answer.size() != assembler.expected())
                std::abort();
            IsValidAnswer(answer.first(FrameSize), request);
            IsValidPacketAnswer(answer.first(FrameSize), request);
            const PacketCheck check = CheckDataPacket(answer, request);
            if (check.valid && check.length > PacketDataSize)
                std::abort();
            assembler.reset(assembler.expected());
        }
        at += piece;
    }
    return 0;
}
