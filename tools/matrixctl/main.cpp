// matrixctl: the switcher from the command line. Puts the real clock, the real transports and
// the standard streams together and runs one command.

#include "Matrixctl.h"

#include "link/QtTransportFactory.h"
#include "link/RealClock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("matrixctl"));
    QCoreApplication::setApplicationVersion(QLatin1String(MatrixctlVersion));

    QFile out;
    QFile err;
    QFile in;
    // Unbuffered: a monitor's line reaches a pipe at once.
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    in.open(STDIN_FILENO, QIODevice::ReadOnly);

    RealClock clock;
    Environment env;
    env.out = &out;
    env.err = &err;
    env.in = &in;
    env.outIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    env.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    env.inIsTerminal = ::isatty(STDIN_FILENO) == 1;
    env.clock = &clock;
    env.transports = [](std::uint16_t tcpPort) {
        return std::make_unique<QtTransportFactory>(tcpPort);
    };
    // The Settings.ini every program of the project shares.
    env.settings = SettingsLocation::forThisProgram();
    env.workingDir = QDir::currentPath();

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return RunMatrixctl(arguments, env);
}
