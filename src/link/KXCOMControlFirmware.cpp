#include "link/ByteSpan.h"
#include "link/KXCOMControl.h"

#include "link/LinkLog.h"
#include "link/Scrambler.h"
#include "link/WaitClock.h"

// Firmware part writes, the restart wait and the image scrambling.

using namespace std::chrono_literals;

namespace {
constexpr int Attempts = 3;
constexpr int ReplyTicks = 500;
constexpr int PollAttempts = 6;
constexpr int PollDelayTicks = 10; // one restart-line refresh per 100 ms while polling
constexpr int RestartSilenceSteps = 60;
constexpr auto RestartStep = 100ms;
constexpr auto PreamblePause = 300ms;
constexpr auto PacketRetryPause = 50ms;
constexpr auto PollRetryPause = 5ms;

constexpr std::uint8_t RebootAnnounce = 0x80; // p1 of the first exchange before a main image
constexpr std::uint8_t EraseAnnounce = 0x10;  // p1 of the second one
constexpr int PacketTraceNumber = 8888;

constexpr std::array<char, 4> Spinner{'/', '-', '\\', '|'};

std::uint16_t PartIdentification(const TCommandFrame &frame)
{
    return std::uint16_t((frame[3] << 8) | (FrameParam(frame, 1) & 0xFF));
}

std::uint16_t PartVersions(const TCommandFrame &frame)
{
    return std::uint16_t(((FrameParam(frame, 3) & 0xFF) << 8) | (FrameParam(frame, 4) & 0xFF));
}

QString RestartLine(int spinner)
{
    return QStringLiteral("System rebooting, please wait ...") +
           QLatin1Char(Spinner[std::size_t(spinner) % Spinner.size()]);
}

} // namespace

bool TKXCOMControl::EncodeBuffer(std::span<std::uint8_t> bytes)
{
    Scrambler::EncodeImage(bytes);
    return true;
}

bool TKXCOMControl::DecodeBuffer(std::span<std::uint8_t> bytes)
{
    Scrambler::DecodeImage(bytes);
    return true;
}

void TKXCOMControl::WriteMainFirmware(const TCommandFrame &frame, TCommandResult &result)
{
    WriteFirmwarePart(frame, result, true);
}

void TKXCOMControl::WriteSlaveFirmware(const TCommandFrame &frame, TCommandResult &result)
{
    WriteFirmwarePart(frame, result, false);
}

bool TKXCOMControl::MainFirmwarePreamble(const TCommandFrame &frame, TCommandResult &result)
{
    // The switcher leaves its application and prepares its flash before the image comes.
    for (const std::uint8_t announce : {RebootAnnounce, EraseAnnounce}) {
        m_clock.sleep(PreamblePause);
        const TCommandFrame request = MakeFrame(frame[2], frame[3], announce);
        SendCommand(request, result);
        if (!result.Success)
            return false;
        if (result.r4() == StatusDeclined) {
            Notify(NotifyPartWriteFailed, PartIdentification(frame), PartVersions(frame));
            result.Success = 1;
            return false;
        }
        if (result.r4() != StatusAccepted) {
            Notify(NotifyDataInvalid);
            result.Success = 0;
            return false;
        }
    }
    m_clock.sleep(PreamblePause);
    return true;
}

