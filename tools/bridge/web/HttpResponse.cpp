#include "HttpResponse.h"

namespace Bridge::Web {

namespace {

/// Scripts, styles and the WebSocket only from the page's own address; no frames, no forms to
/// other addresses.
constexpr char DefaultPolicy[] = "default-src 'self'; connect-src 'self'; img-src 'self' data:; "
                                 "frame-ancestors 'none'; form-action 'self'; base-uri 'none'";

} // namespace

HttpResponse HttpResponse::Text(int status, const QByteArray &text)
{
    HttpResponse response;
    response.status = status;
    response.body = QByteArray::number(status) + ' ' + ReasonPhrase(status) + '\n' + text + '\n';
    return response;
}

QByteArray HttpResponse::ReasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 303:
        return "See Other";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 411:
        return "Length Required";
    case 413:
        return "Content Too Large";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 501:
        return "Not Implemented";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

QByteArray HttpResponse::bytes() const
{
    QByteArray text = "HTTP/1.1 " + QByteArray::number(status) + ' ' + ReasonPhrase(status) +
                      "\r\nContent-Type: " + contentType +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nCache-Control: no-store"
                      "\r\nX-Content-Type-Options: nosniff"
                      "\r\nX-Frame-Options: DENY"
                      // "no-referrer" would make the login form's Origin "null".
                      "\r\nReferrer-Policy: same-origin"
                      "\r\nContent-Security-Policy: " +
                      (policy.isEmpty() ? QByteArray(DefaultPolicy) : policy) +
                      "\r\nConnection: close\r\n";
    for (const auto &[name, value] : fields)
        text += name + ": " + value + "\r\n";
    return text + "\r\n" + body;
}

} // namespace Bridge::Web
