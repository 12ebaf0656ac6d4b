#include "ShellRig.h"
#include "TestFiles.h"

#include "link/Frames.h"
#include "shell/ui/MainWindow.h"

ShellRig::ShellRig(const QStringList &ports)
{
    portLister.names = ports;
}

ShellRig::~ShellRig()
{
    windows.reset();
}

TForm1 &ShellRig::create()
{
    if (!windows) {
        windows = std::make_unique<ProgramWindows>(dialogs, transports, clock, portLister, location,
                                                   nullptr, viewFile);
    }
    return windows->mainWindow();
}

TForm1 &ShellRig::show()
{
    TForm1 &window = create();
    window.show();
    return window;
}

TForm1 &ShellRig::form() const
{
    return windows->mainWindow();
}

QString ShellRig::settingsPath() const
{
    return dir.filePath(QStringLiteral("Settings.ini"));
}

void ShellRig::writeSettings(const QByteArray &content) const
{
    WriteFileBytes(settingsPath(), content);
}

QByteArray ShellRig::readSettings() const
{
    return FileBytes(settingsPath());
}
