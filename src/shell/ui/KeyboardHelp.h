#pragma once

#include <QDialog>

/// Help > Keyboard shortcuts: the keys of the window, as a table of text.
class KeyboardHelp : public QDialog
{
    Q_OBJECT
public:
    explicit KeyboardHelp(const QString &scheme, QWidget *parent = nullptr);

    QString scheme() const { return m_scheme; }

private:
    QString m_scheme;
};
