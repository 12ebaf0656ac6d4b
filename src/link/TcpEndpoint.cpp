#include "link/TcpEndpoint.h"

#include <QStringList>

#include <cerrno>
#include <cstring>
#include <optional>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {

/// Dotted IPv4 text only: no name lookup, so an odd address fails at once instead of waiting
/// for a resolver. Leading zeros in an octet are read as decimal; 0.0.0.0 is no peer.
std::optional<in_addr_t> ParseIPv4(const QString &host)
{
    const QStringList octets = host.trimmed().split(QLatin1Char('.'));
    if (octets.size() != 4)
        return std::nullopt;
    in_addr_t address = 0;
    for (const QString &octet : octets) {
        bool ok = false;
        const int value = octet.toInt(&ok, 10);
        if (!ok || value < 0 || value > 255)
            return std::nullopt;
        address = (address << 8) | in_addr_t(value);
    }
    if (address == 0)
        return std::nullopt;
    return address;
}

QString ConnectError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

TcpEndpoint::TcpEndpoint(std::uint16_t remotePort, QObject *parent)
    : DescriptorEndpoint(parent), m_remotePort(remotePort)
{
    // A network module that serves another client accepts the connection and closes it at
    // once.
    setSilentPeerIsBusy(true);
}

void TcpEndpoint::startOpen()
{
    clearError();
    close();
    setFailure(Failure::None);
    const auto address = ParseIPv4(m_host);
    if (!address) {
        setError(QStringLiteral("invalid address ") + m_host);
        setFailure(Failure::NotFound);
        emit errorOccurred();
        return;
    }
    FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.valid()) {
        setError(ConnectError(errno));
        emit errorOccurred();
        return;
    }
    // Frames are small and answered one by one: no Nagle delay.
    const int one = 1;
    ::setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(m_remotePort);
    peer.sin_addr.s_addr = htonl(*address);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr *>(&peer), sizeof peer) == 0)
        return adopt(std::move(socket), State::Open);
    if (errno != EINPROGRESS) {
        setError(ConnectError(errno));
        setFailure(FailureOf(errno));
        emit errorOccurred();
        return;
    }
    // The connect goes on in the background; the socket becomes writable when it is done.
    adopt(std::move(socket), State::Opening);
}

void TcpEndpoint::connectionReady()
{
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(descriptor(), SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        error = errno;
    if (error != 0) {
        setFailure(FailureOf(error));
        return fail(ConnectError(error));
    }
    setOpen();
}

ssize_t TcpEndpoint::writeSome(std::span<const std::uint8_t> bytes)
{
    // A peer that has gone away must not end the program with SIGPIPE.
    return ::send(descriptor(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
}
