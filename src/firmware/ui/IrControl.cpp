#include "firmware/ui/IrControl.h"

#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "ui/WidgetNames.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

IrControl::IrControl(ShellContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("pnlIRControl"));
    const QString caption = QStringLiteral("IR control enable/disable setting");
    auto *group = named(new QGroupBox(caption, this), "gbIRControl", caption);
    auto *groupLayout = new QVBoxLayout(group);
    cbIREnable = named(new QCheckBox(QStringLiteral("Enable IR control"), group), "cbIREnable",
                       QStringLiteral("Enable IR control"));
    cbIREnable->setChecked(true);
    groupLayout->addWidget(cbIREnable);
    // clicked, not toggled: only the operator's change sends a command.
    connect(cbIREnable, &QCheckBox::clicked, this, &IrControl::cbIREnableClick);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);
    layout->addStretch(1);
}

void IrControl::cbIREnableClick()
{
    m_context.ShowStatus(StatusPanel::Hint, QString());
    const bool on = cbIREnable->isChecked();
    TCommandResult result;
    // The box keeps the operator's choice even when the command fails; the failure is
    // reported by the command gate.
    m_context.gate().RunCommand((on ? QStringLiteral("Enable") : QStringLiteral("Disable")) +
                                    QStringLiteral(" IR control ..."),
                                Command::Ir, IrSub::Control, on ? SwitchOn : SwitchOff, 0, result);
}
