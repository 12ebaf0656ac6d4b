#pragma once

#include <QHostAddress>
#include <QString>

#include <chrono>
#include <cstdint>
#include <map>

namespace Bridge::Web {

/// Slows down guessing the token. The answer to a wrong token is held back, 1 s after the
/// first wrong one from an address, then 2, 4 ... 30 s; while it is held, that address's
/// next attempts are refused unread. A right token clears the address's count. Bounded:
/// beyond MaxPeers addresses the one not seen for longest is forgotten, one whose answer is
/// held only when every one is.
class LoginThrottle
{
public:
    static constexpr std::size_t MaxPeers = 1024;
    static constexpr std::chrono::milliseconds FirstDelay{1000};
    static constexpr std::chrono::milliseconds LastDelay{30000};

    /// An answer to a wrong token from `peer` is still held back.
    bool holding(const QHostAddress &peer) const;
    /// A wrong token from `peer`: returns how long to hold its answer back, and holds the
    /// peer until released().
    std::chrono::milliseconds failed(const QHostAddress &peer);
    void released(const QHostAddress &peer);
    void succeeded(const QHostAddress &peer);
    /// Wrong tokens from `peer` since its last right one.
    int failures(const QHostAddress &peer) const;

private:
    struct Peer
    {
        int failures = 0;
        bool holding = false;
        std::uint64_t lastSeen = 0;
    };

    Peer *find(const QHostAddress &peer);
    const Peer *find(const QHostAddress &peer) const;

    std::map<QString, Peer> m_peers;
    std::uint64_t m_counter = 0;
};

} // namespace Bridge::Web
