#include "videohub/VideohubBlockAssembler.h"

#include <algorithm>
#include <utility>

namespace Videohub {

namespace {

bool IsBlankLine(const QByteArray &line)
{
    return std::all_of(line.begin(), line.end(), IsBlank);
}

QByteArray WithoutTrailingBlanks(QByteArray line)
{
    while (!line.isEmpty() && IsBlank(line.back()))
        line.chop(1);
    return line;
}

} // namespace

std::vector<Block> BlockAssembler::feed(QByteArrayView bytes)
{
    std::vector<Block> blocks;
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        if (end < 0) {
            appendToLine(bytes);
            break;
        }
        appendToLine(bytes.first(end));
        if (auto block = endLine())
            blocks.push_back(std::move(*block));
        bytes = bytes.sliced(end + 1);
    }
    return blocks;
}

void BlockAssembler::reset()
{
    m_line.clear();
    m_lineTooLong = false;
    m_block.reset();
    m_blockLines = 0;
    m_blockBytes = 0;
}

void BlockAssembler::appendToLine(QByteArrayView piece)
{
    if (m_lineTooLong)
        return;
    if (piece.size() > m_limits.maxLineBytes - m_line.size()) {
        m_lineTooLong = true;
        m_line.clear();
        return;
    }
    m_line.append(piece);
}

std::optional<Block> BlockAssembler::endLine()
{
    QByteArray line = std::exchange(m_line, {});
    const bool tooLong = std::exchange(m_lineTooLong, false);
    if (line.endsWith('\r'))
        line.chop(1);
    if (!tooLong && IsBlankLine(line)) {
        m_blockLines = 0;
        m_blockBytes = 0;
        return std::exchange(m_block, std::nullopt);
    }
    if (!m_block)
        m_block.emplace();
    ++m_blockLines;
    if (tooLong)
        refuse(RefusalReason::LineTooLong);
    else
        keepLine(std::move(line));
    return std::nullopt;
}

void BlockAssembler::keepLine(QByteArray line)
{
    if (m_block->overflow)
        return;
    if (m_blockLines > m_limits.maxLines)
        return refuse(RefusalReason::TooManyLines);
    if (line.size() > m_limits.maxBlockBytes - m_blockBytes)
        return refuse(RefusalReason::BlockTooLarge);
    m_blockBytes += line.size();
    if (m_blockLines == 1)
        m_block->header = WithoutTrailingBlanks(std::move(line));
    else
        m_block->lines.append(std::move(line));
}

void BlockAssembler::refuse(RefusalReason reason)
{
    if (!m_block->overflow)
        m_block->overflow = reason;
    m_block->lines = {};
    m_blockBytes = m_block->header.size();
}

} // namespace Videohub
