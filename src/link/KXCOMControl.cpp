#include "link/KXCOMControl.h"
#include "link/ByteSpan.h"

#include "link/LinkLog.h"
#include "link/LinkLogging.h"
#include "link/WaitClock.h"

#include <QScopeGuard>

#include <algorithm>

using namespace std::chrono_literals;

namespace {
constexpr int Attempts = ExchangeLimits{}.attempts;
constexpr auto RetryPause = 5ms;
constexpr auto ConnectLimit = 3000ms;
// An EDID block is 256 bytes; a device that keeps announcing "more" must not make the read
// run forever or grow without bound.
constexpr qsizetype ReadStreamLimit = 64 * 1024;

} // namespace

TKXCOMControl::TKXCOMControl(ProgramFlags &flags, TransportFactory &factory, WaitClock &clock,
                             QObject *owner)
    : QObject(owner), m_flags(flags), m_factory(factory), m_clock(clock),
      m_serial(factory.createSerial()), m_tcp(factory.createTcp()), m_udp(factory.createUdp())
{
    connect(m_serial.get(), &StreamEndpoint::bytesArrived, this, &TKXCOMControl::ComPortRxChar);
    // TCP bytes are taken by the waiting loop; their arrival only ends the current step.
    connect(m_tcp.get(), &StreamEndpoint::bytesArrived, this, [this] { m_clock.wake(); });
    connect(m_tcp.get(), &StreamEndpoint::stateChanged, this, [this] { m_clock.wake(); });
    for (StreamEndpoint *endpoint : {m_serial.get(), m_tcp.get()}) {
        connect(endpoint, &StreamEndpoint::errorOccurred, this, [this] { m_clock.wake(); });
        connect(endpoint, &StreamEndpoint::stateChanged, this, [this, endpoint] {
            if (endpoint == &stream())
                emit lineChanged();
        });
    }
    connect(m_udp.get(), &DatagramEndpoint::datagramArrived, this, &TKXCOMControl::UDPDataReceived);
}

TKXCOMControl::~TKXCOMControl()
{
    // The window that listens is going away too: nothing is reported from here on.
    blockSignals(true);
    m_udp->close();
    m_tcp->abort();
    m_serial->close();
}

void TKXCOMControl::Notify(int code, qint64 wParam, qint64 lParam, const QString &text)
{
    emit notify(code, wParam, lParam, text);
}

const char *TKXCOMControl::LineName() const
{
    return m_controlMode == cmCOM ? "COM" : "TCP";
}

StreamEndpoint &TKXCOMControl::stream() const
{
    return m_controlMode == cmCOM ? *m_serial : *m_tcp;
}

bool TKXCOMControl::Connected() const
{
    return stream().state() == StreamEndpoint::State::Open;
}

void TKXCOMControl::setControlMode(TControlMode mode)
{
    m_controlMode = mode;
    m_searching = false;
    m_configuring = false;
}

bool TKXCOMControl::Open()
{
    if (Connected())
        return true;
    StreamEndpoint &endpoint = stream();
    endpoint.clearError();
    if (m_controlMode == cmCOM) {
        endpoint.setTarget(m_comPort);
        m_opening = true;
        endpoint.startOpen();
        m_opening = false;
        if (endpoint.state() == StreamEndpoint::State::Open) {
            endpoint.clearInput();
            return true;
        }
    } else {
        endpoint.setTarget(m_deviceIP);
        m_opening = true;
        endpoint.startOpen();
        const auto started = m_clock.elapsedMs();
        while (endpoint.state() == StreamEndpoint::State::Opening &&
               m_clock.elapsedMs() - started < ConnectLimit.count() && !m_flags.StopRequested)
            m_clock.pumpStep(WaitTick);
        m_opening = false;
        if (endpoint.state() == StreamEndpoint::State::Open && !endpoint.hasError())
            return true;
        endpoint.abort();
    }
    Notify(NotifyOpenCloseFailed, Connected() ? 1 : 0);
    return false;
}

