#include "ui/QtDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

QStringList splitPatterns(const QString &patterns)
{
    static const QRegularExpression separators(QStringLiteral("[;, ]+"));
    QStringList list = patterns.split(separators, Qt::SkipEmptyParts);
    for (QString &pattern : list)
        pattern = pattern.trimmed();
    return list;
}

// QFileDialog filters by the patterns in the trailing parentheses of the description, while
// the "|" form filters by the pattern part. Keep the description when its parentheses already
// name the same patterns, otherwise append them so the dialog filters what was asked for.
QString convertPair(const QString &description, const QString &patterns)
{
    const QStringList wanted = splitPatterns(patterns);
    if (wanted.isEmpty())
        return description;
    const QString joined = wanted.join(QLatin1Char(' '));
    const QString text = description.trimmed();
    if (text.isEmpty())
        return joined;
    if (text.endsWith(QLatin1Char(')'))) {
        const qsizetype open = text.lastIndexOf(QLatin1Char('('));
        if (open >= 0) {
            const QString inside = text.mid(open + 1, text.size() - open - 2);
            if (splitPatterns(inside) == wanted)
                return text;
        }
    }
    return text + QStringLiteral(" (") + joined + QLatin1Char(')');
}

QString applicationTitle()
{
    return QApplication::applicationName();
}

} // namespace

void QtDialogs::information(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, applicationTitle(), text, QMessageBox::Ok);
}

void QtDialogs::error(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

bool QtDialogs::confirm(QWidget *parent, const QString &text)
{
    // The confirmations guard overwriting and deleting, so Enter alone must not say Yes.
    const auto answer = QMessageBox::question(parent, applicationTitle(), text,
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

QString QtDialogs::openFile(QWidget *parent, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), toQtFilter(filter));
}

QString QtDialogs::saveFile(QWidget *parent, const QString &filter)
{
    // The callers ask their own question before they overwrite a file; the dialog's would be
    // a second one.
    return QFileDialog::getSaveFileName(parent, QString(), QString(), toQtFilter(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

int QtDialogs::showModal(QDialog *dialog)
{
    if (!dialog)
        return QDialog::Rejected;
    return dialog->exec();
}

QString QtDialogs::toQtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList converted;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString &description = parts.at(i);
        const QString patterns = i + 1 < parts.size() ? parts.at(i + 1) : QString();
        const QString entry = convertPair(description, patterns);
        if (!entry.isEmpty())
            converted.append(entry);
    }
    return converted.join(QStringLiteral(";;"));
}
