#include "firmware/FirmwareLogging.h"

Q_LOGGING_CATEGORY(lcFirmware, "matrix.firmware", QtInfoMsg)
