#include "shell/setup/ui/SetupDialogs.h"

#include "ui/WidgetNames.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

QDialogButtonBox *OkCancel(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName(QStringLiteral("btnSetupButtons"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

SetupExportDialog::SetupExportDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmExportSetup"));
    setWindowTitle(QStringLiteral("Export setup"));
    setAccessibleName(QStringLiteral("Export setup"));
    auto *layout = new QVBoxLayout(this);
    const QString caption =
        QStringLiteral("Include the contents of the user EDID memories (read from the switcher)");
    cbExportUserEdid = named(new QCheckBox(caption, this), "cbExportUserEdid", caption);
    layout->addWidget(cbExportUserEdid);
    layout->addWidget(OkCancel(this));
}

bool SetupExportDialog::withUserEdid() const
{
    return cbExportUserEdid->isChecked();
}

SetupImportDialog::SetupImportDialog(const QStringList &changes, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmImportSetup"));
    setWindowTitle(QStringLiteral("Import setup"));
    setAccessibleName(QStringLiteral("Import setup"));
    auto *layout = new QVBoxLayout(this);
    auto *note = new QLabel(QStringLiteral("OK makes these changes:"), this);
    layout->addWidget(note);
    lvImportChanges =
        named(new QListWidget(this), "lvImportChanges", QStringLiteral("Changes of the import"));
    lvImportChanges->addItems(changes);
    lvImportChanges->setMinimumWidth(520);
    note->setBuddy(lvImportChanges);
    layout->addWidget(lvImportChanges);
    layout->addWidget(OkCancel(this));
}

QStringList SetupImportDialog::changes() const
{
    QStringList texts;
    for (int i = 0; i < lvImportChanges->count(); ++i)
        texts.append(lvImportChanges->item(i)->text());
    return texts;
}

SetupProgressDialog::SetupProgressDialog(int steps, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmImportProgress"));
    setWindowTitle(QStringLiteral("Importing setup"));
    setAccessibleName(QStringLiteral("Importing setup"));
    setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(this);
    m_step = named(new QLabel(this), "lblImportStep", QStringLiteral("Change being made"));
    m_step->setTextFormat(Qt::PlainText);
    m_step->setMinimumWidth(420);
    pbImport = named(new QProgressBar(this), "pbImport", QStringLiteral("Import progress"));
    pbImport->setRange(0, steps);
    pbImport->setValue(0);
    layout->addWidget(m_step);
    layout->addWidget(pbImport);
}

void SetupProgressDialog::showStep(int done, const QString &text)
{
    pbImport->setValue(done);
    m_step->setText(text);
    repaint();
}

int SetupProgressDialog::value() const
{
    return pbImport->value();
}
