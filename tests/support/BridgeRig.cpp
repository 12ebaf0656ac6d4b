#include "BridgeRig.h"
#include "TestFiles.h"

#include "link/Frames.h"
#include "link/KXCOMControl.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>

using namespace std::chrono_literals;

QList<QByteArray> SplitBlocks(const QByteArray &text)
{
    QList<QByteArray> blocks;
    qsizetype start = 0;
    for (qsizetype end = text.indexOf("\n\n"); end >= 0; end = text.indexOf("\n\n", start)) {
        blocks.append(text.mid(start, end - start));
        start = end + 2;
    }
    return blocks;
}

namespace {

Bridge::BridgeConfig Named(Bridge::BridgeConfig config, const ConnectionTarget &target)
{
    config.switcherName = target.describe();
    return config;
}

SettingsLocation WithSettings(const QTemporaryDir &dir, const QByteArray &settings)
{
    const SettingsLocation location = SettingsLocation::inDirectory(dir.path());
    if (!settings.isEmpty())
        WriteFileBytes(location.filePath(), settings);
    return location;
}

} // namespace

ConnectionTarget BridgeRig::SerialTarget()
{
    ConnectionTarget target;
    target.serialPort = QStringLiteral("ttyUSB0");
    return target;
}

BridgeRig::BridgeRig(const ConnectionTarget &target, const QByteArray &settings,
                     Bridge::BridgeConfig config)
    : session(transports, clock, WithSettings(dir, settings), target), context(session.context()),
      bridge(session, timers, Named(config, target))
{
    for (FakeStreamEndpoint *endpoint : {transports.serial, transports.tcp})
        endpoint->responder = [this](const QByteArray &written) { device.receive(written); };
    QObject::connect(&device, &SwitcherDevice::transmit, &device, [this](const QByteArray &bytes) {
        const bool serial = context.link()->ControlMode() == cmCOM;
        (serial ? transports.serial : transports.tcp)->deliverLater(answerDelay, bytes);
    });
    QObject::connect(&bridge, &Bridge::VideohubBridge::logLine, &bridge,
                     [this](const QString &line) {
                         log << QString::number(clock.elapsedMs()) + QStringLiteral(" ms: ") + line;
                     });
}

bool BridgeRig::start()
{
    // The first attempt to reach the switcher always says how it went.
    const qsizetype before = log.size();
    bridge.start();
    waitFor([&] { return log.size() > before; });
    return bridge.online();
}

void BridgeRig::advance(std::chrono::milliseconds duration)
{
    for (auto passed = 0ms; passed < duration; passed += 10ms) {
        clock.advance(std::min(10ms, duration - passed));
        QCoreApplication::processEvents();
    }
}

bool BridgeRig::waitFor(const std::function<bool()> &done, int limitMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs)
            return false;
        QTest::qWait(1);
    }
    return true;
}

QString BridgeRig::settingsPath() const
{
    return context.settingsFilePath();
}

QString BridgeRig::simRouting() const
{
    QStringList inputs;
    for (int output = 0; output < 4; ++output)
        inputs << QString::number(device.state().routing[std::size_t(output)]);
    return inputs.join(QLatin1Char(','));
}

QStringList BridgeRig::sentRoutes() const
{
    QStringList routes;
    for (const QByteArray &unit : device.state().received) {
        if (unit.size() == qsizetype(FrameSize) && unit[2] == 0x02 && unit[3] == 0x03)
            routes << QString::number(int(unit[6])) + QLatin1Char('<') +
                          QString::number(int(unit[4]));
    }
    return routes;
}
