#pragma once

#include <QString>

class QDialog;
class QWidget;

/// Message boxes, file dialogs and modal windows. The windows call only this; the program
/// uses the Qt dialogs, tests a scripted stand-in that records what was asked.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    /// Information box with an OK button.
    virtual void information(QWidget *parent, const QString &text) = 0;
    /// Error box with an OK button.
    virtual void error(QWidget *parent, const QString &text,
                       const QString &title = QStringLiteral("Error")) = 0;
    /// Confirmation with Yes and No; true only for Yes.
    virtual bool confirm(QWidget *parent, const QString &text) = 0;
    /// Open and save dialogs. `filter` is written as "Binary file(*.bin)|*.bin".
    /// An empty result means cancelled.
    virtual QString openFile(QWidget *parent, const QString &filter) = 0;
    virtual QString saveFile(QWidget *parent, const QString &filter) = 0;
    /// Shows a window modally and returns its result code (QDialog::Accepted, ...).
    virtual int showModal(QDialog *dialog) = 0;
};
