#pragma once

#include <QObject>

class QCheckBox;
class QGroupBox;
class QWidget;
class TForm1;

/// The switch for the switcher's infrared remote control on the Advanced page. Its state is
/// neither read from the switcher nor stored: it only sends the operator's choice.
class IrControl : public QObject
{
    Q_OBJECT
public:
    IrControl(TForm1 &form, QWidget *page, QObject *parent = nullptr);

    /// The operator toggled cbIREnable.
    void cbIREnableClick();

    QGroupBox *gbIRControl = nullptr;
    QCheckBox *cbIREnable = nullptr;

private:
    TForm1 &m_form;
};