StreamEndpoint::Failure TKXCOMControl::LineFailure() const
{
    return stream().failure();
}

QString TKXCOMControl::LineFailureText() const
{
    return stream().errorString();
}

bool TKXCOMControl::Close()
{
    if (!Connected())
        return true;
    stream().close();
    if (Connected()) {
        Notify(NotifyOpenCloseFailed, 1);
        return false;
    }
    return true;
}

qint64 TKXCOMControl::WriteData(std::span<const std::uint8_t> bytes)
{
    StreamEndpoint &endpoint = stream();
    endpoint.clearInput();
    const qint64 written = endpoint.write(bytes);
    TraceWire(LineName(), written < 0 ? "not sent" : "sent", bytes);
    if (written < 0)
        return -1;
    return m_controlMode == cmCOM ? written : qint64(bytes.size());
}

void TKXCOMControl::ResetReceive(::ReplyKind replyKind)
{
    m_replyKind = replyKind;
    m_replyFrame.fill(0);
    m_answer.reset(AnswerAssembler::ExpectedLength(replyKind));
}

void TKXCOMControl::AssembleAnswer(std::span<const std::uint8_t> bytes, bool dump)
{
    const std::size_t start = m_answer.complete() ? 0 : m_answer.position();
    const std::size_t taken = m_answer.feed(bytes);
    if (dump && taken > 0) {
        const auto copied = m_answer.buffer().subspan(start, taken);
        Notify(NotifyDataDump, 0, 0, TcpDumpText(copied));
    }
    Notify(NotifyBytesReceived, qint64(bytes.size()));
    if (m_answer.complete())
        m_clock.wake();
}

void TKXCOMControl::ComPortRxChar()
{
    const QByteArray bytes = m_serial->takeAvailable();
    TraceWire("COM", "received", ByteSpan(bytes));
    if (m_flags.StopRequested || bytes.isEmpty() || m_controlMode != cmCOM)
        return;
    AssembleAnswer(ByteSpan(bytes), false);
}

void TKXCOMControl::PollTcp(bool dump)
{
    if (m_controlMode != cmLAN || m_flags.StopRequested)
        return;
    const QByteArray bytes = m_tcp->takeAvailable();
    if (bytes.isEmpty())
        return;
    TraceWire("TCP", "received", ByteSpan(bytes));
    AssembleAnswer(ByteSpan(bytes), dump);
}

bool TKXCOMControl::TransportFailed() const
{
    return stream().hasError() || !Connected();
}

void TKXCOMControl::FailAccess(TCommandResult &result)
{
    result.Success = 0;
    Notify(NotifyAccessFailed);
}

TKXCOMControl::Attempt TKXCOMControl::TryExchange(std::span<const std::uint8_t> bytes,
                                                  ::ReplyKind replyKind, bool lastAttempt,
                                                  std::uint8_t &success,
                                                  const std::function<void()> &logSent)
{
    auto failAccess = [this, &success] {
        success = 0;
        Notify(NotifyAccessFailed);
        return Attempt::Over;
    };
    ResetReceive(replyKind);
    if (WriteData(bytes) < 0)
        return failAccess();
    if (logSent)
        logSent();
    if (!WaitReply()) {
        success = 0;
        return Attempt::Over;
    }
    if (TransportFailed())
        return failAccess();
    if (m_answer.complete())
        return Attempt::Answered;
    if (!lastAttempt)
        return Attempt::Retry;
    success = 0;
    Notify(NotifyTimeout);
    return Attempt::Over;
}

std::chrono::milliseconds TKXCOMControl::TimeUntil(std::int64_t deadline) const
{
    return std::chrono::milliseconds(std::max<std::int64_t>(deadline - m_clock.elapsedMs(), 0));
}

