#include "BuildInfo.h"
#include "CommandLine.h"
#include "ProgramIcon.h"
#include "ProgramWindows.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"
#include "shell/Timers.h"
#include "shell/ViewOptions.h"
#include "shell/connection/SerialPortLister.h"
#include "shell/settings/SettingsLocation.h"
#include "shell/ui/MainWindow.h"
#include "ui/QtDialogs.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (const auto exitCode = CommandLine::handleBeforeApplication(argc, argv))
        return *exitCode;
    QApplication app(argc, argv);
    if (const auto exitCode = CommandLine::rejectUnknown(QCoreApplication::arguments()))
        return *exitCode;
    QApplication::setApplicationName(QStringLiteral("hdmi-matrix-controller"));
    QApplication::setOrganizationName(QStringLiteral("hdmi-matrix-controller"));
    QApplication::setApplicationVersion(QString::fromLatin1(BuildInfo::Version));
    QApplication::setDesktopFileName(QString::fromLatin1(BuildInfo::AppId));
    QApplication::setWindowIcon(ProgramIcon());
    // The program ends when the main window has closed, whatever else is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    RealClock clock;
    QtTransportFactory transports;
    QtDialogs dialogs;
    SerialPortLister ports;
    QtTimers timers;
    const SettingsLocation location = SettingsLocation::forThisProgram();

    ProgramWindows windows(dialogs, transports, clock, ports, location, &timers,
                           ViewOptions::defaultFilePath());
    TForm1 &form = windows.mainWindow();
    QObject::connect(
        &form, &TForm1::closed, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    form.show();
    return QApplication::exec();
}
