#pragma once

#include <QLoggingCategory>

// The shell's logging category, "matrix.shell": the command gate's exchanges, refusals and
// queued jobs at debug level (QT_LOGGING_RULES="matrix.shell.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcShell)
