#pragma once

#include "link/FileDescriptor.h"
#include "link/ReceiveWindow.h"
#include "link/Transport.h"

#include <QSocketNotifier>

#include <sys/types.h>

/// A stream endpoint on a non-blocking descriptor of its own (a socket, a terminal). A request
/// goes out in one system call; arriving bytes are read as soon as the descriptor reports
/// them, and at most one packet's worth of them is kept for the link (ReceiveWindow), so a
/// peer that floods the line costs neither memory nor a stalled window. Nothing here knows the
/// protocol.
class DescriptorEndpoint : public StreamEndpoint
{
    Q_OBJECT
public:
    ~DescriptorEndpoint() override;

    State state() const override { return m_state; }
    void close() override;
    void abort() override { close(); }
    /// Forgets the bytes kept and unsent, and reads and drops what the descriptor holds (at
    /// most 64 KiB, as one read of a device buffer would).
    void clearInput() override;
    qint64 write(std::span<const std::uint8_t> bytes) override;
    QByteArray takeAvailable() override { return m_input.take(); }
    bool hasError() const override { return !m_error.isEmpty(); }
    QString errorString() const override { return m_error; }
    void clearError() override { m_error.clear(); }
    Failure failure() const override { return m_failure; }

    /// Received bytes kept for the link right now (at most ReceiveWindow::Capacity).
    std::size_t buffered() const { return m_input.size(); }
    /// Received bytes dropped because they could not belong to an answer.
    std::size_t dropped() const { return m_input.dropped(); }
    /// Bytes read from the descriptor since it was made, kept or dropped.
    std::size_t received() const { return m_received; }

protected:
    explicit DescriptorEndpoint(QObject *parent = nullptr);

    /// Takes `fd` in `state`; while Opening, the descriptor's write readiness calls
    /// connectionReady().
    void adopt(FileDescriptor fd, State state);
    /// An opening endpoint is now open.
    void setOpen();
    /// Records the error, closes the descriptor and reports both.
    void fail(const QString &reason);
    /// Forgets the bytes kept and unsent.
    void forgetPending();
    /// Records an error without reporting it (a failed open).
    void setError(const QString &reason) { m_error = reason; }
    /// Records why opening failed or the peer went away (kept until the next open).
    void setFailure(Failure failure) { m_failure = failure; }
    /// The failure a system error number stands for.
    static Failure FailureOf(int error);
    /// A line that ends before the peer sent a byte means the peer serves someone else.
    void setSilentPeerIsBusy(bool on) { m_silentPeerIsBusy = on; }
    int descriptor() const { return m_fd.get(); }

    /// The descriptor became writable while Opening.
    virtual void connectionReady() {}
    /// The descriptor is about to be closed.
    virtual void releasing(int fd) {}
    /// One non-blocking write of `bytes`, as ::write returns it.
    virtual ssize_t writeSome(std::span<const std::uint8_t> bytes);

private:
    void readPending();
    void sendUnsent();
    /// Reads into `into`: the count read, 0 when nothing is pending, -1 when the line failed
    /// or ended (reported, and the descriptor closed).
    qint64 receive(std::span<std::uint8_t> into);
    /// Sends what it can of `bytes`; false when the line failed (reported).
    bool sendFrom(std::span<const std::uint8_t> bytes, std::size_t &sent);
    void release();

    FileDescriptor m_fd;
    QSocketNotifier m_readNotifier{QSocketNotifier::Read};
    QSocketNotifier m_writeNotifier{QSocketNotifier::Write};
    State m_state = State::Closed;
    ReceiveWindow m_input;
    QByteArray m_unsent; // what a full descriptor buffer did not take yet
    std::size_t m_received = 0;
    QString m_error;
    Failure m_failure = Failure::None;
    bool m_silentPeerIsBusy = false;
};
