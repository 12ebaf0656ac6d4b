#pragma once

#include <QByteArray>

#include <utility>
#include <vector>

namespace Bridge::Web {

/// One answer of the page's HTTP server. Every answer closes the connection, is never cached
/// and carries the headers that keep the page out of other sites' frames and scripts.
struct HttpResponse
{
    int status = 200;
    QByteArray contentType = "text/plain; charset=utf-8";
    QByteArray body;
    /// Further fields: Set-Cookie, Location, Retry-After, Allow.
    std::vector<std::pair<QByteArray, QByteArray>> fields;
    /// Content-Security-Policy; the page's own default when empty.
    QByteArray policy;

    /// A plain text answer: the reason phrase and `text` on the next line.
    static HttpResponse Text(int status, const QByteArray &text);
    static QByteArray ReasonPhrase(int status);

    /// The status line, the fields and the body, ready for the socket.
    QByteArray bytes() const;
};

} // namespace Bridge::Web
