#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <utility>
#include <vector>

namespace Bridge::Web {

/// The request line and the header fields of one HTTP/1.x request.
struct HttpRequestHead
{
    QByteArray method;
    /// As sent: "/", "/app.js?v=2".
    QByteArray target;
    /// Field names in lower case, values without the blanks around them, in the order sent.
    std::vector<std::pair<QByteArray, QByteArray>> fields;
    /// Bytes of the request line, the fields and the blank line that ends them.
    qsizetype size = 0;

    /// The target without its query: "/app.js".
    QByteArray path() const;
    /// The value of the field `name` (lower case); empty when it is absent.
    QByteArray field(QByteArrayView name) const;
    int fieldCount(QByteArrayView name) const;
};

enum class HeadStatus {
    Incomplete, ///< the blank line has not arrived yet
    Complete,
    Malformed,
    TooLarge, ///< no blank line within MaxHeadBytes
};

struct ParsedHead
{
    HeadStatus status = HeadStatus::Incomplete;
    HttpRequestHead head;
    /// Why a head is malformed, for the log and the answer.
    QByteArray reason;
};

constexpr qsizetype MaxHeadBytes = 8192;
constexpr int MaxFields = 64;

/// Reads the head at the start of `bytes` (what has arrived so far; anything after the blank
/// line is left alone). Lines end with CR LF; the request line is METHOD SP TARGET SP
/// HTTP/1.0 or HTTP/1.1, the target a path of visible ASCII characters.
ParsedHead ParseRequestHead(QByteArrayView bytes);

/// The value of the cookie `name` in a Cookie field ("a=1; b=2"); nullopt when absent.
std::optional<QByteArray> CookieValue(QByteArrayView cookies, QByteArrayView name);
/// The decoded value of `name` in an application/x-www-form-urlencoded body; nullopt when
/// absent.
std::optional<QByteArray> FormValue(QByteArrayView body, QByteArrayView name);

} // namespace Bridge::Web
