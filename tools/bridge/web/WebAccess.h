#pragma once

#include "HttpRequestHead.h"

#include <QByteArray>
#include <QByteArrayView>

#include <deque>

namespace Bridge::Web {

/// Who may use the page. With a token, a browser logs in once: the token, posted, is
/// exchanged for a session cookie (HttpOnly, SameSite=Strict), and every request must carry
/// one. Without a token (a loopback address), everyone on this machine may; the Host field
/// must then name a loopback address or localhost, so that another site's name that resolves
/// to 127.0.0.1 cannot reach the page from a browser. A WebSocket upgrade must come from the
/// page itself: its Origin is this server's.
class WebAccess
{
public:
    static constexpr std::size_t MaxSessions = 64;
    static constexpr QByteArrayView CookieName = "matrix_session";

    /// `token` empty: no login.
    WebAccess(QByteArray token, quint16 port);

    bool loginRequired() const { return !m_token.isEmpty(); }
    bool hostAllowed(const HttpRequestHead &head) const;
    bool originAllowed(const HttpRequestHead &head) const;
    /// The request carries a session this server gave out; always true without a login.
    bool admitted(const HttpRequestHead &head) const;
    bool tokenMatches(QByteArrayView candidate) const;
    /// A new session (the oldest is forgotten beyond MaxSessions); returns the value of the
    /// Set-Cookie field that hands it to the browser.
    QByteArray startSession();

    /// 32 random bytes from the system's generator, in base64url: tokens and sessions.
    static QByteArray NewSecret();

private:
    QByteArray m_token;
    quint16 m_port;
    std::deque<QByteArray> m_sessions;
};

} // namespace Bridge::Web
