#pragma once

#include <QLoggingCategory>

// The EDID module's logging category, "matrix.edid": blocks read, sent and refused, files
// that could not be used, at debug level.
Q_DECLARE_LOGGING_CATEGORY(lcEdid)
