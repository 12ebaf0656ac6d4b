#include "edid/EdidLogging.h"

Q_LOGGING_CATEGORY(lcEdid, "matrix.edid", QtInfoMsg)
