#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

/// A list of text lines that a memo shows: the message area of the firmware page, the
/// diagnostic trace. Lines are added, the last one replaced, or all cleared.
class TextLog : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    void add(const QString &line);
    void replaceLast(const QString &line);
    void clear();
    QString last() const { return m_lines.isEmpty() ? QString() : m_lines.constLast(); }
    const QStringList &lines() const { return m_lines; }

signals:
    void added(const QString &line);
    void lastReplaced(const QString &line);
    void cleared();

private:
    QStringList m_lines;
};
