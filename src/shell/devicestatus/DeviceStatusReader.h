#pragma once

#include "shell/devicestatus/SwitcherQueries.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class ShellContext;

/// One line of the device information: its text, and whether it stands out (a connected
/// port).
struct StatusLine
{
    QString text;
    bool bold = false;

    bool operator==(const StatusLine &) const = default;
};

/// The switcher's kind, size and version and the connection state of each port, read when
/// the operator asks for it; and the two single queries the EDID operations use. Keeps the
/// lines the General page shows.
class DeviceStatusReader : public QObject
{
    Q_OBJECT
public:
    static constexpr int PortCount = 8;
    static constexpr int VisiblePorts = 4;

    /// QueryOutputConnection answers.
    static constexpr std::uint8_t DisplayConnected = 15;
    static constexpr std::uint8_t DisplayNotConnected = 240;
    static constexpr std::uint8_t QueryFailed = 255;

    explicit DeviceStatusReader(ShellContext &context, QObject *parent = nullptr);

    const StatusLine &deviceLine() const { return m_device; }
    const StatusLine &versionLine() const { return m_version; }
    /// Port n (1..8).
    const StatusLine &inputLine(int port) const { return m_inputs[std::size_t(port - 1)]; }
    const StatusLine &outputLine(int port) const { return m_outputs[std::size_t(port - 1)]; }

    /// Reads and shows kind, size, version and the port states; the Success of the last
    /// exchange (false when it stopped early).
    bool ReadDeviceInfo();
    /// Every line back to "Not known".
    void ResetDeviceInfo();
    /// 15 when output `output` has a display connected, 240 when not, 255 when the query
    /// failed.
    std::uint8_t QueryOutputConnection(int output);
    /// The switcher's EDID control mode byte, or 255 when the query failed.
    std::uint8_t QueryEDIDControlMode();

    /// "HDMI Matrix" and the others for codes 1..3; "Unknown (code)" for any other code.
    static QString KindName(int code);
    /// "Device: HDMI Matrix, 4x4".
    static QString DeviceText(const SwitcherInfo &info);
    /// "Version: 1.2".
    static QString VersionText(const SwitcherInfo &info);
    static QString portName(bool output, int port);

signals:
    void linesChanged();
    /// The switcher reported its size: `inputs` x `outputs`.
    void sizeRead(int inputs, int outputs);

private:
    /// The line of a port after its connection query (nothing: the query failed).
    void showPortLine(bool output, int port, std::optional<PortState> state);

    ShellContext &m_context;
    StatusLine m_device;
    StatusLine m_version;
    std::array<StatusLine, PortCount> m_inputs;
    std::array<StatusLine, PortCount> m_outputs;
};
