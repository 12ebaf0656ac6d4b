#include "HttpRequestHead.h"

#include <QUrl>

#include <algorithm>

namespace Bridge::Web {

namespace {

/// The characters of a method or a field name (RFC 9110 "tchar").
bool IsTokenChar(char c)
{
    static constexpr QByteArrayView Others = "!#$%&'*+-.^_`|~";
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           Others.contains(c);
}

bool IsToken(QByteArrayView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), IsTokenChar);
}

bool IsVisible(char c)
{
    return c > 0x20 && c < 0x7F;
}

/// Field values: tab, visible characters and bytes from 0x80 up; no other control bytes.
bool IsValueText(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '\t' || (byte >= 0x20 && byte != 0x7F);
    });
}

ParsedHead Malformed(const char *reason)
{
    ParsedHead parsed;
    parsed.status = HeadStatus::Malformed;
    parsed.reason = reason;
    return parsed;
}

bool ParseRequestLine(QByteArrayView line, HttpRequestHead &head)
{
    const qsizetype firstSpace = line.indexOf(' ');
    const qsizetype lastSpace = line.lastIndexOf(' ');
    if (firstSpace <= 0 || lastSpace <= firstSpace + 1)
        return false;
    const QByteArrayView method = line.first(firstSpace);
    const QByteArrayView target = line.sliced(firstSpace + 1, lastSpace - firstSpace - 1);
    const QByteArrayView version = line.sliced(lastSpace + 1);
    if (!IsToken(method) || !target.startsWith('/') ||
        !std::all_of(target.begin(), target.end(), IsVisible))
        return false;
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        return false;
    head.method = method.toByteArray();
    head.target = target.toByteArray();
    return true;
}

} // namespace

QByteArray HttpRequestHead::path() const
{
    const qsizetype query = target.indexOf('?');
    return query < 0 ? target : target.first(query);
}

QByteArray HttpRequestHead::field(QByteArrayView name) const
{
    for (const auto &[fieldName, value] : fields) {
        if (fieldName == name)
            return value;
    }
    return {};
}

int HttpRequestHead::fieldCount(QByteArrayView name) const
{
    return int(std::count_if(fields.begin(), fields.end(),
                             [&](const auto &field) { return field.first == name; }));
}

ParsedHead ParseRequestHead(QByteArrayView bytes)
{
    const QByteArrayView window = bytes.first(std::min(bytes.size(), MaxHeadBytes));
    const qsizetype end = window.indexOf("\r\n\r\n");
    if (end < 0) {
        ParsedHead parsed;
        parsed.status =
            bytes.size() >= MaxHeadBytes ? HeadStatus::TooLarge : HeadStatus::Incomplete;
        return parsed;
    }

    ParsedHead parsed;
    HttpRequestHead &head = parsed.head;
    head.size = end + 4;
    const QByteArrayView text = window.first(end + 2); // every line with its CR LF
    qsizetype at = 0;
    bool first = true;
    while (at < text.size()) {
        const qsizetype lineEnd = text.indexOf("\r\n", at);
        const QByteArrayView line = text.sliced(at, lineEnd - at);
        at = lineEnd + 2;
        if (line.contains('\r') || line.contains('\n'))
            return Malformed("a line ends without CR LF");
        if (first) {
            first = false;
            if (!ParseRequestLine(line, head))
                return Malformed("not an HTTP/1.x request line");
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !IsToken(line.first(colon)))
            return Malformed("a header field without a name");
        const QByteArrayView value = line.sliced(colon + 1).trimmed();
        if (!IsValueText(value))
            return Malformed("a header field with control characters");
        if (int(head.fields.size()) >= MaxFields)
            return Malformed("too many header fields");
        head.fields.emplace_back(line.first(colon).toByteArray().toLower(), value.toByteArray());
    }
    parsed.status = HeadStatus::Complete;
    return parsed;
}

std::optional<QByteArray> CookieValue(QByteArrayView cookies, QByteArrayView name)
{
    qsizetype at = 0;
    while (at <= cookies.size()) {
        qsizetype end = cookies.indexOf(';', at);
        if (end < 0)
            end = cookies.size();
        const QByteArrayView pair = cookies.sliced(at, end - at).trimmed();
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0 && pair.first(equals).trimmed() == name)
            return pair.sliced(equals + 1).trimmed().toByteArray();
        at = end + 1;
    }
    return std::nullopt;
}

std::optional<QByteArray> FormValue(QByteArrayView body, QByteArrayView name)
{
    qsizetype at = 0;
    while (at <= body.size()) {
        qsizetype end = body.indexOf('&', at);
        if (end < 0)
            end = body.size();
        const QByteArrayView pair = body.sliced(at, end - at);
        const qsizetype equals = pair.indexOf('=');
        if (equals >= 0 && pair.first(equals) == name) {
            QByteArray value = pair.sliced(equals + 1).toByteArray();
            value.replace('+', ' ');
            return QByteArray::fromPercentEncoding(value);
        }
        at = end + 1;
    }
    return std::nullopt;
}

} // namespace Bridge::Web
