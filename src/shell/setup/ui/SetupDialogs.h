#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;

/// Export setup: whether the user EDID memories go into the file too.
class SetupExportDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SetupExportDialog(QWidget *parent = nullptr);

    bool withUserEdid() const;
    QCheckBox *cbExportUserEdid = nullptr;
};

/// Import setup: what the import would change; OK applies it.
class SetupImportDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SetupImportDialog(const QStringList &changes, QWidget *parent = nullptr);

    QStringList changes() const;
    QListWidget *lvImportChanges = nullptr;
};

/// The progress of applying an import, shown while it runs (input to the window waits).
class SetupProgressDialog : public QDialog
{
    Q_OBJECT
public:
    SetupProgressDialog(int steps, QWidget *parent = nullptr);

    /// `done` steps are made; `text` is the one being made now.
    void showStep(int done, const QString &text);
    int value() const;

    QProgressBar *pbImport = nullptr;

private:
    QLabel *m_step = nullptr;
};
