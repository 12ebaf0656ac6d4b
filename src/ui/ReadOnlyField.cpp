#include "ui/ReadOnlyField.h"

#include <QApplication>
#include <QEvent>

ReadOnlyField::ReadOnlyField(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
    showButtonFace();
}

void ReadOnlyField::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    // A new theme brings new colours.
    if (event->type() == QEvent::ApplicationPaletteChange)
        showButtonFace();
}

void ReadOnlyField::showButtonFace()
{
    QPalette colours = QApplication::palette(this);
    colours.setColor(QPalette::Base, colours.color(QPalette::Button));
    setPalette(colours);
}