bool TKXCOMControl::WaitReply()
{
    // Ticks are 10 ms of the clock counted from the start of the wait. Arriving bytes end a
    // step early so that an answer is handled at once; a step that ends before its tick is
    // over is followed by one for the rest of the tick, so however often bytes arrive the
    // 500-tick limit is neither reached early nor stretched.
    m_tickCount = 0;
    const std::int64_t start = m_clock.elapsedMs();
    for (;;) {
        m_clock.pumpStep(TimeUntil(start + (m_tickCount + 1) * WaitTickMs));
        PollTcp(true);
        if (m_flags.StopRequested)
            return false;
        const std::int64_t elapsed = m_clock.elapsedMs() - start;
        // A lost device or peer ends the wait at once; the caller reports it.
        if (m_answer.complete() || TransportFailed()) {
            m_tickCount = int(std::max<std::int64_t>(1, (elapsed + WaitTickMs - 1) / WaitTickMs));
            return true;
        }
        m_tickCount = int(elapsed / WaitTickMs);
        if (TimedOut(m_replyTicks))
            return true;
    }
}

void TKXCOMControl::Delay(int ticks)
{
    const std::int64_t start = m_clock.elapsedMs();
    int steps = 0;
    do {
        ++steps;
        RunEventsUntil(start + steps * WaitTickMs);
        ++m_tickCount;
    } while (steps < ticks && !m_flags.StopRequested);
}

void TKXCOMControl::RunEventsUntil(std::int64_t deadline)
{
    // Steps that end early because bytes arrived do not shorten the wait.
    do {
        m_clock.pumpStep(TimeUntil(deadline));
    } while (m_clock.elapsedMs() < deadline && !m_flags.StopRequested);
}

void TKXCOMControl::RunEventsFor(std::chrono::milliseconds duration)
{
    RunEventsUntil(m_clock.elapsedMs() + duration.count());
}

void TKXCOMControl::SendCommand(const TCommandFrame &frame, TCommandResult &result)
{
    SendCommand(frame, result, ExchangeLimits{});
}

void TKXCOMControl::SendCommand(const TCommandFrame &frame, TCommandResult &result,
                                ExchangeLimits limits)
{
    if (m_flags.StopRequested)
        return;
    // Every other wait keeps the standard patience.
    const auto standardPatience =
        qScopeGuard([this] { m_replyTicks = ExchangeLimits{}.replyTicks; });
    m_replyTicks = limits.replyTicks;
    const TCommandFrame wire = WireFrame(frame);
    stream().clearError();
    for (int attempt = 1; attempt <= limits.attempts; ++attempt) {
        const bool last = attempt == limits.attempts;
        const Attempt outcome = TryExchange(wire, ::ReplyKind::Frame, last, result.Success, [&] {
            LogFrame(AttemptCaption(attempt, " snd cmd PPP:   "), frame, 0);
        });
        if (outcome == Attempt::Over)
            return;
        if (outcome == Attempt::Retry)
            continue;
        std::copy_n(m_answer.buffer().begin(), FrameSize, m_replyFrame.begin());
        LogFrame(QStringLiteral("rcv cmd PPP:   "), m_replyFrame, 0);
        const bool valid = IsValidAnswer(m_replyFrame, wire);
        result.Reply = m_replyFrame;
        result.Success = valid ? 1 : 0;
        if (valid)
            return;
        m_clock.sleep(RetryPause);
    }
    Notify(NotifySendFailed);
}

