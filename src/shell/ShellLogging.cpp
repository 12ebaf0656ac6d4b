#include "shell/ShellLogging.h"

Q_LOGGING_CATEGORY(lcShell, "matrix.shell", QtInfoMsg)
