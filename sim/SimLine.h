#pragma once

#include "SimDeadline.h"
#include "SimFaults.h"

#include <QByteArray>
#include <QObject>

#include <deque>

/// What an answer is, so that faults change the right bytes.
enum class SimUnit { Frame, Packet, Record, Raw };

/// The simulator's outgoing line: applies the fault plan to each answer and hands the bytes
/// out in order, at once when nothing delays them, otherwise from a timer on the event loop.
/// A paced line hands out each slice at the end of its wire time.
class SimLine : public QObject
{
    Q_OBJECT
public:
    explicit SimLine(SimFaults &faults, QObject *parent = nullptr);

    /// Sends one answer. `requestBytes` is the size of the request it answers; on a paced line
    /// the answer waits for that request's wire time.
    void send(QByteArray answer, SimUnit unit, qsizetype requestBytes);
    /// Drops everything not yet handed out.
    void clear();
    bool busy() const { return !m_queue.empty(); }

    /// Microseconds a paced line needs for `bytes` bytes (10 bits each at 19200 baud), rounded
    /// up so that a sum of slices never comes out shorter than the whole.
    static qint64 WireTimeUs(qsizetype bytes) { return (qint64(bytes) * 1'000'000 + 1919) / 1920; }

signals:
    void chunk(const QByteArray &bytes);

private:
    static void applyFaults(QByteArray &answer, SimUnit unit, const SimFaults::Plan &plan);
    QList<QByteArray> cut(const QByteArray &answer, bool split) const;
    void schedule(QByteArray bytes, qint64 dueUs);
    void flush();
    static qint64 nowUs() { return SimDeadline::NowUs(); }

    struct Pending
    {
        QByteArray bytes;
        qint64 dueUs = 0;
    };

    SimFaults &m_faults;
    std::deque<Pending> m_queue;
    SimDeadline m_deadline;
    qint64 m_lineFreeUs = 0;
};