void TKXCOMControl::ReadEDID(const TCommandFrame &frame, TCommandResult &result)
{
    if (m_flags.StopRequested)
        return;
    SendCommand(frame, result);
    if (!result.Success)
        return;

    TCommandFrame request = WireFrame(frame);
    SetFrameParam(request, 1, PacketMore);
    SetFrameParam(request, 2, 0);
    RefreshChecksum(request);
    m_firstPacket = true;
    ReadStream.clear();
    bool done = false;
    stream().clearError();

    while (!done && !m_flags.StopRequested) {
        bool accepted = false;
        for (int attempt = 1; attempt <= Attempts && !accepted; ++attempt) {
            const Attempt outcome =
                TryExchange(request, ::ReplyKind::Packet, attempt == Attempts, result.Success, {});
            if (outcome == Attempt::Over)
                return;
            if (outcome == Attempt::Retry)
                continue;
            const auto packet = m_answer.buffer();
            const PacketCheck check = CheckDataPacket(packet, request);
            std::copy_n(packet.begin(), FrameSize, result.Reply.begin());
            accepted = check.valid && (check.status == PacketMore || check.status == PacketLast);
            result.Success = accepted ? 1 : 0;
            if (accepted) {
                ReadStream.append(reinterpret_cast<const char *>(packet.data()) + PacketHeaderSize,
                                  qsizetype(check.length));
                m_firstPacket = false;
                done = check.status == PacketLast;
            }
            // The pause gives the switcher time before the next request; after the last
            // packet no request follows.
            if (!done)
                m_clock.sleep(RetryPause);
            SetFrameParam(request, 1,
                          accepted ? PacketNext : (m_firstPacket ? PacketMore : PacketRepeat));
            SetFrameParam(request, 2, 0);
            RefreshChecksum(request);
            if (!accepted && attempt == Attempts) {
                Notify(NotifySendFailed);
                return;
            }
        }
        if (!done && ReadStream.size() > ReadStreamLimit) {
            result.Success = 0;
            Notify(NotifyDataInvalid);
            return;
        }
    }
    if (done)
        Notify(NotifyTransferDone, 0, 0);
}

void TKXCOMControl::DownloadEDID(const TCommandFrame &frame, TCommandResult &result)
{
    if (m_flags.StopRequested)
        return;
    SendCommand(frame, result);
    if (!result.Success)
        return;
    if (result.r4() != StatusReady) {
        Notify(NotifyDataInvalid);
        result.Success = 0;
        return;
    }

    const TCommandFrame start = WireFrame(frame);
    const std::size_t size = std::size_t(WriteStream.size());
    const auto block = ByteSpan(WriteStream);
    std::size_t sent = 0;
    m_firstPacket = true;
    bool done = false;
    stream().clearError();

    while (!done && !m_flags.StopRequested) {
        const std::size_t remaining = size - sent;
        const std::size_t n = PacketLengthFor(remaining);
        const TDataPacket packet =
            BuildDataPacket(start, PacketStatusFor(remaining), FrameParam(start, 3),
                            FrameParam(start, 4), block.subspan(sent, n));
        const auto header = std::span(packet).first(FrameSize);
        bool accepted = false;
        for (int attempt = 1; attempt <= Attempts && !accepted; ++attempt) {
            const Attempt outcome =
                TryExchange(packet, ::ReplyKind::Frame, attempt == Attempts, result.Success,
                            [&] { LogData(std::span(packet).first(n + PacketHeaderSize)); });
            if (outcome == Attempt::Over)
                return;
            if (outcome == Attempt::Retry)
                continue;
            const auto answer = m_answer.buffer().first(FrameSize);
            std::copy_n(answer.begin(), FrameSize, result.Reply.begin());
            accepted = IsValidPacketAnswer(answer, header) && answer[4] == StatusAccepted;
            result.Success = accepted ? 1 : 0;
            if (accepted) {
                sent += n;
                m_firstPacket = false;
                done = sent >= size;
            } else {
                m_clock.sleep(RetryPause);
            }
        }
        if (!accepted) {
            Notify(NotifySendFailed);
            return;
        }
    }
    if (done)
        Notify(NotifyTransferDone, 0, 0);
}

void TKXCOMControl::LogFrame(const QString &caption, std::span<const std::uint8_t> frame,
                             int number)
{
    Notify(NotifyTrace, 0, 0, FrameTraceText(caption, frame, number));
}

void TKXCOMControl::LogData(std::span<const std::uint8_t> bytes)
{
    Notify(NotifyDataDump, 0, 0, DataDumpText(PendingLogCaption, bytes));
}
