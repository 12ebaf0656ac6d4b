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
            // Forget the address not seen for longest, one whose answer is held last.
            const auto older = [](const auto &a, const auto &b) {
                return std::pair(a.second.holding, a.second.lastSeen) <
                       std::pair(b.second.holding, b.second.lastSeen);
            };
            m_peers.erase(std::min_element(m_peers.begin(), m_peers.end(), older));
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
