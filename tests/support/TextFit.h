#pragma once

#include <QStringList>

class QWidget;

/// The texts under `root` that do not fit their place, one line each naming the control, the
/// text and the pixels it needs and has: cells of item views whose text is wider than the
/// cell less the view's text margins, and visible labels, buttons and group titles narrower
/// than their text. Empty when everything shows whole.
QStringList TextsThatDoNotFit(const QWidget *root);
