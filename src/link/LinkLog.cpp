#include "link/LinkLog.h"

#include "link/Frames.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {
constexpr char Digits[] = "0123456789ABCDEF";
constexpr std::string_view Stars = "************************************************";

/// Writes Latin-1 text straight into a string allocated once: the trace texts run for every
/// frame, packet and TCP arrival, on the hot path of each exchange.
class TextWriter
{
public:
    explicit TextWriter(qsizetype capacity)
        : m_text(capacity, Qt::Uninitialized), m_at(m_text.data())
    {
    }

    void put(char c) { *m_at++ = QLatin1Char(c); }
    void put(std::string_view text)
    {
        for (const char c : text)
            put(c);
    }
    void put(QStringView text) { m_at = std::copy(text.begin(), text.end(), m_at); }
    /// Puts `text` and returns where it starts, for the caller to fill in.
    QChar *put(std::u16string_view text)
    {
        QChar *const start = m_at;
        m_at = std::copy(text.begin(), text.end(), m_at);
        return start;
    }
    void hex(std::uint8_t value)
    {
        put(Digits[value >> 4]);
        put(Digits[value & 0x0F]);
    }
    void number(int value)
    {
        std::array<char, 12> digits{};
        std::size_t count = 0;
        unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
        do {
            digits[count++] = char('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0)
            put('-');
        while (count > 0)
            put(digits[--count]);
    }
    /// "0x" HH ", " per byte, a line break before every 16th byte after the first and, with
    /// `fieldMarks`, "|" before bytes 4, 6, 8, 10 and 12 (the fields of a frame header).
    void hexList(std::span<const std::uint8_t> bytes, bool fieldMarks)
    {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (i > 0 && i % 16 == 0)
                put("\r\n");
            if (fieldMarks && (i == 4 || i == 6 || i == 8 || i == 10 || i == 12))
                put('|');
            put("0x");
            hex(bytes[i]);
            put(", ");
        }
    }
    static qsizetype HexListLength(std::size_t count)
    {
        return qsizetype(count * 6 + count / 16 * 2 + 5);
    }

    QString finish()
    {
        m_text.truncate(m_at - m_text.constData());
        return std::move(m_text);
    }

private:
    QString m_text;
    QChar *m_at;
};

} // namespace

QString HexByte(std::uint8_t value)
{
    const char text[2] = {Digits[value >> 4], Digits[value & 0x0F]};
    return QString::fromLatin1(text, 2);
}

QString AttemptCaption(int attempt, std::string_view rest)
{
    TextWriter text(qsizetype(rest.size()) + 14);
    text.put('[');
    text.number(attempt);
    text.put(']');
    text.put(rest);
    return text.finish();
}

QString FrameTraceText(const QString &caption, std::span<const std::uint8_t> frame, int number)
{
    // The layout of the 13 bytes, with the place of each byte's two digits.
    static constexpr std::u16string_view Layout =
        u"\r\nHH HH HH HH [HH UU HH] [HH HH] [HH HH] [HH HH] HH, RC=";
    static constexpr std::array<qsizetype, FrameSize> Places{2,  5,  8,  11, 15, 21, 26,
                                                             29, 34, 37, 42, 45, 49};
    TextWriter text(caption.size() + qsizetype(Layout.size()) + 12);
    text.put(caption);
    QChar *const line = text.put(Layout);
    for (std::size_t i = 0; i < Places.size(); ++i) {
        const std::uint8_t value = i < frame.size() ? frame[i] : 0;
        line[Places[i]] = QLatin1Char(Digits[value >> 4]);
        line[Places[i] + 1] = QLatin1Char(Digits[value & 0x0F]);
    }
    text.number(number);
    return text.finish();
}

QString DataDumpText(const QString &caption, std::span<const std::uint8_t> bytes)
{
    TextWriter text(caption.size() + TextWriter::HexListLength(bytes.size()));
    text.put(caption);
    text.hexList(bytes, true);
    return text.finish();
}

QString TcpDumpText(std::span<const std::uint8_t> bytes)
{
    TextWriter text(qsizetype(Stars.size()) * 2 + 16 + TextWriter::HexListLength(bytes.size()));
    text.put(Stars);
    text.put("\r\ncmLAN:::");
    text.hexList(bytes, false);
    text.put("\r\n");
    text.put(Stars);
    text.put("\r\n");
    return text.finish();
}
