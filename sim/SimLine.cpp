#include "SimLine.h"
#include "link/ByteSpan.h"

#include "link/Commands.h"
#include "link/Frames.h"

#include <algorithm>
#include <numeric>
#include <span>

namespace {

// A paced line hands out at most this many bytes at once, like a UART driver's batches.
constexpr qsizetype PacedSlice = 32;

void SealHeader(QByteArray &answer)
{
    answer[12] = char(FrameChecksum(ByteSpan(answer).first(FrameSize)));
}

void SealRecord(QByteArray &record)
{
    const auto body = ByteSpan(record).first(LdcdRecordSize - 1);
    record[LdcdRecordSize - 1] = char(std::accumulate(body.begin(), body.end(), 0u) % 256);
}

} // namespace

SimLine::SimLine(SimFaults &faults, QObject *parent) : QObject(parent), m_faults(faults)
{
    connect(&m_deadline, &SimDeadline::expired, this, &SimLine::flush);
}

void SimLine::applyFaults(QByteArray &answer, SimUnit unit, const SimFaults::Plan &plan)
{
    const bool framed = (unit == SimUnit::Frame || unit == SimUnit::Packet) &&
                        answer.size() >= qsizetype(FrameSize);
    const bool record = unit == SimUnit::Record && answer.size() >= qsizetype(LdcdRecordSize);
    if (plan.refuse && framed) {
        answer[4] = char(StatusRefused);
        answer[5] = 0;
        SealHeader(answer);
    } else if (plan.refuse && record) {
        answer[30] = char(0xFF);
        SealRecord(answer);
    }
    if (plan.badChecksum && framed)
        answer[12] = char(answer[12] + 1);
    else if (plan.badChecksum && record)
        answer[LdcdRecordSize - 1] = char(answer[LdcdRecordSize - 1] + 1);
}

QList<QByteArray> SimLine::cut(const QByteArray &answer, bool split) const
{
    if (!split)
        return {answer};
    QList<QByteArray> pieces;
    const QList<int> sizes = m_faults.splitPieces();
    qsizetype at = 0;
    for (qsizetype i = 0; i + 1 < sizes.size() && at < answer.size(); ++i) {
        const qsizetype n = std::max(1, sizes[i]);
        pieces.append(answer.mid(at, n));
        at += n;
    }
    if (at < answer.size())
        pieces.append(answer.mid(at));
    return pieces;
}

void SimLine::send(QByteArray answer, SimUnit unit, qsizetype requestBytes)
{
    const SimFaults::Plan plan = m_faults.takeNext();
    if (plan.silent)
        return;
    applyFaults(answer, unit, plan);
    if (plan.extraBytes)
        answer += m_faults.extraBytes();

    const qint64 now = nowUs();
    qint64 due = now;
    if (plan.delay)
        due += std::chrono::microseconds(m_faults.delay()).count();
    const bool paced = m_faults.paced();
    if (paced)
        due += WireTimeUs(requestBytes);
    const qint64 gapUs = std::chrono::microseconds(m_faults.splitGap()).count();

    const QList<QByteArray> pieces = cut(answer, plan.split);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const qint64 pieceDue = due + i * gapUs;
        if (!paced) {
            schedule(pieces[i], pieceDue);
            continue;
        }
        // A slice is handed out once its last byte has crossed the wire, as a UART reports a
        // batch only after receiving it, so nothing reaches the other end sooner than a real
        // line would allow.
        for (qsizetype at = 0; at < pieces[i].size(); at += PacedSlice) {
            const QByteArray slice = pieces[i].mid(at, PacedSlice);
            const qint64 startUs = std::max(pieceDue, m_lineFreeUs);
            m_lineFreeUs = startUs + WireTimeUs(slice.size());
            schedule(slice, m_lineFreeUs);
        }
    }
}

void SimLine::schedule(QByteArray bytes, qint64 dueUs)
{
    if (!m_queue.empty())
        dueUs = std::max(dueUs, m_queue.back().dueUs);
    if (m_queue.empty() && dueUs <= nowUs()) {
        emit chunk(bytes);
        return;
    }
    m_queue.push_back({std::move(bytes), dueUs});
    if (m_queue.size() == 1)
        m_deadline.start(dueUs);
}

void SimLine::flush()
{
    while (!m_queue.empty() && m_queue.front().dueUs <= nowUs()) {
        const QByteArray bytes = std::move(m_queue.front().bytes);
        m_queue.pop_front();
        emit chunk(bytes);
    }
    if (!m_queue.empty())
        m_deadline.start(m_queue.front().dueUs);
}

void SimLine::clear()
{
    m_queue.clear();
    m_deadline.stop();
    m_lineFreeUs = 0;
}
