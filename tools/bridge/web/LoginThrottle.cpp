#include "LoginThrottle.h"

#include <algorithm>

namespace Bridge::Web {

LoginThrottle::Peer *LoginThrottle::find(const QHostAddress &peer)
{
    const auto it = m_peers.find(peer.toString());
    return it == m_peers.end() ? nullptr : &it->second;
}

const LoginThrottle::Peer *LoginThrottle::find(const QHostAddress &peer) const
{
    const auto it = m_peers.find(peer.toString());
    return it == m_peers.end() ? nullptr : &it->second;
}

bool LoginThrottle::holding(const QHostAddress &peer) const
{
    const Peer *found = find(peer);
    return found && found->holding;
}

int LoginThrottle::failures(const QHostAddress &peer) const
{
    const Peer *found = find(peer);
    return found ? found->failures : 0;
}

std::chrono::milliseconds LoginThrottle::failed(const QHostAddress &peer)
{
    Peer *entry = find(peer);
    if (!entry) {
        if (m_peers.size() >= MaxPeers) {
            // Forget the address not seen for longest, unless its answer is held.
            auto oldest = m_peers.end();
            for (auto it = m_peers.begin(); it != m_peers.end(); ++it) {
                if (!it->second.holding &&
                    (oldest == m_peers.end() || it->second.lastSeen < oldest->second.lastSeen))
                    oldest = it;
            }
            if (oldest != m_peers.end())
                m_peers.erase(oldest);
        }
        entry = &m_peers[peer.toString()];
    }
    entry->failures = std::min(entry->failures + 1, 30);
    entry->holding = true;
    entry->lastSeen = ++m_counter;
    auto delay = FirstDelay;
    for (int i = 1; i < entry->failures && delay < LastDelay; ++i)
        delay *= 2;
    return std::min(delay, LastDelay);
}

void LoginThrottle::released(const QHostAddress &peer)
{
    if (Peer *entry = find(peer))
        entry->holding = false;
}

void LoginThrottle::succeeded(const QHostAddress &peer)
{
    m_peers.erase(peer.toString());
}

} // namespace Bridge::Web
