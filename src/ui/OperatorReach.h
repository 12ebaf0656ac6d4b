#pragma once

class QWidget;

/// Whether the operator can reach a control now: it is shown (with every window and group
/// around it) and enabled. Assistive technology reaches exactly what the operator reaches, so
/// an action on a control the window hides does nothing until the window shows it.
bool OperatorCanReach(const QWidget *widget);
