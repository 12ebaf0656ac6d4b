#include "ui/TextLogBinding.h"

#include "shell/TextLog.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

void ShowTextLog(QPlainTextEdit *memo, TextLog &log)
{
    for (const QString &line : log.lines())
        memo->appendPlainText(line);
    QObject::connect(&log, &TextLog::added, memo, [memo](const QString &line, bool paintNow) {
        memo->appendPlainText(line);
        if (paintNow)
            memo->repaint();
    });
    QObject::connect(&log, &TextLog::lastReplaced, memo,
                     [memo](const QString &line, bool paintNow) {
                         QTextCursor cursor(memo->document()->lastBlock());
                         cursor.movePosition(QTextCursor::StartOfBlock);
                         cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                         cursor.insertText(line);
                         if (paintNow)
                             memo->repaint();
                     });
    QObject::connect(&log, &TextLog::cleared, memo, &QPlainTextEdit::clear);
}
