#include "lanmodule/IPAddressText.h"

#include <QStringList>

namespace {
constexpr int LastOctetTag = 4;
constexpr qint64 OctetMax = 255;

bool AllDigits(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// The value of a digit string, saturated so that long strings do not overflow.
qint64 DigitValue(const QString &digits)
{
    qint64 value = 0;
    for (const QChar c : digits)
        value = std::min<qint64>(value * 10 + (c.unicode() - '0'), 1'000'000);
    return value;
}
} // namespace

namespace IPAddressText {

std::optional<Octets> SplitIPAddress(const QString &text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char('.') && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return std::nullopt;
    }
    Octets octets;
    qsizetype start = 0;
    for (int part = 0; part < 4; ++part) {
        qsizetype end = part < 3 ? text.indexOf(QLatin1Char('.'), start) : text.size();
        if (end < 0)
            return std::nullopt;
        const QString piece = text.mid(start, end - start);
        // A piece holding a further dot (the rest after the third one) is not a number.
        if (piece.isEmpty() || !AllDigits(piece))
            return std::nullopt;
        octets[std::size_t(part)] = DigitValue(piece) > OctetMax ? QStringLiteral("255") : piece;
        start = end + 1;
    }
    return octets;
}

QString JoinOctets(const Octets &octets)
{
    return QStringList(octets.begin(), octets.end()).join(QLatin1Char('.'));
}

Clamped ClampIPField(const QString &text, int tag)
{
    const bool last = tag == LastOctetTag;
    const int low = last ? 2 : 0;
    const int high = last ? 252 : 255;
    const QString source = text.isEmpty() ? QStringLiteral("0") : text;
    bool ok = false;
    const QString trimmed = source.trimmed();
    qint64 value = trimmed.toLongLong(&ok);
    if (!ok && !trimmed.isEmpty() && AllDigits(trimmed)) {
        value = DigitValue(trimmed);
        ok = true;
    }
    if (!ok)
        return {false, QString::number(low)};
    if (value <= low)
        return {true, QString::number(low)};
    if (value >= high)
        return {true, QString::number(high)};
    // Digits stay as typed, leading zeros included; a pasted sign or blank does not.
    return {true, AllDigits(source) ? source : QString::number(value)};
}

bool IsOctetKey(QChar key)
{
    return (key >= QLatin1Char('0') && key <= QLatin1Char('9')) || key == QChar(0x08);
}

} // namespace IPAddressText
