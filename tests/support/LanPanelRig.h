#pragma once

#include "ContextRig.h"
#include "WidgetFinder.h"

#include "lanmodule/ui/EditLAN.h"
#include "lanmodule/ui/EnterYes.h"
#include "lanmodule/ui/LanDevicePanel.h"
#include "lanmodule/ui/Search.h"
#include "shell/StatusBoard.h"

class QComboBox;

/// The network devices alone on a shell context: the panel with its search wizard,
/// configuration dialog and reset confirmation; its device group and module maintenance
/// column on the rig's window. The controls are as the program creates them, before the window
/// is first shown.
struct LanPanelRig : ContextRig
{
    LanPanelRig();

    template <typename T> T *child(const char *name) const { return Child<T>(&window, name); }
    /// Clicks the button of that name.
    void click(const char *name) const;
    /// The list of known devices.
    QComboBox *devices() const;
    QString status(StatusPanel panel) const { return context.status().text(panel); }

    TfrmSearch search{dialogs};
    TfrmEditLAN editLAN{dialogs, context.random()};
    TfrmEnterYes enterYes;
    LanDevicePanel panel{context, dialogs, search, editLAN, enterYes};
};
