#pragma once

#include <QStringList>

class QWidget;

/// The texts under `root` that do not fit their place, one line each naming the control, the
/// text and the pixels it needs and has: cells and column headers of item views whose text is
/// wider than the cell less the view's text margins, and visible labels, buttons, drop-down
/// lists and group titles narrower than their text. Empty when everything shows whole.
QStringList TextsThatDoNotFit(const QWidget *root);

/// The visible controls under `root` whose accessible name is empty or lacks one of the words
/// the operator sees on them or on their label ("Set ..." must be named "Set ..."), one line
/// each. Value displays must be named by what they show.
QStringList ControlsNamedWithoutTheirWords(const QWidget *root);
