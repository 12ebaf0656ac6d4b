#pragma once

#include "link/Frames.h"

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <map>
#include <tuple>

class SwitcherDevice;

/// The firmware side of the simulated switcher (command 0x20): it accepts part writes, keeps
/// the plain image received for every part, and can be told to decline a part or a packet.
/// A main part takes two announcements (p1 = 0x0080, then 0x0010) and full 270-byte packets;
/// a slave part takes packets of 14 + n bytes. After a complete main part the switcher
/// restarts itself and stays silent for the state's restart time, as after the restart
/// command.
///
/// Attach one to a device; it registers itself as the handler of command 0x20.
class SimFirmware : public QObject
{
    Q_OBJECT
public:
    explicit SimFirmware(SwitcherDevice &device, QObject *parent = nullptr);

    /// The start of this part is answered "D" (the switcher declines it).
    void declinePart(std::uint8_t kind, std::uint16_t partNumber, bool declined = true);
    /// The packet with this sequence number is answered "D" `times` times, then accepted.
    void declinePacket(std::uint8_t kind, std::uint16_t partNumber, std::uint16_t sequence,
                       int times);

    /// The plain bytes received for a part so far (empty when it never started).
    QByteArray image(std::uint8_t kind, std::uint16_t partNumber) const;
    /// The part's last packet has been accepted.
    bool complete(std::uint8_t kind, std::uint16_t partNumber) const;
    /// Versions of the last start of a part, as (version 1, version 2).
    std::pair<std::uint16_t, std::uint16_t> versions(std::uint8_t kind,
                                                     std::uint16_t partNumber) const;
    int partsStarted() const { return m_partsStarted; }
    int packetsAccepted() const { return m_packetsAccepted; }
    int packetsRefused() const { return m_packetsRefused; }
    /// Restarts that followed a complete main part.
    int selfRestarts() const { return m_selfRestarts; }

signals:
    void partCompleted(std::uint8_t kind, std::uint16_t partNumber);

private:
    using Key = std::pair<std::uint8_t, std::uint16_t>;
    using PacketKey = std::tuple<std::uint8_t, std::uint16_t, std::uint16_t>;
    struct Part
    {
        QByteArray image;
        std::uint16_t version1 = 0;
        std::uint16_t version2 = 0;
        bool complete = false;
    };
    enum class Phase { Idle, AwaitLeave, AwaitErase, Receiving };

    void handleFrame(const TCommandFrame &request);
    void start(const TCommandFrame &request);
    void announce(const TCommandFrame &request);
    void handlePacket(const QByteArray &packet);
    bool packetIntact(const QByteArray &packet) const;
    void endTransfer();

    SwitcherDevice &m_device;
    std::map<Key, Part> m_parts;
    std::map<Key, bool> m_declinedParts;
    std::map<PacketKey, int> m_declinedPackets;

    Phase m_phase = Phase::Idle;
    Key m_current{0, 0};
    std::uint16_t m_nextSequence = 0;
    int m_partsStarted = 0;
    int m_packetsAccepted = 0;
    int m_packetsRefused = 0;
    int m_selfRestarts = 0;
};
