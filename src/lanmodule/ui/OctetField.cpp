#include "lanmodule/ui/OctetField.h"

#include "lanmodule/IPAddressText.h"

#include <QKeyEvent>

OctetField::OctetField(int tag, QWidget *parent) : QLineEdit(parent), m_tag(tag)
{
    setProperty("Tag", tag);
    setMaxLength(3);
    setAlignment(Qt::AlignCenter);
    setFixedWidth(40);
    setAccessibleName(QStringLiteral("IP address octet ") + QString::number(tag));
    // Any new text (typed or filled in) is what the operator sees from now on.
    connect(this, &QLineEdit::textChanged, this, [this] { m_typed = QString(); });
}

void OctetField::clamp()
{
    const QString before = text();
    const auto clamped = IPAddressText::ClampIPField(before, m_tag);
    if (clamped.text != before) {
        setText(clamped.text);
        m_typed = before;
    }
    if (!clamped.valid)
        emit invalidNumber(before);
}

void OctetField::keyPressEvent(QKeyEvent *event)
{
    // Keys that type something pass only as digits; editing and moving keys stay usable.
    const QString typed = event->text();
    if (!typed.isEmpty() && event->key() != Qt::Key_Backspace) {
        const bool printable = typed.at(0).isPrint();
        if (printable && !IPAddressText::IsOctetKey(typed.at(0))) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void OctetField::focusOutEvent(QFocusEvent *event)
{
    clamp();
    QLineEdit::focusOutEvent(event);
}
