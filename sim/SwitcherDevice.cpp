#include "SwitcherDevice.h"

#include "link/ByteSpan.h"
#include "SimEdidCommands.h"

namespace {

constexpr std::uint8_t CmdInfo = 0x01;
constexpr std::uint8_t CmdRouting = 0x02;
constexpr std::uint8_t CmdEdid = 0x03;
constexpr std::uint8_t CmdIr = 0x04;
constexpr std::uint8_t CmdSystem = 0x80;

constexpr std::uint16_t AllPorts = 0x00FE;
constexpr std::uint16_t Enable = 0x000F;
constexpr std::uint16_t Disable = 0x00F0;
constexpr std::uint8_t PortConnected = 0x00;
constexpr std::uint8_t PortNotConnected = 0xFF;

QByteArray ToBytes(const TCommandFrame &frame)
{
    return QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size()));
}

} // namespace

SwitcherDevice::SwitcherDevice(QObject *parent) : QObject(parent)
{
    connect(&m_line, &SimLine::chunk, this, [this](const QByteArray &bytes) {
        m_state.sent.append(bytes);
        emit transmit(bytes);
    });
    setCommandHandler(CmdInfo, [this](const TCommandFrame &f) { handleInfo(f); });
    setCommandHandler(CmdRouting, [this](const TCommandFrame &f) { handleRouting(f); });
    setCommandHandler(CmdIr, [this](const TCommandFrame &f) { handleIr(f); });
    setCommandHandler(CmdSystem, [this](const TCommandFrame &f) { handleRestart(f); });
    m_edid = std::make_unique<SimEdidCommands>(*this);
    setCommandHandler(CmdEdid, [this](const TCommandFrame &f) { m_edid->handle(f); });
}

SwitcherDevice::~SwitcherDevice() = default;

void SwitcherDevice::setCommandHandler(std::uint8_t command, FrameHandler handler)
{
    m_handlers[command] = std::move(handler);
}

void SwitcherDevice::expectPackets(std::uint8_t command, std::uint8_t subcommand,
                                   SimReceiver::PacketLength length, PacketHandler handler)
{
    m_packetHandler = std::move(handler);
    m_receiver.expectPackets(command, subcommand, std::move(length));
}

void SwitcherDevice::expectFrames()
{
    m_receiver.expectFrames();
    m_packetHandler = nullptr;
}

void SwitcherDevice::setRecordHandler(RecordHandler handler)
{
    m_recordHandler = std::move(handler);
    m_receiver.setRecordsEnabled(m_recordHandler != nullptr);
}

TCommandFrame SwitcherDevice::Answer(const TCommandFrame &request, std::uint8_t r4)
{
    TCommandFrame answer = request;
    SetFrameParam(answer, 1, r4);
    return WireFrame(answer);
}

TCommandFrame SwitcherDevice::Answer(const TCommandFrame &request, std::uint8_t r4, std::uint8_t r6)
{
    TCommandFrame answer = request;
    SetFrameParam(answer, 1, r4);
    SetFrameParam(answer, 2, r6);
    return WireFrame(answer);
}

void SwitcherDevice::reply(const TCommandFrame &request, std::uint8_t r4)
{
    sendFrame(Answer(request, r4));
}

void SwitcherDevice::reply(const TCommandFrame &request, std::uint8_t r4, std::uint8_t r6)
{
    sendFrame(Answer(request, r4, r6));
}

void SwitcherDevice::sendFrame(const TCommandFrame &frame)
{
    send(ToBytes(frame), SimUnit::Frame);
}

void SwitcherDevice::sendPacket(const QByteArray &packet)
{
    send(packet, SimUnit::Packet);
}

void SwitcherDevice::sendRecord(const QByteArray &record)
{
    send(record, SimUnit::Record);
}

void SwitcherDevice::sendRaw(const QByteArray &bytes)
{
    send(bytes, SimUnit::Raw);
}

void SwitcherDevice::send(QByteArray bytes, SimUnit unit)
{
    m_line.send(std::move(bytes), unit, m_requestBytes);
}

void SwitcherDevice::goSilent(std::chrono::milliseconds duration)
{
    m_silentUntil = QDeadlineTimer(duration);
    m_receiver.clear();
}

void SwitcherDevice::resetInput()
{
    m_receiver.clear();
    expectFrames();
    m_edid->reset();
    m_line.clear();
}

