#include "SimEdidCommands.h"
#include "link/ByteSpan.h"

#include "SwitcherDevice.h"

#include <algorithm>

namespace {

constexpr std::uint8_t CmdEdid = 0x03;
constexpr std::uint8_t SubSetAll = 0x01;
constexpr std::uint8_t SubSetOne = 0x02;
constexpr std::uint8_t SubCopyAll = 0x03;
constexpr std::uint8_t SubCopyOne = 0x04;
constexpr std::uint8_t SubRead = 0x05;
constexpr std::uint8_t SubDownloadAll = 0x06;
constexpr std::uint8_t SubDownloadOne = 0x07;
constexpr std::uint8_t SubPrepare = 0x08;
constexpr std::uint8_t SubDefaultAll = 0x09;
constexpr std::uint8_t SubDefaultOne = 0x0A;
constexpr std::uint8_t SubControlMode = 0x0B;

constexpr std::uint16_t AllInputsCode = 0xF0FE;
constexpr std::uint16_t PortCodeBase = 0xF000;
constexpr std::uint16_t PrepareCode = 0x00F0;
constexpr std::uint16_t AllPorts = 0x00FE;
constexpr std::size_t BlockSize = std::tuple_size_v<SimEdidBlock>;

bool ChangesEdid(std::uint8_t subcommand)
{
    return subcommand != SubRead && subcommand != SubControlMode;
}

} // namespace

SimEdidCommands::SimEdidCommands(SwitcherDevice &device) : m_device(device) {}

SwitcherState &SimEdidCommands::state()
{
    return m_device.state();
}

void SimEdidCommands::reset()
{
    m_readBlock.clear();
    m_readOffset = m_readNext = 0;
    if (m_downloading)
        m_device.expectFrames();
    m_downloading = false;
    m_downloaded.clear();
}

void SimEdidCommands::handle(const TCommandFrame &request)
{
    const std::uint8_t sub = request[3];
    if (ChangesEdid(sub) && state().edidControlMode == EdidControlLocked)
        return m_device.reply(request, StatusRefused);
    switch (sub) {
    case SubSetAll:
    case SubSetOne:
        return setMode(request);
    case SubCopyAll:
    case SubCopyOne:
        return copyDisplay(request);
    case SubRead:
        return FrameParam(request, 1) >= PortCodeBase ? startRead(request) : readRequest(request);
    case SubDownloadAll:
    case SubDownloadOne:
        return startDownload(request);
    case SubPrepare:
        return m_device.reply(request, FrameParam(request, 1) == PrepareCode ? StatusAccepted
                                                                             : StatusRefused);
    case SubDefaultAll:
    case SubDefaultOne:
        return restoreDefault(request);
    case SubControlMode:
        return m_device.reply(request, state().edidControlMode);
    default:
        return m_device.reply(request, StatusRefused);
    }
}

void SimEdidCommands::setMode(const TCommandFrame &request)
{
    const std::uint16_t code = FrameParam(request, 1);
    const int input = FrameParam(request, 2);
    const SimEdidBlock *block = state().edidForMode(code);
    if (!block || (request[3] == SubSetOne && !state().isInput(input)))
        return m_device.reply(request, StatusRefused);
    const SimEdidBlock chosen = *block;
    for (int n = 1; n <= SimMaxPorts; ++n) {
        if (state().isInput(n) && (request[3] == SubSetAll || n == input)) {
            state().inputEdid[std::size_t(n - 1)] = chosen;
            state().inputEdidMode[std::size_t(n - 1)] = code;
        }
    }
    m_device.reply(request, StatusAccepted);
}

void SimEdidCommands::copyDisplay(const TCommandFrame &request)
{
    const int output = FrameParam(request, 1);
    const int input = FrameParam(request, 2);
    const bool hasDisplay =
        state().isOutput(output) && state().displayConnected[std::size_t(output - 1)];
    if (!hasDisplay || (request[3] == SubCopyOne && !state().isInput(input)))
        return m_device.reply(request, StatusRefused);
    const SimEdidBlock display = state().displayEdid[std::size_t(output - 1)];
    for (int n = 1; n <= SimMaxPorts; ++n) {
        if (state().isInput(n) && (request[3] == SubCopyAll || n == input)) {
            state().inputEdid[std::size_t(n - 1)] = display;
            state().inputEdidMode[std::size_t(n - 1)] = 0;
        }
    }
    m_device.reply(request, StatusAccepted);
}

void SimEdidCommands::restoreDefault(const TCommandFrame &request)
{
    const int p1 = FrameParam(request, 1);
    const bool all = request[3] == SubDefaultAll;
    if ((all && p1 != AllPorts) || (!all && !state().isInput(p1)))
        return m_device.reply(request, StatusRefused);
    for (int n = 1; n <= SimMaxPorts; ++n) {
        if (state().isInput(n) && (all || n == p1)) {
            state().inputEdid[std::size_t(n - 1)] = state().defaultEdid;
            state().inputEdidMode[std::size_t(n - 1)] = 0;
        }
    }
    m_device.reply(request, StatusAccepted);
}

