#include "link/LinkLog.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {
constexpr char Digits[] = "0123456789ABCDEF";
} // namespace

QString HexByte(std::uint8_t value)
{
    const char text[2] = {Digits[value >> 4], Digits[value & 0x0F]};
    return QString::fromLatin1(text, 2);
}

QString FrameTraceText(const QString &caption, std::span<const std::uint8_t> frame, int number)
{
    // Built in a byte buffer: it runs twice per command exchange, on the hot path.
    std::array<std::uint8_t, 13> f{};
    std::copy_n(frame.begin(), std::min(frame.size(), f.size()), f.begin());
    char text[96];
    const int length = std::snprintf(
        text, sizeof text,
        "\r\n%02X %02X %02X %02X [%02X UU %02X] [%02X %02X] [%02X %02X] [%02X %02X] %02X, RC=%d",
        f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11], f[12], number);
    return caption + QLatin1String(text, std::max(0, length));
}

namespace {
// "0x" HH ", " per byte into a Latin-1 buffer: the dumps run for every packet and every TCP
// arrival, so they are built without a string allocation per byte.
void AppendHexList(QByteArray &text, std::span<const std::uint8_t> bytes, bool fieldMarks)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % 16 == 0)
            text += "\r\n";
        if (fieldMarks && (i == 4 || i == 6 || i == 8 || i == 10 || i == 12))
            text += '|';
        const char item[6] = {'0', 'x', Digits[bytes[i] >> 4], Digits[bytes[i] & 0x0F], ',', ' '};
        text.append(item, 6);
    }
}
} // namespace

QString DataDumpText(const QString &caption, std::span<const std::uint8_t> bytes)
{
    QByteArray text;
    text.reserve(qsizetype(bytes.size()) * 7 + qsizetype(bytes.size() / 16) * 2 + 8);
    AppendHexList(text, bytes, true);
    return caption + QString::fromLatin1(text);
}

QString TcpDumpText(std::span<const std::uint8_t> bytes)
{
    static constexpr char Stars[] = "************************************************";
    QByteArray text;
    text.reserve(qsizetype(bytes.size()) * 7 + 120);
    text += Stars;
    text += "\r\ncmLAN:::";
    AppendHexList(text, bytes, false);
    text += "\r\n";
    text += Stars;
    text += "\r\n";
    return QString::fromLatin1(text);
}
