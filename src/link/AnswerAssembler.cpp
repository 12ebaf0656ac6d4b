#include "link/AnswerAssembler.h"

#include "link/Commands.h"

#include <algorithm>

std::size_t AnswerAssembler::ExpectedLength(ReplyKind replyKind)
{
    switch (replyKind) {
    case ReplyKind::Packet:
        return PacketSize;
    case ReplyKind::Ldcd:
        return LdcdRecordSize;
    case ReplyKind::Frame:
    case ReplyKind::SlaveAnswer:
    case ReplyKind::MainAnswer:
        break;
    }
    return FrameSize;
}

void AnswerAssembler::reset(std::size_t expected)
{
    m_buffer.fill(0);
    m_expected = std::min(expected, m_buffer.size());
    m_position = 0;
    m_complete = false;
}

std::size_t AnswerAssembler::feed(std::span<const std::uint8_t> bytes)
{
    // A completed answer stays as it is until the next reset: late bytes must not overwrite
    // it before the link has read it.
    if (m_complete)
        return 0;
    const std::size_t room = m_expected - m_position;
    const std::size_t taken = std::min(room, bytes.size());
    std::copy_n(bytes.begin(), taken, m_buffer.begin() + std::ptrdiff_t(m_position));
    m_position += taken;
    m_complete = m_position >= m_expected;
    if (m_complete)
        m_position = 0;
    return taken;
}
