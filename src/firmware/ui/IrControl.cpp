#include "firmware/ui/IrControl.h"

#include "shell/ui/MainWindow.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGroupBox>

namespace {
constexpr std::uint8_t CmdIr = 0x04;
constexpr std::uint8_t SubIrControl = 0x03;
constexpr std::uint16_t IrOn = 0x000F;
constexpr std::uint16_t IrOff = 0x00F0;
} // namespace

IrControl::IrControl(TForm1 &form, QWidget *page, QObject *parent) : QObject(parent), m_form(form)
{
    const QString caption = QStringLiteral("IR control enable/disable setting");
    gbIRControl = new QGroupBox(caption, page);
    gbIRControl->setObjectName(QStringLiteral("gbIRControl"));
    gbIRControl->setAccessibleName(caption);
    auto *layout = new QVBoxLayout(gbIRControl);
    cbIREnable = new QCheckBox(QStringLiteral("Enable IR control"), gbIRControl);
    cbIREnable->setObjectName(QStringLiteral("cbIREnable"));
    cbIREnable->setAccessibleName(QStringLiteral("Enable IR control"));
    cbIREnable->setChecked(true);
    layout->addWidget(cbIREnable);
    // clicked, not toggled: only the operator's change sends a command.
    connect(cbIREnable, &QCheckBox::clicked, this, &IrControl::cbIREnableClick);

    auto *column = new QWidget(page);
    column->setObjectName(QStringLiteral("pnlIRControl"));
    auto *columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->addWidget(gbIRControl);
    columnLayout->addStretch(1);
    if (page->layout())
        page->layout()->addWidget(column);
}

void IrControl::cbIREnableClick()
{
    m_form.ShowStatus(3, QString());
    const bool on = cbIREnable->isChecked();
    TCommandResult result;
    // The box keeps the operator's choice even when the command fails; the failure is
    // reported by the command gate.
    m_form.RunCommand((on ? QStringLiteral("Enable") : QStringLiteral("Disable")) +
                          QStringLiteral(" IR control ..."),
                      CmdIr, SubIrControl, on ? IrOn : IrOff, 0, 0, 0, result);
}
