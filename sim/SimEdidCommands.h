#pragma once

#include "link/Frames.h"
#include "SimEdid.h"

#include <QByteArray>

#include <cstdint>

class SwitcherDevice;
struct SwitcherState;

/// The EDID commands of the simulated switcher (command 0x03): set a mode, copy a display's
/// EDID, restore the default, the control mode query, and the two block transfers (read
/// towards the controller, download towards the switcher).
class SimEdidCommands
{
public:
    explicit SimEdidCommands(SwitcherDevice &device);

    void handle(const TCommandFrame &request);
    /// Ends any running transfer.
    void reset();

    bool reading() const { return !m_readBlock.isEmpty(); }
    bool downloading() const { return m_downloading; }

private:
    SwitcherState &state();
    void setMode(const TCommandFrame &request);
    void copyDisplay(const TCommandFrame &request);
    void restoreDefault(const TCommandFrame &request);
    void startRead(const TCommandFrame &request);
    void readRequest(const TCommandFrame &request);
    void sendReadPacket(qsizetype offset);
    void startDownload(const TCommandFrame &request);
    void downloadPacket(const QByteArray &packet);
    void store(const SimEdidBlock &block);

    SwitcherDevice &m_device;

    QByteArray m_readBlock;
    TCommandFrame m_readStart{};
    qsizetype m_readOffset = 0; // start of the packet sent last
    qsizetype m_readNext = 0;   // start of the packet to send next

    bool m_downloading = false;
    TCommandFrame m_downloadStart{};
    QByteArray m_downloaded;
};
