#pragma once

#include <QDateTime>
#include <QString>

/// Keeps a copy of `path` beside it, named path + "." + label + "-<yyyyMMdd>-<HHmmss>" (with
/// "-2", "-3", ... added when that name is taken). Returns the copy's path, or an empty text
/// when no copy could be made.
QString KeepCopyBeside(const QString &path, const QString &label, const QDateTime &moment);
