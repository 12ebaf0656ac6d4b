#include "SimulatedSwitcher.h"

#include <algorithm>

SimulatedSwitcher::SimulatedSwitcher(FakeStreamEndpoint &port)
{
    QObject::connect(
        &device, &SwitcherDevice::transmit, &device,
        [this, &port](const QByteArray &bytes) { port.deliverLater(answerDelay, bytes); });
    port.responder = [this](const QByteArray &written) { device.receive(written); };
}

void SimulatedSwitcher::onFrame(std::function<void(const TCommandFrame &frame)> action)
{
    QObject::connect(&device, &SwitcherDevice::unitReceived, &device,
                     [action = std::move(action)](const QByteArray &unit) {
                         if (unit.size() != qsizetype(FrameSize))
                             return;
                         TCommandFrame frame{};
                         std::copy_n(reinterpret_cast<const std::uint8_t *>(unit.constData()),
                                     FrameSize, frame.begin());
                         action(frame);
                     });
}

QByteArray SimulatedSwitcher::Frame(std::uint8_t command, std::uint8_t subcommand, std::uint16_t p1,
                                    std::uint16_t p2)
{
    const TCommandFrame frame = MakeFrame(command, subcommand, p1, p2);
    return QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size()));
}
