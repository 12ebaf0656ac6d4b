#include "link/LinkLog.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {
const QString StarLine = QStringLiteral("************************************************");
const QString LineBreak = QStringLiteral("\r\n");
} // namespace

QString HexByte(std::uint8_t value)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
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

QString DataDumpText(const QString &caption, std::span<const std::uint8_t> bytes)
{
    QString text = caption;
    text.reserve(caption.size() + int(bytes.size()) * 7 + int(bytes.size() / 16) * 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % 16 == 0)
            text += LineBreak;
        if (i == 4 || i == 6 || i == 8 || i == 10 || i == 12)
            text += QLatin1Char('|');
        text += QStringLiteral("0x") + HexByte(bytes[i]) + QStringLiteral(", ");
    }
    return text;
}

QString TcpDumpText(std::span<const std::uint8_t> bytes)
{
    QString text = StarLine + LineBreak + QStringLiteral("cmLAN:::");
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % 16 == 0)
            text += LineBreak;
        text += QStringLiteral("0x") + HexByte(bytes[i]) + QStringLiteral(", ");
    }
    text += LineBreak + StarLine + LineBreak;
    return text;
}
