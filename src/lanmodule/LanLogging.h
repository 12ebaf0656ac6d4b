#pragma once

#include <QLoggingCategory>

// The network module's logging category, "matrix.lanmodule": devices found, configurations
// sent and their outcome, at debug level.
Q_DECLARE_LOGGING_CATEGORY(lcLan)
