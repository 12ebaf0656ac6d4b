#include "link/QtTransportFactory.h"
#include "link/RealClock.h"
#include "shell/SerialPortLister.h"
#include "shell/SettingsLocation.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramWindows.h"
#include "ui/QtDialogs.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hdmi-matrix-controller"));
    QApplication::setOrganizationName(QStringLiteral("hdmi-matrix-controller"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("hdmi-matrix-controller"));
    // The program ends when the main window has closed, whatever else is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    RealClock clock;
    QtTransportFactory transports;
    QtDialogs dialogs;
    SerialPortLister ports;
    const SettingsLocation location = SettingsLocation::forThisProgram();

    ProgramWindows windows(dialogs, transports, clock, ports, location);
    TForm1 &form = windows.mainWindow();
    QObject::connect(
        &form, &TForm1::closed, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    form.show();
    return QApplication::exec();
}
