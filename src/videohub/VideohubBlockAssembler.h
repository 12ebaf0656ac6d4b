#pragma once

#include "videohub/VideohubRequest.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>
#include <vector>

namespace Videohub {

/// One block a client sent: its first line and the lines after it, up to the blank line.
struct Block
{
    /// The first line, without trailing blanks.
    QByteArray header;
    /// The following lines as sent, without line ends.
    QList<QByteArray> lines;
    /// Set when the block broke a limit: its lines were dropped and it is to be refused.
    std::optional<RefusalReason> overflow;
};

struct AssemblyLimits
{
    /// Bytes of one line before its line feed (a carriage return counts).
    qsizetype maxLineBytes = 1024;
    /// Lines of one block, the header included.
    qsizetype maxLines = 256;
    /// Bytes of all kept lines of one block.
    qsizetype maxBlockBytes = 16 * 1024;
};

/// Cuts the text a client sends into blocks. A line ends at a line feed (a carriage return
/// before it is dropped); a line that is empty or holds only blanks ends the block, and blank
/// lines between blocks are skipped. A block that breaks a limit is still read up to its
/// blank line, keeping nothing, and comes out with `overflow` set, so that every block gets
/// exactly one answer. Memory stays below maxLineBytes + maxBlockBytes whatever arrives.
class BlockAssembler
{
public:
    explicit BlockAssembler(AssemblyLimits limits = {}) : m_limits(limits) {}

    /// Takes bytes in pieces of any size; returns the blocks they complete, in order.
    std::vector<Block> feed(QByteArrayView bytes);
    /// Forgets a partly received line and block.
    void reset();

    /// Whether part of a block has been received.
    bool inBlock() const { return m_block.has_value() || !m_line.isEmpty() || m_lineTooLong; }
    /// Bytes held for the unfinished line and block.
    qsizetype bufferedBytes() const { return m_line.size() + m_blockBytes; }

private:
    void appendToLine(QByteArrayView piece);
    std::optional<Block> endLine();
    void keepLine(QByteArray line);
    void refuse(RefusalReason reason);

    AssemblyLimits m_limits;
    QByteArray m_line;
    bool m_lineTooLong = false;
    std::optional<Block> m_block;
    qsizetype m_blockLines = 0;
    qsizetype m_blockBytes = 0;
};

} // namespace Videohub
