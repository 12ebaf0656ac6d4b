#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

/// The confirmation that asks for the word Yes, typed exactly, before a reset to defaults.
/// Accepted means Yes; every other ending is No.
class TfrmEnterYes : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmEnterYes(QWidget *parent = nullptr);

    void FormShow();
    void btnYesClick();
    void btnNoClick() { done(Rejected); }

    QLineEdit *edtYes = nullptr;
    QPushButton *btnYes = nullptr;
    QPushButton *btnNo = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
