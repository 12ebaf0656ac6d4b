#pragma once

#include <QIcon>

/// The program's icon at 48, 64, 128 and 256 px: the PNGs the package installs as the
/// desktop icon, from the Qt resources of matrix_ui.
QIcon ProgramIcon();
