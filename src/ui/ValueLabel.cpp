#include "ui/ValueLabel.h"

void ValueLabel::showText(const QString &text)
{
    const QString before = this->text();
    if (before == text)
        return;
    setText(text);
    AnnounceValueChange(this, before);
}
