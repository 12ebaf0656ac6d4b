#include "videohub/VideohubProtocol.h"

#include <array>
#include <utility>

namespace Videohub {

namespace {

constexpr std::array<std::pair<StatusBlock, QByteArrayView>, 6> Headers{{
    {StatusBlock::ProtocolPreamble, "PROTOCOL PREAMBLE:"},
    {StatusBlock::Device, "VIDEOHUB DEVICE:"},
    {StatusBlock::InputLabels, "INPUT LABELS:"},
    {StatusBlock::OutputLabels, "OUTPUT LABELS:"},
    {StatusBlock::OutputRouting, "VIDEO OUTPUT ROUTING:"},
    {StatusBlock::OutputLocks, "VIDEO OUTPUT LOCKS:"},
}};

} // namespace

QByteArrayView HeaderOf(StatusBlock block)
{
    for (const auto &[kind, header] : Headers) {
        if (kind == block)
            return header;
    }
    return {};
}

std::optional<StatusBlock> StatusBlockFor(QByteArrayView header)
{
    for (const auto &[kind, name] : Headers) {
        if (name == header)
            return kind;
    }
    return std::nullopt;
}

} // namespace Videohub
