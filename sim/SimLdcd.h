#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

#include <array>
#include <cstdint>

class SwitcherDevice;

/// The switcher's network module as seen over the serial line: it answers the 32-byte LDCD
/// records (query and reset to defaults). Requests with a wrong checksum or without the
/// request mark get no answer. The answer faults (receive mark 0xFF, bad checksum, silence)
/// come from the device's fault plan.
class SimLdcd : public QObject
{
    Q_OBJECT
public:
    static constexpr std::uint8_t CommandQuery = 0x01;
    static constexpr std::uint8_t CommandReset = 0xFF;

    explicit SimLdcd(SwitcherDevice &device, QObject *parent = nullptr);
    ~SimLdcd() override;

    std::uint8_t versionMajor = 1;
    std::uint8_t versionMinor = 5;
    bool dhcp = false;
    std::array<std::uint8_t, 4> address{10, 0, 0, 7};

    /// Every record received, as received.
    QList<QByteArray> received;
    int resets = 0;

private:
    void handle(const QByteArray &record);

    SwitcherDevice &m_device;
};