void TKXCOMControl::WriteFirmwarePart(const TCommandFrame &frame, TCommandResult &result,
                                      bool mainPart)
{
    if (m_flags.StopRequested)
        return;
    SendCommand(frame, result);
    if (!result.Success)
        return;
    const std::uint16_t identification = PartIdentification(frame);
    const std::uint16_t versions = PartVersions(frame);
    if (result.r4() == StatusDeclined) {
        Notify(NotifyPartWriteFailed, identification, versions);
        result.Success = 1;
        return;
    }
    if (result.r4() != StatusReady) {
        Notify(NotifyDataInvalid);
        result.Success = 0;
        return;
    }
    if (mainPart && !MainFirmwarePreamble(frame, result))
        return;

    const TCommandFrame start = WireFrame(frame);
    const std::uint16_t partNumber = FrameParam(start, 1);
    const std::size_t size = std::size_t(WriteStream.size());
    const auto image = ByteSpan(WriteStream);
    std::size_t accepted = 0;
    std::uint16_t sequence = 0;
    m_firstPacket = true;
    bool done = false;
    stream().clearError();

    while (!done && !m_flags.StopRequested) {
        const std::size_t remaining = size - accepted;
        const std::size_t n = PacketLengthFor(remaining);
        const TDataPacket packet = BuildDataPacket(start, PacketStatusFor(remaining), partNumber,
                                                   sequence, image.subspan(accepted, n));
        const auto header = std::span(packet).first(FrameSize);
        // Slave controllers take only the used part of a packet; the main one takes it whole.
        const auto wire = mainPart ? std::span(packet).first(PacketSize)
                                   : std::span(packet).first(PacketHeaderSize + n);
        bool packetDone = false;
        bool declined = false;
        for (int attempt = 1; attempt <= Attempts && !packetDone; ++attempt) {
            const Attempt outcome =
                TryExchange(wire, mainPart ? ReplyKind::MainAnswer : ReplyKind::SlaveAnswer,
                            attempt == Attempts, result.Success, [&] {
                                PendingLogCaption = mainPart
                                                        ? AttemptCaption(attempt, "send data:\r\n")
                                                        : QStringLiteral("send data:\r\n");
                                LogData(packet);
                            });
            if (outcome == Attempt::Over)
                return;
            if (outcome == Attempt::Retry)
                continue;
            std::copy_n(m_answer.buffer().begin(), FrameSize, m_replyFrame.begin());
            LogFrame(QStringLiteral("rcv cmd:   "), m_replyFrame, PacketTraceNumber);
            result.Reply = m_replyFrame;
            const bool valid = IsValidPacketAnswer(m_replyFrame, header);
            if (valid && m_replyFrame[4] == StatusAccepted) {
                accepted += n;
                m_firstPacket = false;
                done = accepted >= size;
                ++sequence;
                result.Success = 1;
                const qint64 progress = size ? qint64(accepted) * 100 / qint64(size) : 100;
                Notify(NotifyProgress, identification, progress);
                packetDone = true;
            } else if (valid && m_replyFrame[4] == StatusDeclined) {
                Notify(NotifyPartWriteFailed, identification, versions);
                result.Success = 1;
                declined = true;
                m_clock.sleep(PacketRetryPause);
            } else {
                result.Success = 0;
                declined = false;
                m_clock.sleep(PacketRetryPause);
            }
        }
        // A packet accepted on the last attempt counts like any other: the transfer goes on
        // rather than ending half-written with a success result.
        if (packetDone)
            continue;
        // A switcher that keeps declining has already been reported packet by packet; the
        // part simply ends unfinished.
        if (!declined)
            Notify(NotifySendFailed);
        return;
    }
    if (!done)
        return;
    if (!mainPart) {
        Notify(NotifyTransferDone, 0, 0);
        return;
    }
    Notify(NotifyTransferDone, identification, versions);
    if (frame[2] == std::uint8_t(Command::Firmware) && frame[3] == 1)
        RebootDevice(result);
}

void TKXCOMControl::RebootDevice(TCommandResult &result)
{
    if (m_flags.StopRequested)
        return;
    result = TCommandResult{};
    int spinner = 0;
    Notify(NotifyLogLine, 0, 1, RestartLine(spinner));

    for (int step = 0; step < RestartSilenceSteps; ++step) {
        RunEventsFor(RestartStep);
        ++spinner;
        Notify(NotifyLogLine, 0, 1, RestartLine(spinner));
        if (m_flags.StopRequested) {
            result.Success = 0;
            return;
        }
    }

    const TCommandFrame poll = MakeFrame(std::uint8_t(Command::Info), std::uint8_t(InfoSub::Kind));
    stream().clearError();
    for (int attempt = 1; attempt <= PollAttempts; ++attempt) {
        ResetReceive(ReplyKind::Frame);
        if (WriteData(poll) < 0) {
            FailAccess(result);
            return;
        }
        LogFrame(AttemptCaption(attempt, " snd cmd:   "), poll, 0);
        m_tickCount = 0;
        do {
            m_clock.pumpStep(0ms);
            Delay(PollDelayTicks);
            ++spinner;
            Notify(NotifyLogLine, 0, 1, RestartLine(spinner));
            if (m_flags.StopRequested) {
                result.Success = 0;
                return;
            }
            PollTcp(false);
            if (TransportFailed()) {
                FailAccess(result);
                return;
            }
        } while (!m_answer.complete() && !TimedOut(ReplyTicks));

        if (m_answer.complete()) {
            std::copy_n(m_answer.buffer().begin(), FrameSize, m_replyFrame.begin());
            LogFrame(QStringLiteral("rcv cmd:   "), m_replyFrame, 0);
            result.Reply = m_replyFrame;
            if (IsValidAnswer(m_replyFrame, poll)) {
                Notify(NotifyLogLine, 0, 0, QStringLiteral("System reboot ok"));
                result.Success = 1;
                return;
            }
            result.Success = 0;
            m_clock.sleep(PollRetryPause);
            continue;
        }
        if (attempt == Attempts) {
            result.Success = 0;
            Notify(NotifyTimeout);
            return;
        }
    }
    Notify(NotifyLogLine, 0, 0, QStringLiteral("System reboot failed"));
}
