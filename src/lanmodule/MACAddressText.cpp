#include "lanmodule/MACAddressText.h"

#include <QStringList>

namespace {
constexpr auto HexDigits = "0123456789ABCDEF";

int HexValue(QChar c)
{
    const char latin = c.toLatin1();
    for (int i = 0; i < 16; ++i) {
        if (HexDigits[i] == latin)
            return i;
    }
    return -1;
}

MACAddressText::MACParts PartsOf(const MACAddressText::MACBytes &bytes)
{
    MACAddressText::MACParts parts;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        parts[i] = QString::fromLatin1(HexDigits + (bytes[i] >> 4), 1) +
                   QString::fromLatin1(HexDigits + (bytes[i] & 0x0F), 1);
    return parts;
}
} // namespace

namespace MACAddressText {

std::optional<MACBytes> ParseMACAddress(const QString &text)
{
    const QString mac = text.trimmed().toUpper();
    for (const QChar c : mac) {
        if (c != QLatin1Char('-') && HexValue(c) < 0)
            return std::nullopt;
    }
    MACBytes bytes{};
    qsizetype start = 0;
    for (int part = 0; part < 6; ++part) {
        const qsizetype end = part < 5 ? mac.indexOf(QLatin1Char('-'), start) : mac.size();
        if (end < 0)
            return std::nullopt;
        QString piece = mac.mid(start, end - start);
        if (piece.isEmpty())
            piece = QStringLiteral("00");
        else if (piece.size() == 1)
            piece.prepend(QLatin1Char('0'));
        const int high = HexValue(piece.at(0));
        const int low = HexValue(piece.at(1));
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[std::size_t(part)] = std::uint8_t(high * 16 + low);
        start = end + 1;
    }
    return bytes;
}

std::optional<MACParts> SplitMACAddress(const QString &text)
{
    const auto bytes = ParseMACAddress(text);
    if (!bytes)
        return std::nullopt;
    return PartsOf(*bytes);
}

QString MACText(const MACBytes &bytes)
{
    return JoinParts(PartsOf(bytes));
}

QString JoinParts(const MACParts &parts)
{
    return QStringList(parts.begin(), parts.end()).join(QLatin1Char('-'));
}

std::optional<QChar> FilterMACKey(QChar key)
{
    if (key == QChar(0x08))
        return key;
    const QChar upper = key.toUpper();
    if (HexValue(upper) < 0)
        return std::nullopt;
    return upper;
}

} // namespace MACAddressText
