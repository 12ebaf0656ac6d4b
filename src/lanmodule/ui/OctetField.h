#pragma once

#include <QLineEdit>

/// An edit of one IPv4 octet: only digits and backspace can be typed, at most three
/// characters, and leaving it holds it within its range (the last octet, Tag 4, 2..252; the
/// others 0..255).
class OctetField : public QLineEdit
{
    Q_OBJECT
public:
    OctetField(int tag, QWidget *parent = nullptr);

    int tag() const { return m_tag; }
    /// Applies the range rule now (also done when the field loses the focus).
    void clamp();
    /// The text as the operator left it, before the range rule changed it.
    QString typedText() const { return m_typed.isNull() ? text() : m_typed; }

signals:
    /// The text was not a number (pasted); it has been reset to the lowest allowed value.
    void invalidNumber(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int m_tag = 0;
    QString m_typed;
};
