#pragma once

#include <QLineEdit>

/// An edit of one MAC byte: two hexadecimal digits, typed letters upper-cased.
class MACField : public QLineEdit
{
    Q_OBJECT
public:
    MACField(int tag, QWidget *parent = nullptr);

signals:
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
