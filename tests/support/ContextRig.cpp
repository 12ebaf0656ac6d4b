#include "ContextRig.h"

#include "TestBytes.h"
#include "TestFiles.h"

#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "shell/connection/ConnectionController.h"
#include "ui/ProgramAccessibility.h"

#include <QVBoxLayout>

namespace {

SettingsLocation LocationIn(const QTemporaryDir &dir)
{
    return SettingsLocation::inDirectory(dir.path());
}

} // namespace

ContextRig::ContextRig(const QStringList &ports)
    : context(transports, clock, portLister, LocationIn(dir))
{
    portLister.names = ports;
    // The controls reach assistive technology as in the program.
    InstallProgramAccessibility();
    // As the window's start does with a fresh settings file: serial control mode, the first
    // port chosen, so a command can connect.
    context.connection().rbCOMModeClick();
    context.connection().RefreshComPortList();
    new QVBoxLayout(&window);
}

ContextRig::~ContextRig() = default;

QString ContextRig::settingsPath() const
{
    return dir.filePath(QStringLiteral("Settings.ini"));
}

void ContextRig::writeSettings(const QByteArray &content) const
{
    WriteFileBytes(settingsPath(), content);
}

QByteArray ContextRig::readSettings() const
{
    return FileBytes(settingsPath());
}

bool ContextRig::connect()
{
    if (!context.link()->Connected())
        context.connection().btnConnectClick();
    return context.link()->Connected();
}

QByteArray ContextRig::answerTo(const QByteArray &request, std::uint8_t r4, std::uint16_t w2)
{
    TCommandFrame frame{};
    for (int i = 0; i < int(FrameSize) && i < request.size(); ++i)
        frame[i] = std::uint8_t(request[i]);
    frame[4] = r4;
    frame[5] = 0;
    SetFrameParam(frame, 2, w2);
    RefreshChecksum(frame);
    return AsByteArray(frame);
}

void AnswerEveryCommand(FakeStreamEndpoint &port, std::uint8_t r4, std::uint16_t w2,
                        std::chrono::milliseconds delay)
{
    port.responder = [&port, r4, w2, delay](const QByteArray &written) {
        if (written.size() != qsizetype(FrameSize))
            return;
        port.deliverLater(delay, ContextRig::answerTo(written, r4, w2));
    };
}
