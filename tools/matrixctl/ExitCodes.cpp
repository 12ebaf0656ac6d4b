#include "ExitCodes.h"

QString ExitCodeHelp()
{
    return QStringLiteral(
        "Exit codes:\n"
        "  0  done\n"
        "  2  usage: unknown command, missing or bad argument, no --yes where needed\n"
        "  3  the port or host cannot be opened, or the connection broke\n"
        "  4  no answer from the switcher\n"
        "  5  the switcher refused, or its answers were not usable\n"
        "  6  bad input file, or a file that cannot be written\n"
        "  7  the port or the switcher is in use by another program\n");
}
