#pragma once

#include <QByteArray>
#include <QList>

#include <array>
#include <chrono>

/// Faults the simulated switcher can put on its answers.
enum class SimFault {
    Silence,     ///< the answer is not sent at all
    BadChecksum, ///< the answer's checksum byte is wrong
    Refuse,      ///< the answer carries r4 = 0xFF (frames and packets; records: byte 30)
    Split,       ///< the answer goes out in pieces, each a separate write, with a gap
    ExtraBytes,  ///< bytes follow the answer in the same write
    Delay,       ///< the answer waits before it goes out
};

/// The fault plan of the simulator, changeable at any time. Each fault is armed for a number
/// of answers (or for all answers until disarmed); every answer the switcher produces uses up
/// one count of each armed fault. The paced line is a separate, lasting setting.
class SimFaults
{
public:
    static constexpr int Always = -1;

    /// Arms `fault` for the next `answers` answers (Always: until disarmed).
    void arm(SimFault fault, int answers = 1);
    void disarm(SimFault fault) { arm(fault, 0); }
    /// Answers the fault still applies to; Always when armed without limit.
    int remaining(SimFault fault) const;
    /// Disarms every fault and ends pacing and flooding. Parameters keep their values.
    void clear();

    /// Piece sizes of a split answer; the last piece takes whatever remains.
    void setSplitPieces(QList<int> pieces) { m_splitPieces = std::move(pieces); }
    QList<int> splitPieces() const { return m_splitPieces; }
    void setSplitGap(std::chrono::milliseconds gap) { m_splitGap = gap; }
    std::chrono::milliseconds splitGap() const { return m_splitGap; }
    void setExtraBytes(QByteArray bytes) { m_extraBytes = std::move(bytes); }
    QByteArray extraBytes() const { return m_extraBytes; }
    void setDelay(std::chrono::milliseconds delay) { m_delay = delay; }
    std::chrono::milliseconds delay() const { return m_delay; }

    /// A line of 19200 baud 8N1: at most 1920 bytes per second out, and every answer waits
    /// for the wire time of the request it answers.
    void setPaced(bool paced) { m_paced = paced; }
    bool paced() const { return m_paced; }

    /// A module that floods the line: garbage goes to a TCP client as fast as it takes it,
    /// instead of the answers, for `bytes` bytes or without end (Always); 0 ends it.
    void setFlood(qint64 bytes) { m_flood = bytes < 0 ? Always : bytes; }
    /// Garbage bytes still to send; Always when without end.
    qint64 flood() const { return m_flood; }
    /// Uses up to `wanted` bytes of the flood; returns how many to send now.
    qint64 takeFlood(qint64 wanted);

    /// What applies to the next answer; uses up one count of every armed fault.
    struct Plan
    {
        bool silent = false;
        bool badChecksum = false;
        bool refuse = false;
        bool split = false;
        bool extraBytes = false;
        bool delay = false;
    };
    Plan takeNext();

private:
    bool consume(SimFault fault);

    std::array<int, 6> m_counts{};
    QList<int> m_splitPieces{5, 5, 3};
    std::chrono::milliseconds m_splitGap{5};
    QByteArray m_extraBytes = QByteArray::fromHex("A55B00");
    std::chrono::milliseconds m_delay{100};
    bool m_paced = false;
    qint64 m_flood = 0;
};
