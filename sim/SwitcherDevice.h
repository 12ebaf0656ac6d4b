#pragma once

#include "link/Frames.h"
#include "SimFaults.h"
#include "SimLine.h"
#include "SimReceiver.h"
#include "SwitcherState.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class SimEdidCommands;

/// The simulated switcher's protocol engine. Bytes from the controller go in through
/// receive(), in pieces of any size; answers come out through transmit(). Frames with a wrong
/// checksum get no answer (the controller times out and retries, as with a real line fault).
///
/// Command handlers are kept in a table by command byte, so further protocols (firmware parts,
/// records) can be added from other files: a handler answers with reply()/sendFrame(), may
/// switch the receiver to data packets with expectPackets() and back with expectFrames().
class SwitcherDevice : public QObject
{
    Q_OBJECT
public:
    explicit SwitcherDevice(QObject *parent = nullptr);
    ~SwitcherDevice() override;

    SwitcherState &state() { return m_state; }
    const SwitcherState &state() const { return m_state; }
    /// The fault plan; change it at any time, it applies to the next answers.
    SimFaults &faults() { return m_faults; }

    using FrameHandler = std::function<void(const TCommandFrame &request)>;
    /// Handles every valid frame with this command byte (replaces the previous handler).
    void setCommandHandler(std::uint8_t command, FrameHandler handler);

    using PacketHandler = std::function<void(const QByteArray &packet)>;
    /// From now on headers with this command and subcommand and a packet status in p1 start
    /// a data packet of `length` bytes, given to `handler` whole.
    void expectPackets(std::uint8_t command, std::uint8_t subcommand,
                       SimReceiver::PacketLength length, PacketHandler handler);
    void expectFrames();

    using RecordHandler = std::function<void(const QByteArray &record)>;
    /// Enables the 32-byte records that start with the record header; nullptr disables them.
    void setRecordHandler(RecordHandler handler);

    /// Answer frames: the request with p1 := r4 (and p2 := r6), fresh checksum.
    static TCommandFrame Answer(const TCommandFrame &request, std::uint8_t r4);
    static TCommandFrame Answer(const TCommandFrame &request, std::uint8_t r4, std::uint8_t r6);
    void reply(const TCommandFrame &request, std::uint8_t r4);
    void reply(const TCommandFrame &request, std::uint8_t r4, std::uint8_t r6);
    void sendFrame(const TCommandFrame &frame);
    void sendPacket(const QByteArray &packet);
    void sendRecord(const QByteArray &record);
    /// Bytes as they are, still subject to the faults that do not look inside.
    void sendRaw(const QByteArray &bytes);

    /// Ignores everything received for `duration` (a restart in progress).
    void goSilent(std::chrono::milliseconds duration);
    bool silent() const { return !m_silentUntil.hasExpired(); }

    /// Forgets partial input, any running transfer and answers not yet sent (a new
    /// connection or a pulled cable).
    void resetInput();

    /// Input from one of the transports that serve the device; the answers go back on that
    /// transport only, as a switcher answers on the port a request came in on.
    void receiveFrom(const QObject *transport, const QByteArray &bytes);
    /// The transport of the last input, or nullptr when it came through receive().
    const QObject *inputTransport() const { return m_inputTransport; }
    /// Whether output should go out on `transport`.
    bool answersTo(const QObject *transport) const
    {
        return !m_inputTransport || m_inputTransport == transport;
    }

public slots:
    void receive(const QByteArray &bytes);

signals:
    void transmit(const QByteArray &bytes);
    /// Each complete frame, packet or record, after it has been logged and before it is
    /// answered.
    void unitReceived(const QByteArray &unit);
    void restarted();

private:
    void dispatch(const SimReceiver::Unit &unit);
    void send(QByteArray bytes, SimUnit unit);
    void handleInfo(const TCommandFrame &request);
    void handleRouting(const TCommandFrame &request);
    void handleIr(const TCommandFrame &request);
    void handleRestart(const TCommandFrame &request);

    SwitcherState m_state;
    SimFaults m_faults;
    SimLine m_line{m_faults};
    SimReceiver m_receiver;
    std::array<FrameHandler, 256> m_handlers{};
    PacketHandler m_packetHandler;
    RecordHandler m_recordHandler;
    std::unique_ptr<SimEdidCommands> m_edid;
    QDeadlineTimer m_silentUntil;
    const QObject *m_inputTransport = nullptr;
    qsizetype m_requestBytes = FrameSize;
};
