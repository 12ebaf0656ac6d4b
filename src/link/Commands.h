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

// ---------------------------------------------------------------------------------------------
// The switcher's command table: command byte (frame byte 2), subcommand (byte 3) and the
// parameter values with a meaning of their own. Every part of the program names them from here.

enum class Command : std::uint8_t {
    Info = 0x01,
    Routing = 0x02,
    Edid = 0x03,
    Ir = 0x04,
    Firmware = 0x20,
    System = 0x80,
};

enum class InfoSub : std::uint8_t {
    Kind = 1,
    Size = 2,
    Version = 3,
    InputConnection = 4,
    OutputConnection = 5,
};

enum class RoutingSub : std::uint8_t {
    GetRoute = 1,
    SetRoute = 3,
};

enum class EdidSub : std::uint8_t {
    SetModeAll = 1,
    SetModeOne = 2,
    CopyAll = 3,
    CopyOne = 4,
    Read = 5,
    DownloadAll = 6,
    DownloadOne = 7,
    Prepare = 8,
    DefaultAll = 9,
    DefaultOne = 10,
    QueryControlMode = 11,
};

enum class IrSub : std::uint8_t {
    Control = 3,
};

enum class SystemSub : std::uint8_t {
    Restart = 2,
};

/// p1 of the device-wide information queries.
inline constexpr std::uint16_t WholeDevice = 0x00FE;
/// p1 of the IR switch and of the restart command.
inline constexpr std::uint16_t SwitchOn = 0x000F;
inline constexpr std::uint16_t SwitchOff = 0x00F0;
/// r6 of a port connection answer.
inline constexpr std::uint8_t PortConnected = 0x00;
inline constexpr std::uint8_t PortNotConnected = 0xFF;

/// What the link expects back for an exchange: it sets the length of the answer it collects.
enum class ReplyKind : std::uint8_t {
    Frame = 0,       ///< a 13-byte answer frame
    Packet = 1,      ///< a 270-byte data packet
    SlaveAnswer = 3, ///< the 13-byte answer to a slave firmware packet
    MainAnswer = 4,  ///< the 13-byte answer to a main firmware packet
    Ldcd = 6,        ///< a 32-byte network module record
};

/// The MAC text that stands for "no network device selected".
inline constexpr const char *NoDeviceMACText = "00-00-00-00-00-00";
