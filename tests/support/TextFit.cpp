#include "TextFit.h"

#include "ui/AccessibleValue.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
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
    const int margin =
        2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) +
        (qobject_cast<const QTableView *>(view) ? 1 : 0);
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
            const QModelIndex index = model->index(row, column);
            const QString text = index.data().toString();
            const QRect cell = view->visualRect(index);
            if (text.isEmpty() || cell.isEmpty())
                continue;
            const QVariant itemFont = index.data(Qt::FontRole);
            const QFontMetrics metrics(itemFont.isValid() ? itemFont.value<QFont>() : view->font());
            const int needs = widestLine(metrics, text);
            const int has = cell.width() - margin;
            if (needs > has)
                problems << describe(view, QStringLiteral("[%1,%2]").arg(row).arg(column), text,
                                     needs, has);
        }
    }
}

void checkHeader(const QTableView *view, QStringList &problems)
{
    const QHeaderView *header = view->horizontalHeader();
    const QAbstractItemModel *model = view->model();
    if (!model || !header->isVisible())
        return;
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int section = 0; section < model->columnCount(); ++section) {
        const QString text = model->headerData(section, Qt::Horizontal).toString();
        if (text.isEmpty() || header->isSectionHidden(section))
            continue;
        const int needs = header->fontMetrics().horizontalAdvance(text) + margin;
        const int has = header->sectionSize(section);
        if (needs > has)
            problems << describe(view, QStringLiteral(" header %1").arg(section), text, needs, has);
    }
}

void checkComboBox(const QComboBox *box, QStringList &problems)
{
    const QString text = box->currentText();
    if (text.isEmpty())
        return;
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = box->isEditable();
    option.frame = box->hasFrame();
    const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, box);
    // The field keeps a few pixels of its own around the text.
    const int needs = box->fontMetrics().horizontalAdvance(text) + 4;
    if (needs > field.width())
        problems << describe(box, QString(), text, needs, field.width());
}

void checkWidget(const QWidget *widget, QStringList &problems)
{
    if (const auto *box = qobject_cast<const QComboBox *>(widget)) {
        checkComboBox(box, problems);
        return;
    }
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        if (label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull())
            return;
        const int needs = widestLine(label->fontMetrics(), label->text());
        const int has = label->contentsRect().width() - 2 * label->margin() - label->indent();
        if (needs > has)
            problems << describe(label, QString(), label->text(), needs, has);
    } else if (const auto *push = qobject_cast<const QPushButton *>(widget)) {
        if (push->text().isEmpty())
            return;
        // The text and the style's margins; the style's minimum width of a button is no
        // part of what a short caption ("×") needs.
        const QStyle *style = push->style();
        const int margins = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, push) +
                            2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, push);
        const QString text = QString(push->text()).remove(QLatin1Char('&'));
        const int needs = push->fontMetrics().horizontalAdvance(text) + margins;
        if (needs > push->width())
            problems << describe(push, QString(), push->text(), needs, push->width());
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
        if (const auto *table = qobject_cast<const QTableView *>(widget))
            checkHeader(table, problems);
    }
    return problems;
}

namespace {

bool isControl(const QWidget *widget)
{
    return qobject_cast<const QAbstractButton *>(widget) ||
           qobject_cast<const QComboBox *>(widget) || qobject_cast<const QLineEdit *>(widget) ||
           qobject_cast<const QPlainTextEdit *>(widget) ||
           qobject_cast<const QAbstractItemView *>(widget) ||
           qobject_cast<const QAbstractSlider *>(widget) ||
           dynamic_cast<const AccessibleValue *>(widget);
}

/// The words of a caption: letters and digits, without the mnemonic marks.
QStringList wordsOf(const QString &caption)
{
    static const QRegularExpression separators(QStringLiteral("[^\\p{L}\\p{N}]+"));
    return QString(caption).remove(QLatin1Char('&')).split(separators, Qt::SkipEmptyParts);
}

/// What the operator reads on a control or beside it.
QStringList visibleWords(const QWidget *widget, const QList<const QLabel *> &labels)
{
    QStringList words;
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        words << wordsOf(button->text());
    if (const auto *value = dynamic_cast<const AccessibleValue *>(widget))
        words << wordsOf(value->accessibleValue());
    for (const QLabel *label : labels) {
        if (label->buddy() == widget && label->isVisible())
            words << wordsOf(label->text());
    }
    return words;
}

} // namespace

QStringList ControlsNamedWithoutTheirWords(const QWidget *root)
{
    QList<const QWidget *> widgets{root};
    QList<const QLabel *> labels;
    for (const QWidget *child : root->findChildren<QWidget *>()) {
        widgets << child;
        if (const auto *label = qobject_cast<const QLabel *>(child))
            labels << label;
    }
    QStringList problems;
    for (const QWidget *widget : std::as_const(widgets)) {
        // Parts Qt builds inside its own widgets are named by their owners.
        const QString objectName = widget->objectName();
        if (!widget->isVisible() || !isControl(widget) || objectName.isEmpty() ||
            objectName.startsWith(QLatin1String("qt_")))
            continue;
        QAccessibleInterface *accessible =
            QAccessible::queryAccessibleInterface(const_cast<QWidget *>(widget));
        const QString name = accessible ? accessible->text(QAccessible::Name) : QString();
        if (name.trimmed().isEmpty()) {
            problems << objectName + QStringLiteral(" has no accessible name");
            continue;
        }
        for (const QString &word : visibleWords(widget, labels)) {
            if (!name.contains(word, Qt::CaseInsensitive))
                problems << objectName + QStringLiteral(" is named \"") + name +
                                QStringLiteral("\" without \"") + word + QLatin1Char('"');
        }
    }
    return problems;
}
