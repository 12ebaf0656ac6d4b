#include "lanmodule/ui/MACField.h"

#include "lanmodule/MACAddressText.h"

#include <QKeyEvent>

MACField::MACField(int tag, QWidget *parent) : QLineEdit(parent)
{
    setProperty("Tag", tag);
    setMaxLength(2);
    setAlignment(Qt::AlignCenter);
    setFixedWidth(32);
    setAccessibleName(QStringLiteral("MAC address byte ") + QString::number(tag));
}

void MACField::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() && event->key() != Qt::Key_Backspace) {
        const auto key = MACAddressText::FilterMACKey(typed.at(0));
        if (key && !isReadOnly())
            insert(QString(*key));
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void MACField::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}