void SwitcherDevice::receiveFrom(const QObject *transport, const QByteArray &bytes)
{
    m_inputTransport = transport;
    receive(bytes);
}

void SwitcherDevice::receive(const QByteArray &bytes)
{
    if (silent())
        return;
    m_receiver.append(bytes);
    while (const auto unit = m_receiver.take()) {
        dispatch(*unit);
        if (silent()) {
            m_receiver.clear();
            return;
        }
    }
}

void SwitcherDevice::dispatch(const SimReceiver::Unit &unit)
{
    if (unit.kind == SimReceiver::Kind::BadFrame) {
        m_state.rejected.append(unit.bytes);
        return;
    }
    m_state.received.append(unit.bytes);
    m_requestBytes = unit.bytes.size();
    emit unitReceived(unit.bytes);

    switch (unit.kind) {
    case SimReceiver::Kind::Frame: {
        const TCommandFrame request = FrameOf(unit.bytes);
        // A copy: the handler may replace itself while it runs.
        const FrameHandler handler = m_handlers[request[2]];
        if (handler)
            handler(request);
        else
            reply(request, StatusRefused);
        break;
    }
    case SimReceiver::Kind::Packet: {
        const PacketHandler handler = m_packetHandler;
        if (handler)
            handler(unit.bytes);
        break;
    }
    case SimReceiver::Kind::Record: {
        const RecordHandler handler = m_recordHandler;
        if (handler)
            handler(unit.bytes);
        break;
    }
    case SimReceiver::Kind::BadFrame:
        break;
    }
}

void SwitcherDevice::handleInfo(const TCommandFrame &request)
{
    const std::uint16_t p1 = FrameParam(request, 1);
    const int port = p1;
    switch (request[3]) {
    case 0x01:
        // p1 = 0 is the alive poll after a restart.
        if (p1 == AllPorts || p1 == 0)
            return reply(request, m_state.kind);
        break;
    case 0x02:
        if (p1 == AllPorts)
            return reply(request, m_state.inputs, m_state.outputs);
        break;
    case 0x03:
        if (p1 == AllPorts)
            return reply(request, m_state.versionMajor, m_state.versionMinor);
        break;
    case 0x04:
        if (m_state.isInput(port)) {
            const auto index = std::size_t(port - 1);
            const bool on = m_state.sourceConnected[index];
            return reply(
                request, std::uint8_t(port),
                m_state.sourceAnswer[index].value_or(on ? PortConnected : PortNotConnected));
        }
        break;
    case 0x05:
        if (m_state.isOutput(port)) {
            const auto index = std::size_t(port - 1);
            const bool on = m_state.displayConnected[index];
            return reply(
                request, std::uint8_t(port),
                m_state.displayAnswer[index].value_or(on ? PortConnected : PortNotConnected));
        }
        break;
    default:
        break;
    }
    reply(request, StatusRefused);
}

void SwitcherDevice::handleRouting(const TCommandFrame &request)
{
    const int p1 = FrameParam(request, 1);
    const int p2 = FrameParam(request, 2);
    if (request[3] == 0x01 && m_state.isOutput(p1))
        return reply(request, std::uint8_t(p1), m_state.routing[std::size_t(p1 - 1)]);
    if (request[3] == 0x03 && m_state.isInput(p1) && m_state.isOutput(p2)) {
        m_state.routing[std::size_t(p2 - 1)] = std::uint8_t(p1);
        return reply(request, std::uint8_t(p1), std::uint8_t(p2));
    }
    reply(request, StatusRefused);
}

void SwitcherDevice::handleIr(const TCommandFrame &request)
{
    const std::uint16_t p1 = FrameParam(request, 1);
    if (request[3] == 0x03 && (p1 == Enable || p1 == Disable)) {
        m_state.irEnabled = p1 == Enable;
        return reply(request, StatusAccepted);
    }
    reply(request, StatusRefused);
}

void SwitcherDevice::handleRestart(const TCommandFrame &request)
{
    if (request[3] != 0x02 || FrameParam(request, 1) != Enable)
        return reply(request, StatusRefused);
    reply(request, StatusAccepted);
    ++m_state.restarts;
    m_edid->reset();
    expectFrames();
    if (m_state.restartSilenceMs > 0)
        goSilent(std::chrono::milliseconds(m_state.restartSilenceMs));
    emit restarted();
}
