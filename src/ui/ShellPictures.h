#pragma once

#include <QPixmap>

/// The small pictures of the main window, drawn at run time so that they need no image
/// format plug-in.
class ShellPictures
{
public:
    /// The connection is open: two plug halves joined, green.
    static QPixmap connectionOpen(int size = 33);
    /// The connection is closed: two plug halves apart, grey and red.
    static QPixmap connectionClosed(int size = 33);
    /// Arrow pointing left ("previous") or right ("next").
    static QPixmap arrow(bool pointsRight, int size = 16);
};
