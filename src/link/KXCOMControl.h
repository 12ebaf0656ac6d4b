#pragma once

#include "link/AnswerAssembler.h"
#include "link/Commands.h"
#include "link/Frames.h"
#include "link/Transport.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <span>

class WaitClock;

/// How patient one command exchange is: attempts, and ticks of 10 ms per attempt.
struct ExchangeLimits
{
    int attempts = 3;
    int replyTicks = 500;
};

/// The one object through which the controller reaches the switcher: serial port or TCP
/// connection for the command frames and data packets, UDP socket for finding and configuring
/// network modules. Every operation runs on the caller's thread and waits in 10 ms steps that
/// run pending events; results come back in a TCommandResult and as notifications.
class TKXCOMControl : public QObject
{
    Q_OBJECT
public:
    TKXCOMControl(ProgramFlags &flags, TransportFactory &factory, WaitClock &clock,
                  QObject *owner = nullptr);
    ~TKXCOMControl() override;

    // Properties.
    QString ComPort() const { return m_comPort; }
    void setComPort(const QString &name) { m_comPort = name; }
    bool Connected() const;
    TControlMode ControlMode() const { return m_controlMode; }
    void setControlMode(TControlMode mode);
    QString DeviceIP() const { return m_deviceIP; }
    void setDeviceIP(const QString &ip) { m_deviceIP = ip; }
    TUDPMode UDPMode() const { return m_udpMode; }
    void setUDPMode(TUDPMode mode) { m_udpMode = mode; }

    // Busy flags read by the main window.
    bool Searching() const { return m_searching; }
    void setSearching(bool on) { m_searching = on; } // the search window clears it to cancel
    bool Opening() const { return m_opening; }
    bool Configuring() const { return m_configuring; }

    /// Why the line of the current mode last failed to open or was lost, as the system told.
    StreamEndpoint::Failure LineFailure() const;
    /// The system's words for that failure; empty when there was none.
    QString LineFailureText() const;

    // Connection and low-level operations.
    bool Open();
    bool Close();
    qint64 WriteData(std::span<const std::uint8_t> bytes);
    bool WaitReply();
    bool TimedOut(int limit) const { return m_tickCount >= limit; }
    void Delay(int ticks);
    int TickCount() const { return m_tickCount; }

    // Command frames and EDID blocks.
    void SendCommand(const TCommandFrame &frame, TCommandResult &result);
    /// The same with other limits: a background read that must not hold the line long.
    void SendCommand(const TCommandFrame &frame, TCommandResult &result, ExchangeLimits limits);
    void ReadEDID(const TCommandFrame &frame, TCommandResult &result);
    void DownloadEDID(const TCommandFrame &frame, TCommandResult &result);

    // Firmware parts and restart.
    void WriteMainFirmware(const TCommandFrame &frame, TCommandResult &result);
    void WriteSlaveFirmware(const TCommandFrame &frame, TCommandResult &result);
    void RebootDevice(TCommandResult &result);
    static bool EncodeBuffer(std::span<std::uint8_t> bytes);
    static bool DecodeBuffer(std::span<std::uint8_t> bytes);

    // Network modules.
    bool SearchDevices();
    int DeviceCount() const { return int(DeviceList.size() / 8); }
    QString GetDeviceItem(int device, int item) const;
    int ConfigureDevice(const TLANConfigRecord &record);
    static std::uint8_t RecordChecksum(std::span<const std::uint8_t> record);
    QString GetLocalIP() const;
    void SendLDCD(const TLDCDRecord &request, TLDCDResult &result);
    static std::uint8_t LDCDChecksum(std::span<const std::uint8_t> record);
    bool WaitLANReply(int ticks);
    void UDPDataReceived(const QByteArray &bytes, const QString &sender, quint16 senderPort);

    // Trace texts.
    void LogFrame(const QString &caption, std::span<const std::uint8_t> frame, int number);
    void LogData(std::span<const std::uint8_t> bytes);
    void LogLDCD(const QString &caption, std::span<const std::uint8_t> record);

    /// Filled by ReadEDID.
    QByteArray ReadStream;
    /// Loaded by the caller before DownloadEDID and the firmware writes; read from its start.
    QByteArray WriteStream;
    /// 8 items per discovered network module, in order of arrival.
    QStringList DeviceList;
    /// Put in front of the LogData dump.
    QString PendingLogCaption;
    /// The last configuration record sent or answered.
    TLANConfigRecord ConfigReply{};

