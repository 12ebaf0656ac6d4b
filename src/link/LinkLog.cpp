#include "link/LinkLog.h"

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
    auto at = [&frame](std::size_t i) { return HexByte(i < frame.size() ? frame[i] : 0); };
    QString text = caption + LineBreak;
    text += at(0) + QLatin1Char(' ') + at(1) + QLatin1Char(' ') + at(2) + QLatin1Char(' ')
            + at(3);
    text += QStringLiteral(" [") + at(4) + QStringLiteral(" UU ") + at(5) + QStringLiteral("]");
    text += QStringLiteral(" [") + at(6) + QLatin1Char(' ') + at(7) + QStringLiteral("]");
    text += QStringLiteral(" [") + at(8) + QLatin1Char(' ') + at(9) + QStringLiteral("]");
    text += QStringLiteral(" [") + at(10) + QLatin1Char(' ') + at(11) + QStringLiteral("] ");
    text += at(12) + QStringLiteral(", RC=") + QString::number(number);
    return text;
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
