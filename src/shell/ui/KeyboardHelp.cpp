#include "shell/ui/KeyboardHelp.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

KeyboardHelp::KeyboardHelp(const QString &scheme, QWidget *parent)
    : QDialog(parent), m_scheme(scheme)
{
    setObjectName(QStringLiteral("frmKeyboardHelp"));
    setWindowTitle(QStringLiteral("Keyboard shortcuts"));
    setAccessibleName(QStringLiteral("Keyboard shortcuts"));
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(this);
    text->setObjectName(QStringLiteral("lblKeyboardScheme"));
    text->setAccessibleName(QStringLiteral("Keyboard shortcuts"));
    text->setTextFormat(Qt::PlainText);
    text->setText(scheme);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("btnKeyboardHelpClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
