#pragma once

#include <QLoggingCategory>

// The firmware module's logging category, "matrix.firmware": each part sent and how it
// ended, at debug level.
Q_DECLARE_LOGGING_CATEGORY(lcFirmware)
