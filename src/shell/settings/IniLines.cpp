#include "shell/settings/IniLines.h"

#include <algorithm>

namespace {

const QByteArray ByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

enum class LineKind { Blank, Header, Ini, Loose, Binary };

// Text lines hold no control character but tab; a line that does is binary data. Text lines
// are section headers, other INI lines (comments and key=value) or loose text.
LineKind kindOf(QByteArrayView line)
{
    const bool binary = std::any_of(line.begin(), line.end(), [](char byte) {
        const auto b = static_cast<unsigned char>(byte);
        return (b < 0x20 && b != '\t') || b == 0x7F;
    });
    if (binary)
        return LineKind::Binary;
    while (line.startsWith(ByteOrderMark))
        line = line.sliced(ByteOrderMark.size());
    const QByteArrayView text = line.trimmed();
    if (text.isEmpty())
        return LineKind::Blank;
    if (text.front() == '[' && text.lastIndexOf(']') > 0)
        return LineKind::Header;
    const bool ini = text.front() == ';' || text.front() == '#' || text.indexOf('=') > 0;
    return ini ? LineKind::Ini : LineKind::Loose;
}

// Leaves out binary data (see textLines). Returns how many lines went.
qsizetype dropUnreadable(std::vector<QByteArrayView> &lines)
{
    const std::size_t count = lines.size();
    std::vector<LineKind> kinds(count);
    std::transform(lines.begin(), lines.end(), kinds.begin(), kindOf);
    std::vector<bool> dropped(count, false);
    auto isLoose = [&kinds](std::size_t i) { return kinds[i] == LineKind::Loose; };
    for (std::size_t start = 0; start < count; ++start) {
        std::size_t end = start;
        std::size_t first = count;
        std::size_t last = count;
        for (; end < count && kinds[end] != LineKind::Header; ++end) {
            if (kinds[end] == LineKind::Binary) {
                first = std::min(first, end);
                last = end;
            }
        }
        if (first != count) {
            while (first > start && (isLoose(first - 1) || kinds[first - 1] == LineKind::Blank))
                --first;
            while (last + 1 < end && (isLoose(last + 1) || kinds[last + 1] == LineKind::Blank))
                ++last;
            // Blank lines around the data are the file's own layout.
            while (kinds[first] == LineKind::Blank)
                ++first;
            while (kinds[last] == LineKind::Blank)
                --last;
            for (std::size_t i = first; i <= last; ++i)
                dropped[i] = true;
        }
        start = end;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (!dropped[i])
            lines[kept++] = lines[i];
    }
    lines.resize(kept);
    return qsizetype(count - kept);
}

// The file's lines, without their line ends (CR LF, LF or CR), in order.
std::vector<QByteArrayView> splitLines(const QByteArray &bytes)
{
    std::vector<QByteArrayView> lines;
    const qsizetype size = bytes.size();
    qsizetype at = 0;
    while (at < size) {
        qsizetype end = at;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        lines.emplace_back(bytes.constData() + at, end - at);
        if (end + 1 < size && bytes[end] == '\r' && bytes[end + 1] == '\n')
            ++end;
        at = end + 1;
    }
    return lines;
}

// Byte order marks in front of the text are dropped (more than one if an editor added its
// own), so they never become part of the first line.
void dropLeadingMarks(std::vector<QByteArrayView> &lines)
{
    while (!lines.empty() && lines.front().startsWith(ByteOrderMark))
        lines.front() = lines.front().sliced(ByteOrderMark.size());
}

} // namespace

namespace IniLines {

std::vector<QByteArrayView> textLines(const QByteArray &bytes, qsizetype &unreadable)
{
    std::vector<QByteArrayView> lines = splitLines(bytes);
    dropLeadingMarks(lines);
    unreadable = dropUnreadable(lines);
    // Also when the lines in front of the first text line were binary.
    dropLeadingMarks(lines);
    return lines;
}

} // namespace IniLines
