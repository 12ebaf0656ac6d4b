#include "lanmodule/ui/EnterYes.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmEnterYes::TfrmEnterYes(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEnterYes"));
    setWindowTitle(QStringLiteral("Confirm to Reset"));
    setAccessibleName(QStringLiteral("Confirm to Reset"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto *group = new QGroupBox(QStringLiteral("Confirmation"), this);
    group->setAccessibleName(QStringLiteral("Confirmation"));
    auto *groupLayout = new QVBoxLayout(group);
    auto *label = new QLabel(QStringLiteral("Enter 'Yes' in the following edit box to confirm "
                                            "Reset Default process."),
                             group);
    label->setWordWrap(true);
    edtYes = new QLineEdit(group);
    edtYes->setObjectName(QStringLiteral("edtYes"));
    edtYes->setAccessibleName(QStringLiteral("Type Yes to confirm"));
    groupLayout->addWidget(label);
    groupLayout->addWidget(edtYes);

    btnYes = new QPushButton(QStringLiteral("Yes"), this);
    btnYes->setObjectName(QStringLiteral("btnYes"));
    btnYes->setAccessibleName(QStringLiteral("Yes"));
    btnYes->setDefault(true);
    btnNo = new QPushButton(QStringLiteral("No"), this);
    btnNo->setObjectName(QStringLiteral("btnNo"));
    btnNo->setAccessibleName(QStringLiteral("No"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnYes);
    buttons->addWidget(btnNo);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(btnYes, &QPushButton::clicked, this, &TfrmEnterYes::btnYesClick);
    connect(btnNo, &QPushButton::clicked, this, &TfrmEnterYes::btnNoClick);
    // The window sees every key before its edit does.
    edtYes->installEventFilter(this);
}

void TfrmEnterYes::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (parentWidget())
        move(parentWidget()->window()->geometry().center() - rect().center());
    FormShow();
}

void TfrmEnterYes::FormShow()
{
    edtYes->clear();
    edtYes->setFocus();
}

void TfrmEnterYes::btnYesClick()
{
    if (edtYes->text() == QLatin1String("Yes")) {
        done(Accepted);
        return;
    }
    edtYes->setFocus();
}

bool TfrmEnterYes::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edtYes && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            btnNoClick();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnYesClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
