#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

/// A list of text lines that a memo shows: the message area of the firmware page, the
/// diagnostic trace. Lines are added, the last one replaced, or all cleared. With `paintNow`
/// the memo is to paint at once: the link's log lines are seen while the thread is busy.
class TextLog : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    void add(const QString &line, bool paintNow = false);
    void replaceLast(const QString &line, bool paintNow = false);
    void clear();
    QString last() const { return m_lines.isEmpty() ? QString() : m_lines.constLast(); }
    const QStringList &lines() const { return m_lines; }

signals:
    void added(const QString &line, bool paintNow);
    void lastReplaced(const QString &line, bool paintNow);
    void cleared();

private:
    QStringList m_lines;
};
