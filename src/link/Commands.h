#pragma once

#include <array>
#include <cstdint>

// Control and UDP modes, the link's numbered notifications, and the two program-wide flags.

enum TControlMode { cmLAN = 0, cmCOM = 1 };
enum TUDPMode { umBROADCAST = 0, umNORMAL = 1 };

/// Notifications the link sends to the main window, synchronously and in order.
enum LinkNotification : int {
    NotifyBytesReceived = 2024,
    NotifyTrace = 2025,
    NotifyTimeout = 2026,
    NotifyDataDump = 2028,
    NotifyDataInvalid = 2029,
    NotifyTransferDone = 2030,
    NotifyAccessFailed = 2031,
    NotifyOpenCloseFailed = 2032,
    NotifyPartWriteFailed = 2034,
    NotifyProgress = 2035,
    NotifySendFailed = 2037,
    NotifyLogLine = 2038,
    NotifyStatusText = 2039,
};

/// The two program-wide flags. The main window owns the one instance and sets them; the link
/// reads them at every waiting step.
struct ProgramFlags
{
    bool StopRequested = false; // closing: every wait ends at its next step
    bool CommandIdle = true;    // no exchange in progress
};

inline constexpr std::uint16_t DiscoveryPort = 30600;
inline constexpr std::uint16_t ConfigurationPort = 30601;
inline constexpr std::uint16_t SwitcherTcpPort = 8000;

inline constexpr std::size_t LanDeviceRecordSize = 55;
inline constexpr std::size_t LanConfigRecordSize = 76;
inline constexpr std::size_t LdcdRecordSize = 32;

using TLANConfigRecord = std::array<std::uint8_t, LanConfigRecordSize>;
using TLDCDRecord = std::array<std::uint8_t, LdcdRecordSize>;

struct TLDCDResult
{
    TLDCDRecord Reply{};
    std::uint8_t Success = 0;
};
