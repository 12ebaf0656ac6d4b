#include "shell/settings/Windows1252.h"

#include <array>

namespace {

// The characters of the bytes 0x80..0x9F; the undefined ones keep their own number.
constexpr std::array<char16_t, 32> HighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

constexpr unsigned char FirstHigh = 0x80;
constexpr unsigned char AfterHigh = 0xA0;

} // namespace

namespace Windows1252 {

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = (b >= FirstHigh && b < AfterHigh) ? QChar(HighControls[b - FirstHigh]) : QChar(b);
    }
    return text;
}

bool encode(QStringView text, QByteArray &out)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < FirstHigh || (u >= AfterHigh && u <= 0xFF)) {
            out.append(char(u));
            continue;
        }
        std::size_t found = 0;
        while (found < HighControls.size() && HighControls[found] != u)
            ++found;
        if (found == HighControls.size())
            return false;
        out.append(char(FirstHigh + found));
    }
    return true;
}

bool isUndefinedByte(QChar c)
{
    const char16_t u = c.unicode();
    return u >= FirstHigh && u < AfterHigh && HighControls[u - FirstHigh] == u;
}

} // namespace Windows1252