void SimEdidCommands::startRead(const TCommandFrame &request)
{
    const std::uint16_t code = FrameParam(request, 1);
    const SimEdidBlock *source = state().userMemoryFor(code);
    const int output = code - PortCodeBase;
    if (!source && code > PortCodeBase && state().isOutput(output) &&
        state().displayConnected[std::size_t(output - 1)])
        source = &state().displayEdid[std::size_t(output - 1)];
    if (!source) {
        m_readBlock.clear();
        return m_device.reply(request, StatusRefused);
    }
    m_readBlock = QByteArray(reinterpret_cast<const char *>(source->data()), BlockSize);
    m_readStart = request;
    m_readOffset = m_readNext = 0;
    m_device.reply(request, StatusReady);
}

void SimEdidCommands::readRequest(const TCommandFrame &request)
{
    const std::uint16_t p1 = FrameParam(request, 1);
    if (!reading() || (p1 != PacketMore && p1 != PacketNext && p1 != PacketRepeat))
        return m_device.reply(request, StatusRefused);
    if (p1 == PacketMore)
        return sendReadPacket(0);
    if (p1 == PacketRepeat)
        return sendReadPacket(m_readOffset);
    if (m_readNext >= m_readBlock.size())
        return m_device.reply(request, StatusRefused);
    sendReadPacket(m_readNext);
}

void SimEdidCommands::sendReadPacket(qsizetype offset)
{
    const std::size_t remaining = std::size_t(m_readBlock.size() - offset);
    const std::size_t n = PacketLengthFor(remaining);
    const TDataPacket packet =
        BuildDataPacket(m_readStart, PacketStatusFor(remaining), 0, 0,
                        ByteSpan(m_readBlock).subspan(std::size_t(offset), n));
    m_readOffset = offset;
    m_readNext = offset + qsizetype(n);
    m_device.sendPacket(
        QByteArray(reinterpret_cast<const char *>(packet.data()), qsizetype(packet.size())));
}

void SimEdidCommands::startDownload(const TCommandFrame &request)
{
    const std::uint16_t code = FrameParam(request, 1);
    const int input = code - PortCodeBase;
    const bool valid =
        request[3] == SubDownloadAll
            ? code == AllInputsCode
            : state().userMemoryFor(code) || (code > PortCodeBase && state().isInput(input));
    if (!valid) {
        reset();
        return m_device.reply(request, StatusRefused);
    }
    m_downloading = true;
    m_downloadStart = request;
    m_downloaded.clear();
    m_device.expectPackets(
        CmdEdid, request[3], [](std::span<const std::uint8_t>) { return PacketSize; },
        [this](const QByteArray &packet) { downloadPacket(packet); });
    m_device.reply(request, StatusReady);
}

void SimEdidCommands::downloadPacket(const QByteArray &packet)
{
    const PacketCheck check = CheckDataPacket(ByteSpan(packet), m_downloadStart);
    const qsizetype total = m_downloaded.size() + qsizetype(check.length);
    // The target holds one 256-byte block: more is refused, and so is a last packet that
    // leaves the block short.
    const bool accepted = check.valid &&
                          (check.status == PacketMore || check.status == PacketLast) &&
                          total <= qsizetype(BlockSize) &&
                          (check.status == PacketMore || total == qsizetype(BlockSize));

    const TCommandFrame header = FrameOf(packet);
    if (!accepted)
        return m_device.reply(header, StatusRefused);

    m_downloaded += packet.mid(qsizetype(PacketHeaderSize), qsizetype(check.length));
    if (m_downloaded.size() == qsizetype(BlockSize)) {
        SimEdidBlock block{};
        std::copy_n(ByteSpan(m_downloaded).begin(), BlockSize, block.begin());
        store(block);
        m_downloading = false;
        m_downloaded.clear();
        m_device.expectFrames();
    }
    m_device.reply(header, StatusAccepted);
}

void SimEdidCommands::store(const SimEdidBlock &block)
{
    const std::uint16_t code = FrameParam(m_downloadStart, 1);
    if (SimEdidBlock *memory = state().userMemoryFor(code)) {
        *memory = block;
        return;
    }
    const int input = code - PortCodeBase;
    for (int n = 1; n <= SimMaxPorts; ++n) {
        if (state().isInput(n) && (code == AllInputsCode || n == input)) {
            state().inputEdid[std::size_t(n - 1)] = block;
            state().inputEdidMode[std::size_t(n - 1)] = 0;
        }
    }
}
