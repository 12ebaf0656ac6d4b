#include "ShellRig.h"
#include "TestFiles.h"

#include "link/Frames.h"
#include "shell/SettingsLocation.h"
#include "shell/ui/MainWindow.h"

#include <QFile>

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
        windows = std::make_unique<ProgramWindows>(dialogs, transports, clock, portLister,
                                                   SettingsLocation::inDirectory(dir.path()));
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

QByteArray ShellRig::answerTo(const QByteArray &request, std::uint8_t r4, std::uint16_t w2)
{
    TCommandFrame frame{};
    for (int i = 0; i < int(FrameSize) && i < request.size(); ++i)
        frame[i] = std::uint8_t(request[i]);
    frame[4] = r4;
    frame[5] = 0;
    SetFrameParam(frame, 2, w2);
    RefreshChecksum(frame);
    return QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size()));
}

void ShellRig::answerEveryCommand(std::uint8_t r4, std::uint16_t w2,
                                  std::chrono::milliseconds delay)
{
    serial().responder = [this, r4, w2, delay](const QByteArray &written) {
        if (written.size() != qsizetype(FrameSize))
            return;
        serial().deliverLater(delay, answerTo(written, r4, w2));
    };
}
