#include "ui/GroupEnabling.h"

#include <QGroupBox>

void SetGroupEnabled(QGroupBox *group, bool enabled)
{
    // The caption takes the theme's text colour, and its greyed colour while disabled.
    group->setEnabled(enabled);
}
