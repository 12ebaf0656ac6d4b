#pragma once

#include <QWidget>

class QCheckBox;
class ShellContext;

/// The switch for the switcher's infrared remote control on the Advanced page. Its state is
/// neither read from the switcher nor stored: it only sends the operator's choice.
class IrControl : public QWidget
{
    Q_OBJECT
public:
    explicit IrControl(ShellContext &context, QWidget *parent = nullptr);

    /// The operator toggled cbIREnable.
    void cbIREnableClick();

private:
    ShellContext &m_context;
    QCheckBox *cbIREnable = nullptr;
};
