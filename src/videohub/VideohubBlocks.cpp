#include "videohub/VideohubBlocks.h"

#include <algorithm>
#include <numeric>

namespace Videohub {

namespace {

constexpr char LineEnd = '\n';

QByteArray OneLine(const QString &text)
{
    QString line = text;
    std::replace_if(line.begin(), line.end(), IsControlCharacter, QLatin1Char(' '));
    return line.toUtf8();
}

QByteArray Header(QByteArrayView name)
{
    return name.toByteArray() + LineEnd;
}

QByteArray Header(StatusBlock block)
{
    return Header(HeaderOf(block));
}

QByteArray Field(QByteArrayView name, const QByteArray &value)
{
    return name.toByteArray() + ": " + value + LineEnd;
}

QByteArray Field(QByteArrayView name, int value)
{
    return Field(name, QByteArray::number(value));
}

// A numbered line; ports below 1 are not the switcher's and are left out.
void AppendPortLine(QByteArray &block, int port, const QByteArray &value)
{
    if (port < 1)
        return;
    block += QByteArray::number(WireIndexOf(port)) + ' ' + value + LineEnd;
}

QByteArray Ended(QByteArray block)
{
    return block + LineEnd;
}

std::vector<int> AllPorts(int count)
{
    std::vector<int> ports(std::size_t(std::max(count, 0)));
    std::iota(ports.begin(), ports.end(), 1);
    return ports;
}

} // namespace

QByteArray PreambleBlock()
{
    return Ended(Header(StatusBlock::ProtocolPreamble) +
                 Field("Version", ProtocolVersion.toByteArray()));
}

QByteArray DeviceBlock(const DeviceInfo &device)
{
    QByteArray block = Header(StatusBlock::Device);
    if (!device.present)
        return Ended(block + Field("Device present", "false"));
    block += Field("Device present", "true");
    block += Field("Model name", OneLine(device.modelName));
    if (!device.friendlyName.isEmpty())
        block += Field("Friendly name", OneLine(device.friendlyName));
    if (!device.uniqueId.isEmpty())
        block += Field("Unique ID", OneLine(device.uniqueId));
    block += Field("Video inputs", device.ports.inputs);
    block += Field("Video processing units", 0);
    block += Field("Video outputs", device.ports.outputs);
    block += Field("Video monitoring outputs", 0);
    block += Field("Serial ports", 0);
    return Ended(block);
}

QByteArray LabelsBlock(PortKind kind, std::span<const Label> labels)
{
    QByteArray block =
        Header(kind == PortKind::Input ? StatusBlock::InputLabels : StatusBlock::OutputLabels);
    for (const Label &label : labels)
        AppendPortLine(block, label.port, OneLine(label.text));
    return Ended(block);
}

QByteArray RoutingBlock(std::span<const Route> routes)
{
    QByteArray block = Header(StatusBlock::OutputRouting);
    for (const Route &route : routes) {
        if (route.input >= 1)
            AppendPortLine(block, route.output, QByteArray::number(WireIndexOf(route.input)));
    }
    return Ended(block);
}

QByteArray LocksBlock(std::span<const int> outputs)
{
    QByteArray block = Header(StatusBlock::OutputLocks);
    for (int output : outputs)
        AppendPortLine(block, output, "U");
    return Ended(block);
}

QByteArray AckBlock()
{
    return Ended(Header(AckWord));
}

QByteArray NakBlock()
{
    return Ended(Header(NakWord));
}

QByteArray EndPreludeBlock()
{
    return Ended(Header(EndPreludeHeader));
}

QByteArray StatusBlockText(StatusBlock block, const HubState &state)
{
    switch (block) {
    case StatusBlock::ProtocolPreamble:
        return PreambleBlock();
    case StatusBlock::Device:
        return DeviceBlock(state.device);
    case StatusBlock::InputLabels:
        return LabelsBlock(PortKind::Input, state.inputLabels);
    case StatusBlock::OutputLabels:
        return LabelsBlock(PortKind::Output, state.outputLabels);
    case StatusBlock::OutputRouting:
        return RoutingBlock(state.routing);
    case StatusBlock::OutputLocks:
        return LocksBlock(AllPorts(state.device.ports.outputs));
    }
    return {};
}

QByteArray Prelude(const HubState &state)
{
    QByteArray text = PreambleBlock() + DeviceBlock(state.device);
    if (state.device.present) {
        for (StatusBlock block : {StatusBlock::InputLabels, StatusBlock::OutputLabels,
                                  StatusBlock::OutputRouting, StatusBlock::OutputLocks})
            text += StatusBlockText(block, state);
    }
    return text + EndPreludeBlock();
}

} // namespace Videohub
