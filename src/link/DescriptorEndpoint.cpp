#include "link/DescriptorEndpoint.h"

#include <array>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace {

// Work done per read notification while a peer floods the line; the rest waits for the next
// round of the event loop, so the window stays responsive.
constexpr int ReadRoundsPerNotification = 16;
constexpr std::size_t DiscardLimit = 65536;
constexpr std::size_t ScratchSize = 4096;

QString SystemError(const char *what, int error)
{
    return QString::fromLatin1(what) + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

DescriptorEndpoint::DescriptorEndpoint(QObject *parent) : StreamEndpoint(parent)
{
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    connect(&m_readNotifier, &QSocketNotifier::activated, this, &DescriptorEndpoint::readPending);
    connect(&m_writeNotifier, &QSocketNotifier::activated, this, [this] {
        if (m_state == State::Opening)
            connectionReady();
        else
            sendUnsent();
    });
}

DescriptorEndpoint::~DescriptorEndpoint()
{
    release();
}

void DescriptorEndpoint::adopt(FileDescriptor fd, State state)
{
    release();
    m_fd = std::move(fd);
    m_readNotifier.setSocket(m_fd.get());
    m_writeNotifier.setSocket(m_fd.get());
    m_state = state;
    m_readNotifier.setEnabled(state == State::Open);
    m_writeNotifier.setEnabled(state == State::Opening);
    emit stateChanged();
}

void DescriptorEndpoint::setOpen()
{
    m_writeNotifier.setEnabled(false);
    m_readNotifier.setEnabled(true);
    m_state = State::Open;
    emit stateChanged();
}

void DescriptorEndpoint::close()
{
    const bool wasOpen = m_state != State::Closed;
    release();
    if (wasOpen)
        emit stateChanged();
}

void DescriptorEndpoint::release()
{
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    m_readNotifier.setSocket(-1);
    m_writeNotifier.setSocket(-1);
    if (m_fd.valid())
        releasing(m_fd.get());
    m_fd.reset();
    m_state = State::Closed;
    m_input.clear();
    m_unsent.clear();
}

StreamEndpoint::Failure DescriptorEndpoint::FailureOf(int error)
{
    switch (error) {
    case EBUSY:
    case EWOULDBLOCK:
        return Failure::Busy;
    case EACCES:
    case EPERM:
        return Failure::Permission;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return Failure::NotFound;
    case ECONNREFUSED:
        return Failure::Refused;
    default:
        return Failure::Other;
    }
}

void DescriptorEndpoint::fail(const QString &reason)
{
    m_error = reason;
    if (m_silentPeerIsBusy && m_received == 0 && m_failure == Failure::None)
        m_failure = Failure::Busy;
    release();
    emit errorOccurred();
    emit stateChanged();
}

qint64 DescriptorEndpoint::receive(std::span<std::uint8_t> into)
{
    for (;;) {
        const ssize_t got = ::read(m_fd.get(), into.data(), into.size());
        if (got > 0) {
            m_received += std::size_t(got);
            return got;
        }
        if (got == 0) {
            fail(QStringLiteral("the other end closed the line"));
            return -1;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        fail(SystemError("read", errno));
        return -1;
    }
}

void DescriptorEndpoint::readPending()
{
    std::array<std::uint8_t, ScratchSize> scratch;
    bool kept = false;
    for (int round = 0; round < ReadRoundsPerNotification && m_state == State::Open; ++round) {
        const bool keep = !m_input.full();
        const std::span<std::uint8_t> into = keep ? m_input.room() : std::span(scratch);
        const qint64 got = receive(into);
        if (got <= 0)
            break;
        if (keep) {
            m_input.commit(std::size_t(got));
            kept = true;
        } else {
            m_input.drop(std::size_t(got));
        }
        if (std::size_t(got) < into.size())
            break; // nothing more for now
    }
    if (kept)
        emit bytesArrived();
}

void DescriptorEndpoint::forgetPending()
{
    m_input.clear();
    if (!m_unsent.isEmpty()) {
        m_unsent.clear();
        m_writeNotifier.setEnabled(false);
    }
}

void DescriptorEndpoint::clearInput()
{
    forgetPending();
    if (m_state != State::Open)
        return;
    std::array<std::uint8_t, ScratchSize> scratch;
    for (std::size_t discarded = 0; discarded < DiscardLimit;) {
        const qint64 got = receive(scratch);
        if (got <= 0)
            return;
        discarded += std::size_t(got);
        m_input.drop(std::size_t(got));
        if (std::size_t(got) < scratch.size())
            return;
    }
}

ssize_t DescriptorEndpoint::writeSome(std::span<const std::uint8_t> bytes)
{
    return ::write(m_fd.get(), bytes.data(), bytes.size());
}

bool DescriptorEndpoint::sendFrom(std::span<const std::uint8_t> bytes, std::size_t &sent)
{
    while (sent < bytes.size()) {
        const ssize_t n = writeSome(bytes.subspan(sent));
        if (n > 0) {
            sent += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            fail(SystemError("write", errno));
            return false;
        }
        break; // the descriptor's buffer is full
    }
    return true;
}

qint64 DescriptorEndpoint::write(std::span<const std::uint8_t> bytes)
{
    if (m_state != State::Open) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("not open");
        return -1;
    }
    std::size_t sent = 0;
    if (m_unsent.isEmpty() && !sendFrom(bytes, sent))
        return -1;
    if (sent < bytes.size()) {
        // The rest goes out in order when the descriptor has room again.
        m_unsent.append(reinterpret_cast<const char *>(bytes.data()) + sent,
                        qsizetype(bytes.size() - sent));
        m_writeNotifier.setEnabled(true);
    }
    return qint64(bytes.size());
}

void DescriptorEndpoint::sendUnsent()
{
    std::size_t sent = 0;
    const auto unsent = std::span(reinterpret_cast<const std::uint8_t *>(m_unsent.constData()),
                                  std::size_t(m_unsent.size()));
    if (!sendFrom(unsent, sent))
        return;
    m_unsent.remove(0, qsizetype(sent));
    if (m_unsent.isEmpty())
        m_writeNotifier.setEnabled(false);
}
