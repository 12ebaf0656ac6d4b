#pragma once

#include <QByteArray>
#include <QTableWidget>

/// The read-only 17 x 17 EDID content grid: column headers "0".."F" in row 0, row headers
/// "00".."F0" in column 0, and one byte as two hexadecimal digits in each of the 256 data
/// cells. The operator cannot edit it; only the operations below change the cells.
class EdidGrid : public QTableWidget
{
    Q_OBJECT
public:
    static constexpr int Side = 17;
    /// The smallest cell; cells grow when the font needs it, so two digits always show.
    static constexpr int CellSize = 19;

    explicit EdidGrid(QWidget *parent = nullptr);

    /// Writes the headers; with a block, checks it and, when valid, fills the data cells.
    /// A block that fails the check leaves the data cells as they were.
    bool showBlock(const QByteArray *block);
    /// Empties the 256 data cells; the headers stay.
    void clearData();
    /// Replaces `block` with the bytes of the data cells, row by row; true only when exactly
    /// 256 bytes were read, otherwise `block` is left empty.
    bool collect(QByteArray &block) const;

    /// Text of data cell (row, column), both 0..15.
    QString dataText(int row, int column) const;
    /// All 256 data cells hold text.
    bool isComplete() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    void writeHeaders();
    /// The width of the widest two-digit text in the grid's font.
    int widestCellText() const;
    void fitCells();
    void setCellText(int row, int column, const QString &text, bool header);
};
