// Client text in arbitrary pieces through the Videohub block assembler and request parser.
// The first byte chooses the port counts and the limits. Every accepted change must name
// ports of the switcher only, and must read back the same when written out as the server
// would send it.
#include "videohub/VideohubBlockAssembler.h"
#include "videohub/VideohubBlocks.h"
#include "videohub/VideohubRequestParser.h"

#include <cstdint>
#include <cstdlib>

using namespace Videohub;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckReadsBack(const QByteArray &written, const Request &request, PortCounts ports,
                    AssemblyLimits limits)
{
    BlockAssembler assembler(limits);
    const std::vector<Block> blocks = assembler.feed(written);
    Check(blocks.size() == 1 && !assembler.inBlock());
    Check(ParseRequest(blocks.front(), ports) == request);
}

void CheckRequest(const Request &request, PortCounts ports, AssemblyLimits limits)
{
    if (const auto *change = std::get_if<RouteChange>(&request)) {
        Check(!change->routes.empty());
        for (const Route &route : change->routes)
            Check(route.output >= 1 && route.output <= ports.outputs && route.input >= 1 &&
                  route.input <= ports.inputs);
        CheckReadsBack(RoutingBlock(change->routes), request, ports, limits);
    } else if (const auto *change = std::get_if<LabelChange>(&request)) {
        const int count = change->kind == PortKind::Input ? ports.inputs : ports.outputs;
        for (const Label &label : change->labels)
            Check(label.port >= 1 && label.port <= count);
        CheckReadsBack(LabelsBlock(change->kind, change->labels), request, ports, limits);
    } else if (const auto *change = std::get_if<LockChange>(&request)) {
        for (const Lock &lock : change->locks)
            Check(lock.output >= 1 && lock.output <= ports.outputs);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const PortCounts ports{1 + (data[0] & 0x07), 1 + ((data[0] >> 3) & 0x07)};
    const AssemblyLimits limits = (data[0] & 0x40) ? AssemblyLimits{24, 4, 48} : AssemblyLimits{};
    BlockAssembler assembler(limits);

    std::size_t at = 1;
    while (at < size) {
        // The byte before each piece gives its length, so the fuzzer explores every split.
        const std::size_t piece = std::min<std::size_t>(data[at] + 1u, size - at - 1);
        ++at;
        const auto *bytes = reinterpret_cast<const char *>(data + at);
        for (const Block &block : assembler.feed(QByteArrayView(bytes, qsizetype(piece))))
            CheckRequest(ParseRequest(block, ports), ports, limits);
        Check(assembler.bufferedBytes() <= limits.maxLineBytes + limits.maxBlockBytes);
        at += piece;
    }
    return 0;
}
