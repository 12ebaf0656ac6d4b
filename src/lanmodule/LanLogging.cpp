#include "lanmodule/LanLogging.h"

Q_LOGGING_CATEGORY(lcLan, "matrix.lanmodule", QtInfoMsg)
