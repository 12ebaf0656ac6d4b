#include "TextFit.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QRegularExpression>
#include <QTableView>

#include <algorithm>

namespace {

QString describe(const QWidget *widget, const QString &where, const QString &text, int needs,
                 int has)
{
    return widget->objectName() + where + QStringLiteral(" \"") + text +
           QStringLiteral("\" needs ") + QString::number(needs) + QStringLiteral(" px, has ") +
           QString::number(has);
}

int widestLine(const QFontMetrics &metrics, const QString &text)
{
    int widest = 0;
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r"))))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

void checkCells(const QAbstractItemView *view, QStringList &problems)
{
    const QAbstractItemModel *model = view->model();
    if (!model)
        return;
    // The delegate keeps this margin on both sides of the text; a grid takes one more pixel.
    const int margin = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr,
                                                       view) +
                            1) +
                       (qobject_cast<const QTableView *>(view) ? 1 : 0);
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
            const QModelIndex index = model->index(row, column);
            const QString text = index.data().toString();
            const QRect cell = view->visualRect(index);
            if (text.isEmpty() || cell.isEmpty())
                continue;
            const QVariant itemFont = index.data(Qt::FontRole);
            const QFontMetrics metrics(itemFont.isValid() ? itemFont.value<QFont>()
                                                          : view->font());
            const int needs = widestLine(metrics, text);
            const int has = cell.width() - margin;
            if (needs > has)
                problems << describe(view,
                                     QStringLiteral("[%1,%2]").arg(row).arg(column), text,
                                     needs, has);
        }
    }
}

void checkWidget(const QWidget *widget, QStringList &problems)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        if (label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull())
            return;
        const int needs = widestLine(label->fontMetrics(), label->text());
        const int has = label->contentsRect().width() - 2 * label->margin() - label->indent();
        if (needs > has)
            problems << describe(label, QString(), label->text(), needs, has);
    } else if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
        if (button->text().isEmpty())
            return;
        const int needs = button->sizeHint().width();
        if (needs > button->width())
            problems << describe(button, QString(), button->text(), needs, button->width());
    } else if (const auto *group = qobject_cast<const QGroupBox *>(widget)) {
        if (group->title().isEmpty())
            return;
        const int needs = group->fontMetrics().horizontalAdvance(group->title());
        const int has = group->width();
        if (needs > has)
            problems << describe(group, QStringLiteral(" title"), group->title(), needs, has);
    }
}

} // namespace

QStringList TextsThatDoNotFit(const QWidget *root)
{
    QStringList problems;
    QList<const QWidget *> widgets{root};
    for (const QWidget *child : root->findChildren<QWidget *>())
        widgets << child;
    for (const QWidget *widget : std::as_const(widgets)) {
        if (!widget->isVisible())
            continue;
        if (const auto *view = qobject_cast<const QAbstractItemView *>(widget))
            checkCells(view, problems);
        else
            checkWidget(widget, problems);
    }
    return problems;
}
