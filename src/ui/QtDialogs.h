#pragma once

#include "ui/Dialogs.h"

/// The program's dialogs: Qt message boxes and file dialogs.
class QtDialogs final : public Dialogs
{
public:
    void information(QWidget *parent, const QString &text) override;
    void error(QWidget *parent, const QString &text,
               const QString &title = QStringLiteral("Error")) override;
    bool confirm(QWidget *parent, const QString &text) override;
    QString openFile(QWidget *parent, const QString &filter) override;
    QString saveFile(QWidget *parent, const QString &filter) override;
    int showModal(QDialog *dialog) override;

    /// Turns a filter of "description|patterns" pairs ("Binary file(*.bin)|*.bin") into the
    /// form of QFileDialog ("Binary file(*.bin)"; several pairs joined by ";;").
    static QString toQtFilter(const QString &filter);
};
