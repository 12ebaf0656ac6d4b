#include "videohub/VideohubRequestParser.h"

#include <QStringDecoder>

#include <algorithm>

namespace Videohub {

namespace {

// More digits than any port count needs; longer numbers are not read at all.
constexpr qsizetype MaxDigits = 6;

QByteArrayView WithoutLeadingBlanks(QByteArrayView text)
{
    while (!text.isEmpty() && IsBlank(text.front()))
        text = text.sliced(1);
    return text;
}

/// The line cut at its first run of blanks: the number field and what follows the first
/// blank (empty when there is none).
struct Fields
{
    QByteArrayView number;
    QByteArrayView rest;
    bool separated = false;
};

Fields SplitNumber(QByteArrayView line)
{
    line = WithoutLeadingBlanks(line);
    const auto blank = std::find_if(line.begin(), line.end(), IsBlank);
    const qsizetype at = blank - line.begin();
    if (at == line.size())
        return {line, {}, false};
    return {line.first(at), line.sliced(at + 1), true};
}

/// A single value after a number: blanks around it are allowed, blanks inside are not.
std::optional<QByteArrayView> SingleField(QByteArrayView text)
{
    text = WithoutLeadingBlanks(text);
    while (!text.isEmpty() && IsBlank(text.back()))
        text.chop(1);
    if (text.isEmpty() || std::any_of(text.begin(), text.end(), IsBlank))
        return std::nullopt;
    return text;
}

std::optional<qint64> Number(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > MaxDigits)
        return std::nullopt;
    qint64 value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::variant<int, RefusalReason> PortField(QByteArrayView digits, int count)
{
    const auto number = Number(digits);
    if (!number)
        return RefusalReason::MalformedLine;
    if (const auto port = PortAt(*number, count))
        return *port;
    return RefusalReason::PortOutOfRange;
}

std::variant<Route, RefusalReason> RouteLine(QByteArrayView line, PortCounts ports)
{
    const Fields fields = SplitNumber(line);
    const auto inputDigits = SingleField(fields.rest);
    if (!inputDigits)
        return RefusalReason::MalformedLine;
    const auto output = PortField(fields.number, ports.outputs);
    const auto input = PortField(*inputDigits, ports.inputs);
    for (const auto *part : {&output, &input}) {
        if (const auto *reason = std::get_if<RefusalReason>(part))
            return *reason;
    }
    return Route{std::get<int>(output), std::get<int>(input)};
}

std::variant<Label, RefusalReason> LabelLine(QByteArrayView line, int count)
{
    const Fields fields = SplitNumber(line);
    if (!fields.separated)
        return RefusalReason::MalformedLine;
    const auto port = PortField(fields.number, count);
    if (const auto *reason = std::get_if<RefusalReason>(&port))
        return *reason;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(fields.rest);
    if (utf8.hasError() || std::any_of(text.begin(), text.end(), IsControlCharacter))
        return RefusalReason::BadLabel;
    return Label{std::get<int>(port), std::move(text)};
}

std::variant<Lock, RefusalReason> LockLine(QByteArrayView line, int outputs)
{
    const Fields fields = SplitNumber(line);
    const auto letter = SingleField(fields.rest);
    if (!letter || letter->size() != 1)
        return RefusalReason::MalformedLine;
    LockAction action = LockAction::Unlock;
    switch (letter->front()) {
    case 'O':
        action = LockAction::Lock;
        break;
    case 'U':
        action = LockAction::Unlock;
        break;
    case 'F':
        action = LockAction::ForceUnlock;
        break;
    default:
        return RefusalReason::MalformedLine;
    }
    const auto output = PortField(fields.number, outputs);
    if (const auto *reason = std::get_if<RefusalReason>(&output))
        return *reason;
    return Lock{std::get<int>(output), action};
}

/// Reads every line of a changing block into `items`; the first bad line refuses the block.
template <typename Item, typename ReadLine>
std::optional<Refusal> ReadLines(const Block &block, ReadLine readLine, std::vector<Item> &items)
{
    items.reserve(std::size_t(block.lines.size()));
    int lineNumber = 1; // the header
    for (const QByteArray &line : block.lines) {
        ++lineNumber;
        std::variant<Item, RefusalReason> item = readLine(QByteArrayView(line));
        if (const auto *reason = std::get_if<RefusalReason>(&item))
            return Refusal{*reason, lineNumber};
        items.push_back(std::move(std::get<Item>(item)));
    }
    return std::nullopt;
}

Request ParseRoutes(const Block &block, PortCounts ports)
{
    RouteChange change;
    const auto read = [ports](QByteArrayView line) { return RouteLine(line, ports); };
    if (const auto refusal = ReadLines(block, read, change.routes))
        return *refusal;
    return change;
}

Request ParseLabels(const Block &block, PortKind kind, int count)
{
    LabelChange change{kind, {}};
    const auto read = [count](QByteArrayView line) { return LabelLine(line, count); };
    if (const auto refusal = ReadLines(block, read, change.labels))
        return *refusal;
    return change;
}

Request ParseLocks(const Block &block, int outputs)
{
    LockChange change;
    const auto read = [outputs](QByteArrayView line) { return LockLine(line, outputs); };
    if (const auto refusal = ReadLines(block, read, change.locks))
        return *refusal;
    return change;
}

} // namespace

Request ParseRequest(const Block &block, PortCounts ports)
{
    if (block.overflow)
        return Refusal{*block.overflow, 0};
    if (block.header == PingHeader) {
        if (block.lines.isEmpty())
            return Ping{};
        return Refusal{RefusalReason::MalformedLine, 2};
    }
    const auto kind = StatusBlockFor(block.header);
    if (!kind)
        return Refusal{RefusalReason::UnknownBlock, 1};
    if (block.lines.isEmpty())
        return StateQuery{*kind};
    switch (*kind) {
    case StatusBlock::OutputRouting:
        return ParseRoutes(block, ports);
    case StatusBlock::InputLabels:
        return ParseLabels(block, PortKind::Input, ports.inputs);
    case StatusBlock::OutputLabels:
        return ParseLabels(block, PortKind::Output, ports.outputs);
    case StatusBlock::OutputLocks:
        return ParseLocks(block, ports.outputs);
    case StatusBlock::ProtocolPreamble:
    case StatusBlock::Device:
        break;
    }
    return Refusal{RefusalReason::ReadOnlyBlock, 2};
}

} // namespace Videohub
