#include "ui/GroupEnabling.h"

#include <QGroupBox>

void SetGroupEnabled(QGroupBox *group, bool enabled)
{
    group->setEnabled(enabled);
    QPalette colours = group->palette();
    const QColor caption = enabled ? QColor(Qt::black) : QColor(128, 128, 128);
    colours.setColor(QPalette::WindowText, caption);
    colours.setColor(QPalette::Text, caption);
    group->setPalette(colours);
}
