#pragma once

#include "FakeTransports.h"

#include "SwitcherDevice.h"
#include "link/Frames.h"

#include <QByteArray>
#include <QList>

#include <chrono>
#include <cstdint>
#include <functional>

/// The simulated switcher behind a fake serial port: every byte the link writes goes to the
/// simulator, every answer comes back through the event loop after `answerDelay` of virtual
/// time. A page alone on a ContextRig talks to it as the program talks to a switcher.
struct SimulatedSwitcher
{
    explicit SimulatedSwitcher(FakeStreamEndpoint &port);

    SwitcherState &state() { return device.state(); }
    SimFaults &faults() { return device.faults(); }
    /// Frames the simulator received, as received.
    QList<QByteArray> received() const { return device.state().received; }
    void clearReceived() { device.state().clearLogs(); }
    /// Runs `action` with each frame the simulator receives, before it is answered.
    void onFrame(std::function<void(const TCommandFrame &frame)> action);

    /// A command frame as it must appear on the wire.
    static QByteArray Frame(std::uint8_t command, std::uint8_t subcommand, std::uint16_t p1,
                            std::uint16_t p2 = 0);

    SwitcherDevice device;
    std::chrono::milliseconds answerDelay{0};
};
