#pragma once

class QGroupBox;

/// Enables or disables a group and gives its caption the colour that goes with it.
void SetGroupEnabled(QGroupBox *group, bool enabled);
