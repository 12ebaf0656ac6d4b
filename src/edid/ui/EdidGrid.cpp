#include "edid/ui/EdidGrid.h"

#include "edid/EdidBlock.h"
#include "ui/AccessibleValue.h"
#include "ui/ProgramFont.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>

#include <algorithm>

EdidGrid::EdidGrid(QWidget *parent) : QTableWidget(Side, Side, parent)
{
    setObjectName(QStringLiteral("sgEDIDContent"));
    setAccessibleName(QStringLiteral("EDID content"));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    setFont(ProgramFont(14));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Button));
    setPalette(colours);

    for (int row = 0; row < Side; ++row) {
        for (int column = 0; column < Side; ++column)
            setCellText(row, column, QString(), row == 0 || column == 0);
    }
    fitCells();
}

int EdidGrid::widestCellText() const
{
    // Measured pair by pair: kerning and hinting make some pairs wider than twice the
    // widest digit, and which digit is widest depends on the font the desktop gives.
    const QFontMetrics metrics(font());
    const QString digits = QStringLiteral("0123456789ABCDEF");
    int widest = 0;
    for (const QChar high : digits) {
        for (const QChar low : digits)
            widest = std::max(widest, metrics.horizontalAdvance(QString(high) + low));
    }
    return widest;
}

void EdidGrid::fitCells()
{
    const QFontMetrics metrics(font());
    // The item view keeps a text margin on both sides and the grid line takes a pixel; one
    // more pixel covers rounding at fractional scale factors.
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    const int width = std::max(CellSize, widestCellText() + margin + 2);
    const int height = std::max(CellSize, metrics.height() + 2);
    for (QHeaderView *header : {horizontalHeader(), verticalHeader()})
        header->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultSectionSize(width);
    verticalHeader()->setDefaultSectionSize(height);
    setFixedSize(sizeHint());
}

QSize EdidGrid::sizeHint() const
{
    return {Side * horizontalHeader()->defaultSectionSize() + 2 * frameWidth(),
            Side * verticalHeader()->defaultSectionSize() + 2 * frameWidth()};
}

void EdidGrid::setCellText(int row, int column, const QString &text, bool header)
{
    QTableWidgetItem *cell = item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setFlags(Qt::ItemIsEnabled);
        cell->setTextAlignment(Qt::AlignCenter);
        if (header)
            cell->setBackground(palette().color(QPalette::Midlight));
        setItem(row, column, cell);
    }
    if (cell->text() != text) {
        cell->setText(text);
        AnnounceCellChange(this, row, column);
    }
}

void EdidGrid::writeHeaders()
{
    const QStringList columns = EdidBlock::ColumnHeaders();
    const QStringList rows = EdidBlock::RowHeaders();
    for (int i = 0; i < EdidBlock::GridSide; ++i) {
        setCellText(0, i + 1, columns[i], true);
        setCellText(i + 1, 0, rows[i], true);
    }
}

bool EdidGrid::showBlock(const QByteArray *block)
{
    writeHeaders();
    if (!block)
        return false;
    const std::optional<EdidBytes> valid = EdidBlock::Validate(*block);
    if (!valid)
        return false;
    const QStringList cells = EdidBlock::CellTexts(*valid);
    for (int k = 0; k < int(cells.size()); ++k)
        setCellText(k / EdidBlock::GridSide + 1, k % EdidBlock::GridSide + 1, cells[k], false);
    return true;
}

void EdidGrid::clearData()
{
    for (int row = 1; row < Side; ++row) {
        for (int column = 1; column < Side; ++column)
            setCellText(row, column, QString(), false);
    }
}

QString EdidGrid::dataText(int row, int column) const
{
    const QTableWidgetItem *cell = item(row + 1, column + 1);
    return cell ? cell->text() : QString();
}

bool EdidGrid::collect(QByteArray &block) const
{
    block.clear();
    QStringList cells;
    cells.reserve(EdidBlock::GridSide * EdidBlock::GridSide);
    for (int row = 0; row < EdidBlock::GridSide; ++row) {
        for (int column = 0; column < EdidBlock::GridSide; ++column)
            cells.append(dataText(row, column));
    }
    const std::optional<EdidBytes> bytes = EdidBlock::Collect(cells);
    if (!bytes)
        return false;
    block = EdidBlock::ToByteArray(*bytes);
    return true;
}

bool EdidGrid::isComplete() const
{
    for (int row = 0; row < EdidBlock::GridSide; ++row) {
        for (int column = 0; column < EdidBlock::GridSide; ++column) {
            if (dataText(row, column).isEmpty())
                return false;
        }
    }
    return true;
}
