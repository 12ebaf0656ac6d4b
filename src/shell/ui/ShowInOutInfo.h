#pragma once

#include <QDialog>

class QFrame;
class QLabel;

/// A small borderless window above the others that lists the port tags while the mouse is
/// over a routing button. A click anywhere on it closes it.
class TfrmShowInOutInfo : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmShowInOutInfo(QWidget *parent = nullptr);

    QFrame *Panel1 = nullptr;
    QLabel *lblInfo = nullptr;

    void lblInfoClick();
    void Panel1Click();
    void FormClick();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
