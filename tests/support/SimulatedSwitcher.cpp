#include "SimulatedSwitcher.h"
#include "SimExchange.h"

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
    OnEveryFrame(device, std::move(action));
}

QByteArray SimulatedSwitcher::Frame(std::uint8_t command, std::uint8_t subcommand, std::uint16_t p1,
                                    std::uint16_t p2)
{
    return FrameBytes(command, subcommand, p1, p2);
}