    // Receive state, visible to tests and the fuzz harness.
    ::ReplyKind ReplyKind() const { return m_replyKind; }
    bool ReplyComplete() const { return m_answer.complete(); }
    int RxPos() const { return int(m_answer.position()); }

signals:
    /// A numbered notification; `text` carries the payload of the text notifications.
    void notify(int code, qint64 wParam, qint64 lParam, const QString &text);
    /// The line of the current mode opened or closed, also by itself (a peer that went away,
    /// a pulled adapter): Connected() tells which.
    void lineChanged();

private:
    void Notify(int code, qint64 wParam = 0, qint64 lParam = 0, const QString &text = {});
    StreamEndpoint &stream() const;
    /// The line of the current mode, for traces: "COM" or "TCP".
    const char *LineName() const;
    /// Clears the receive state and expects the answer of `replyKind`.
    void ResetReceive(::ReplyKind replyKind);
    /// Answer assembly for one arrival (both modes); sends NotifyBytesReceived.
    void AssembleAnswer(std::span<const std::uint8_t> bytes, bool dump);
    void ComPortRxChar();
    /// Takes what the TCP client has received (LAN mode) and assembles it.
    void PollTcp(bool dump);
    /// True when the transport reported an error; the caller then fails the exchange.
    bool TransportFailed() const;
    void FailAccess(TCommandResult &result);

    /// How one attempt of an exchange ended.
    enum class Attempt {
        Answered, ///< the expected answer is complete in the receive area
        Retry,    ///< no complete answer on an attempt that is not the last: try again
        Over,     ///< the exchange has ended: stopped, transport failure or last time-out
    };
    /// One attempt: clears the receive state, writes `bytes`, runs `logSent`, and waits for
    /// the answer of `replyKind`. Transport failures and a time-out of the last attempt are
    /// reported here; on Over `success` is 0.
    Attempt TryExchange(std::span<const std::uint8_t> bytes, ::ReplyKind replyKind,
                        bool lastAttempt, std::uint8_t &success,
                        const std::function<void()> &logSent);

    /// The waiting step: a tick is this much of the clock, however often bytes end a step early.
    static constexpr std::chrono::milliseconds WaitTick{10};
    static constexpr std::int64_t WaitTickMs = WaitTick.count();

    /// Time left until `deadline` on the clock, never negative.
    std::chrono::milliseconds TimeUntil(std::int64_t deadline) const;
    /// Runs events until the clock reaches `deadline` (at least one step), unless a stop is
    /// requested.
    void RunEventsUntil(std::int64_t deadline);
    /// The same for `duration` from now.
    void RunEventsFor(std::chrono::milliseconds duration);

    // Network module helpers.
    /// One progress step of a search or configuration: the spinner text, then 100 ms.
    void ProgressStep(const QString &text, int &counter, int lParam);

    // Firmware helpers.
    void WriteFirmwarePart(const TCommandFrame &frame, TCommandResult &result, bool mainPart);
    bool MainFirmwarePreamble(const TCommandFrame &frame, TCommandResult &result);

    ProgramFlags &m_flags;
    TransportFactory &m_factory;
    WaitClock &m_clock;
    std::unique_ptr<StreamEndpoint> m_serial;
    std::unique_ptr<StreamEndpoint> m_tcp;
    std::unique_ptr<DatagramEndpoint> m_udp;

    QString m_comPort = QStringLiteral("COM1");
    TControlMode m_controlMode = cmLAN;
    QString m_deviceIP = QStringLiteral("0.0.0.0");
    TUDPMode m_udpMode = umBROADCAST;
    QString m_udpRemoteHost = QStringLiteral("255.255.255.255");

    TCommandFrame m_replyFrame{};
    AnswerAssembler m_answer;
    ::ReplyKind m_replyKind = ::ReplyKind::Frame;
    int m_tickCount = 0;
    int m_replyTicks = ExchangeLimits{}.replyTicks;
    bool m_firstPacket = false;

    bool m_searching = false;
    bool m_opening = false;
    bool m_configuring = false;
    bool m_replied = false;
    bool m_listening = false;
};
