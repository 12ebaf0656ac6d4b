// Plays the switcher's side of a firmware part write and the restart wait with arbitrary
// answers. In the first mode every write is answered by a well-formed frame whose status byte
// (and, now and then, a broken checksum or command) comes from the input, which walks the
// decline, refusal, retry and time-out paths; in the second the input is the raw byte stream
// the link receives, in pieces.
#include "link/Commands.h"
#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "link/WaitClock.h"

#include <QByteArray>
#include <QCoreApplication>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace {

struct Input
{
    const std::uint8_t *data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;

    bool empty() const { return at >= size; }
    std::uint8_t next() { return empty() ? 0 : data[at++]; }
};

class ScriptedLine final : public StreamEndpoint
{
public:
    ScriptedLine(Input &input, ProgramFlags &flags, bool raw)
        : m_input(input), m_flags(flags), m_raw(raw)
    {
    }

    void setTarget(const QString &target) override { m_target = target; }
    QString target() const override { return m_target; }
    void startOpen() override { m_open = true; }
    State state() const override { return m_open ? State::Open : State::Closed; }
    void close() override { m_open = false; }
    void abort() override { m_open = false; }
    void clearInput() override { m_pending.clear(); }
    bool hasError() const override { return false; }
    QString errorString() const override { return {}; }
    void clearError() override {}

    qint64 write(std::span<const std::uint8_t> bytes) override
    {
        if (m_raw || bytes.size() < FrameSize)
            return qint64(bytes.size());
        const std::uint8_t choice = m_input.next();
        if (choice < 0x10)
            return qint64(bytes.size()); // silence
        TCommandFrame answer = MakeFrame(bytes[2], bytes[3], m_input.next());
        if (choice >= 0xF0)
            answer[12] ^= 0x01;
        else if (choice >= 0xE0)
            answer[2] ^= 0x01;
        m_pending.append(reinterpret_cast<const char *>(answer.data()), 13);
        return qint64(bytes.size());
    }

    QByteArray takeAvailable() override { return std::exchange(m_pending, {}); }

    /// One waiting step: in raw mode the next piece of the input arrives.
    void step()
    {
        if (m_raw && !m_input.empty()) {
            const std::size_t wanted = 1 + (m_input.next() & 0x1F);
            const std::size_t piece = std::min(m_input.size - m_input.at, wanted);
            m_pending.append(reinterpret_cast<const char *>(m_input.data + m_input.at),
                             qsizetype(piece));
            m_input.at += piece;
        }
        if (m_input.empty())
            ++m_idleSteps;
        // Once the input is used up the rest would only be time-outs: end the operation.
        if (m_idleSteps > 2000)
            m_flags.StopRequested = true;
        if (!m_pending.isEmpty())
            emit bytesArrived();
    }

private:
    Input &m_input;
    ProgramFlags &m_flags;
    bool m_raw;
    bool m_open = false;
    QString m_target;
    QByteArray m_pending;
    int m_idleSteps = 0;
};

class QuietSocket final : public DatagramEndpoint
{
public:
    bool bind(std::uint16_t) override { return true; }
    void setBroadcastAllowed(bool) override {}
    bool send(const QString &, std::uint16_t, std::span<const std::uint8_t>) override
    {
        return true;
    }
    void close() override {}
};

class ScriptedFactory final : public TransportFactory
{
public:
    ScriptedFactory(Input &input, ProgramFlags &flags, bool raw)
        : m_input(input), m_flags(flags), m_raw(raw)
    {
    }
    std::unique_ptr<StreamEndpoint> createSerial() override
    {
        auto line = std::make_unique<ScriptedLine>(m_input, m_flags, m_raw);
        serial = line.get();
        return line;
    }
    std::unique_ptr<StreamEndpoint> createTcp() override
    {
        return std::make_unique<ScriptedLine>(m_input, m_flags, true);
    }
    std::unique_ptr<DatagramEndpoint> createUdp() override
    {
        return std::make_unique<QuietSocket>();
    }
    QString localIPv4() const override { return QStringLiteral("127.0.0.1"); }

    ScriptedLine *serial = nullptr;

private:
    Input &m_input;
    ProgramFlags &m_flags;
    bool m_raw;
};

class StepClock final : public WaitClock
{
public:
    void pumpStep(std::chrono::milliseconds step) override
    {
        m_now += std::max<std::int64_t>(step.count(), 1);
        if (line)
            line->step();
    }
    void sleep(std::chrono::milliseconds duration) override { m_now += duration.count(); }
    void wake() override {}
    std::int64_t elapsedMs() const override { return m_now; }

    ScriptedLine *line = nullptr;

private:
    std::int64_t m_now = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    static int argc = 1;
    static char name[] = "fuzz_firmware_transfer";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    Input input{data, size, 2};
    const std::uint8_t setup = data[0];
    const bool raw = setup & 0x80;
    ProgramFlags flags;
    ScriptedFactory factory(input, flags, raw);
    StepClock clock;
    TKXCOMControl link(flags, factory, clock);
    clock.line = factory.serial;
    link.setControlMode(cmCOM);
    link.Open();
    link.WriteStream = QByteArray(1 + data[1] * 4, '\x5A');
    TCommandResult result;
    if (setup & 0x01)
        link.WriteMainFirmware(MakeFrame(0x20, 1, 1, 0, 1, 2), result);
    else
        link.WriteSlaveFirmware(MakeFrame(0x20, 2, std::uint16_t(1 + (setup >> 1) % 3)), result);
    if (!flags.StopRequested && (setup & 0x40))
        link.RebootDevice(result);
    return 0;
}
