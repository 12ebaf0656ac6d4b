#include "ui/OperatorReach.h"

#include <QWidget>

bool OperatorCanReach(const QWidget *widget)
{
    return widget && widget->isVisible() && widget->isEnabled();
}
