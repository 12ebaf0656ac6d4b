#pragma once

#include <QFont>

/// The one font family of every window of the program, at the window's size (16 pixels) or
/// another.
QFont ProgramFont(int pixelSize = 16);
