#pragma once

#include "shell/LinkFailures.h"

#include <QString>

/// The exit codes come from the core's failure table, so that matrixctl and the desktop
/// program describe a failure of the link in the same words.
using ExitCode = LinkFailures::ExitCode;

/// The exit code table, as --help shows it.
QString ExitCodeHelp();
