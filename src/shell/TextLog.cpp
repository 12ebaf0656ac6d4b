#include "shell/TextLog.h"

void TextLog::add(const QString &line)
{
    m_lines.append(line);
    emit added(line);
}

void TextLog::replaceLast(const QString &line)
{
    if (m_lines.isEmpty()) {
        add(line);
        return;
    }
    m_lines.last() = line;
    emit lastReplaced(line);
}

void TextLog::clear()
{
    m_lines.clear();
    emit cleared();
}
