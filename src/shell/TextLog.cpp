#include "shell/TextLog.h"

void TextLog::add(const QString &line, bool paintNow)
{
    m_lines.append(line);
    emit added(line, paintNow);
}

void TextLog::replaceLast(const QString &line, bool paintNow)
{
    if (m_lines.isEmpty()) {
        add(line, paintNow);
        return;
    }
    m_lines.last() = line;
    emit lastReplaced(line, paintNow);
}

void TextLog::clear()
{
    m_lines.clear();
    emit cleared();
}
