#include "WebAccess.h"

#include <QHostAddress>
#include <QRandomGenerator>

#include <array>

namespace Bridge::Web {

namespace {

/// Compares without stopping at the first difference, so that the time taken tells nothing
/// about how much of a guess was right.
bool SameSecret(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size() || a.isEmpty())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

struct HostAndPort
{
    QByteArray host;
    int port = 80;
};

/// "name:port", "[v6]:port", or either without the port.
std::optional<HostAndPort> SplitHost(const QByteArray &field)
{
    HostAndPort split;
    QByteArray portText;
    if (field.startsWith('[')) {
        const qsizetype close = field.indexOf(']');
        if (close < 0)
            return std::nullopt;
        split.host = field.mid(1, close - 1);
        const QByteArray rest = field.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(':'))
            return std::nullopt;
        portText = rest.mid(1);
    } else {
        const qsizetype colon = field.indexOf(':');
        split.host = colon < 0 ? field : field.first(colon);
        portText = colon < 0 ? QByteArray() : field.mid(colon + 1);
    }
    if (!portText.isEmpty()) {
        bool ok = false;
        split.port = portText.toInt(&ok, 10);
        if (!ok || split.port < 1 || split.port > 65535)
            return std::nullopt;
    }
    return split;
}

} // namespace

WebAccess::WebAccess(QByteArray token, quint16 port) : m_token(std::move(token)), m_port(port) {}

bool WebAccess::hostAllowed(const HttpRequestHead &head) const
{
    if (loginRequired())
        return true;
    if (head.fieldCount("host") != 1)
        return false;
    const auto split = SplitHost(head.field("host"));
    if (!split || split->port != m_port)
        return false;
    if (split->host.compare("localhost", Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(QString::fromLatin1(split->host));
    return !address.isNull() && address.isLoopback();
}

bool WebAccess::originAllowed(const HttpRequestHead &head) const
{
    if (head.fieldCount("origin") != 1 || head.fieldCount("host") != 1)
        return false;
    const QByteArray origin = head.field("origin").toLower();
    const QByteArray host = head.field("host").toLower();
    // A TLS proxy in front serves the same page over https.
    return !host.isEmpty() && (origin == "http://" + host || origin == "https://" + host);
}

bool WebAccess::admitted(const HttpRequestHead &head) const
{
    if (!loginRequired())
        return true;
    for (const auto &[name, value] : head.fields) {
        if (name != "cookie")
            continue;
        const auto session = CookieValue(value, CookieName);
        if (!session)
            continue;
        bool known = false;
        for (const QByteArray &candidate : m_sessions)
            known = SameSecret(*session, candidate) || known;
        if (known)
            return true;
    }
    return false;
}

bool WebAccess::tokenMatches(QByteArrayView candidate) const
{
    return SameSecret(candidate, m_token);
}

QByteArray WebAccess::startSession()
{
    if (m_sessions.size() >= MaxSessions)
        m_sessions.pop_front();
    m_sessions.push_back(NewSecret());
    return CookieName.toByteArray() + '=' + m_sessions.back() +
           "; HttpOnly; SameSite=Strict; Path=/";
}

QByteArray WebAccess::NewSecret()
{
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char *>(words.data()), sizeof words)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

} // namespace Bridge::Web
