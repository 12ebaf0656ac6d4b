// Device bytes in arbitrary pieces through the receive window of a stream endpoint and answer
// assembly, then the frame and packet checks.
#include "link/AnswerAssembler.h"
#include "link/Frames.h"
#include "link/ReceiveWindow.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const ReplyKind kinds[] = {ReplyKind::Frame, ReplyKind::Packet, ReplyKind::SlaveAnswer,
                               ReplyKind::MainAnswer, ReplyKind::Ldcd};
    AnswerAssembler assembler;
    assembler.reset(AnswerAssembler::ExpectedLength(kinds[data[0] % 5]));
    const TCommandFrame request = MakeFrame(data[1], std::uint8_t(data[1] >> 1));
    ReceiveWindow window;

    std::size_t at = 2;
    while (at < size) {
        // The byte before each piece gives its length and whether the link takes what the
        // window holds after it, so the fuzzer explores every split and every backlog.
        const bool take = (data[at] & 0x80) != 0;
        const std::size_t piece = std::min<std::size_t>((data[at] & 0x7F) * 4u + 1u, size - at - 1);
        ++at;
        const std::size_t kept = std::min(piece, window.room().size());
        std::memcpy(window.room().data(), data + at, kept);
        window.commit(kept);
        window.drop(piece - kept);
        if (window.size() > ReceiveWindow::Capacity)
            std::abort();
        at += piece;
        if (!take)
            continue;

        const QByteArray arrival = window.take();
        const std::size_t before = assembler.position();
        const std::size_t taken =
            assembler.feed({reinterpret_cast<const std::uint8_t *>(arrival.constData()),
                            std::size_t(arrival.size())});
        if (taken > std::size_t(arrival.size()) || before + taken > assembler.expected())
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
    }
    return 0;
}
