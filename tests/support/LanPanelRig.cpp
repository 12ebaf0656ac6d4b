#include "LanPanelRig.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLayout>

LanPanelRig::LanPanelRig()
{
    window.layout()->addWidget(panel.deviceGroup());
    window.layout()->addWidget(panel.maintenanceColumn());
}

void LanPanelRig::click(const char *name) const
{
    if (auto *button = child<QAbstractButton>(name))
        button->click();
}

QComboBox *LanPanelRig::devices() const
{
    return child<QComboBox>("cbLANDevice");
}
