#pragma once

/// Makes the program's controls reach assistive technology as the operator reaches them:
/// buttons run the operator's handlers, hidden controls and tabs offer no action, drop-down
/// lists keep their labels, value displays read out what they show. Call once a
/// QApplication exists; calling it again changes nothing.
void InstallProgramAccessibility();
