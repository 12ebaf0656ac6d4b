#pragma once

#include <QDialog>
#include <QStringList>

class QFrame;
class QLabel;

/// A small borderless window above the others that lists the port tags while the mouse is
/// over a routing button. A click anywhere on it closes it.
class TfrmShowInOutInfo : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmShowInOutInfo(QWidget *parent = nullptr);

    /// Shows the lines, one under the other, and fits the window around them.
    void showLines(const QStringList &lines);
    QString text() const;

    void lblInfoClick();
    void Panel1Click();
    void FormClick();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QFrame *Panel1 = nullptr;
    QLabel *lblInfo = nullptr;
};
