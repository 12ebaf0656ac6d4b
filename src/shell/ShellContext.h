#pragma once

#include "link/Commands.h"
#include "shell/StatusPanel.h"
#include "shell/settings/SettingsLocation.h"

#include <QObject>
#include <QRandomGenerator>
#include <QString>

#include <memory>

class CommandGate;
class ConnectionController;
class PortLister;
class PortTagsModel;
class RoutingState;
class SettingsFile;
class SharedIniFile;
class StatusBoard;
class TKXCOMControl;
class TextLog;
class TransportFactory;
class WaitClock;

/// What every page of the program shares, without a widget in sight: the link and the two
/// program-wide flags, the command gate, the status texts, the message and trace logs, the
/// connection, the selected network device and the shared models (port tags, routing). It
/// turns the link's numbered notifications into status texts, log lines and typed signals.
class ShellContext : public QObject
{
    Q_OBJECT
public:
    ShellContext(TransportFactory &transports, WaitClock &clock, PortLister &ports,
                 const SettingsLocation &location, QObject *parent = nullptr);
    ~ShellContext() override;

    ProgramFlags &flags() { return m_flags; }
    const ProgramFlags &flags() const { return m_flags; }
    WaitClock &clock() const { return m_clock; }
    PortLister &portLister() const { return m_ports; }
    const SettingsLocation &settingsLocation() const { return m_location; }
    QString settingsFilePath() const { return m_location.filePath(); }
    /// The program's random numbers, seeded once from the clock.
    QRandomGenerator &random() { return m_random; }

    /// The link; null once released at close.
    TKXCOMControl *link() const { return m_link.get(); }
    /// A network search, connect or configuration of the link is under way.
    bool linkBusy() const;
    /// Releases the link now when idle, otherwise as soon as the running exchange has ended
    /// (the exchange still waits on the stack below the caller).
    void releaseLink();
    void releaseLinkWhenIdle();

    CommandGate &gate() const { return *m_gate; }
    StatusBoard &status() const { return *m_status; }
    void ShowStatus(StatusPanel panel, const QString &text, bool blink = false);
    ConnectionController &connection() const { return *m_connection; }
    /// The message area of the firmware page: firmware procedures and the link's log lines.
    TextLog &messages() const { return *m_messages; }
    /// The diagnostic trace.
    TextLog &diagnostics() const { return *m_diagnostics; }
    PortTagsModel &portTags() const { return *m_portTags; }
    RoutingState &routing() const { return *m_routing; }
    SettingsFile &settings() const { return *m_settings; }

    /// The MAC text of the selected network device, "00-00-00-00-00-00" when none.
    QString CurrentDeviceMAC() const { return m_currentDeviceMAC; }
    /// Selects the network device that TCP control mode talks to.
    void selectDevice(const QString &mac, const QString &ip);

    /// Firmware progress starts again from 0 (a new part).
    void resetProgress() { m_lastProgress = 0; }

    /// The link's notifications.
    void DefaultHandler(int code, qint64 wParam, qint64 lParam, const QString &text);

    /// While one lives, the link's failures are kept instead of shown (no text, no blink): a
    /// background read or an automatic reconnection reports them its own way.
    class QuietFailures
    {
    public:
        explicit QuietFailures(ShellContext &context);
        ~QuietFailures();
        QuietFailures(const QuietFailures &) = delete;
        QuietFailures &operator=(const QuietFailures &) = delete;
        /// The text the last failure since then would have shown, or empty.
        QString last() const { return m_context.m_quietFailure; }

    private:
        ShellContext &m_context;
    };

signals:
    /// Firmware progress of a part (notification 2035, a new value only).
    void progress(qint64 part, int value);
    /// A firmware part was declined (notification 2034).
    void partWriteFailed();
    /// Search progress for the search window (notification 2039 with lParam 0).
    void searchProgress(qint64 wParam, qint64 lParam, const QString &text);
    /// The selected network device changed.
    void deviceSelected(const QString &mac);

private:
    ProgramFlags m_flags;
    WaitClock &m_clock;
    PortLister &m_ports;
    SettingsLocation m_location;
    std::unique_ptr<SharedIniFile> m_settingsFile;
    QRandomGenerator m_random;
    std::unique_ptr<TKXCOMControl> m_link;
    StatusBoard *m_status = nullptr;
    CommandGate *m_gate = nullptr;
    TextLog *m_messages = nullptr;
    TextLog *m_diagnostics = nullptr;
    PortTagsModel *m_portTags = nullptr;
    RoutingState *m_routing = nullptr;
    ConnectionController *m_connection = nullptr;
    SettingsFile *m_settings = nullptr;
    QString m_currentDeviceMAC = QLatin1String(NoDeviceMACText);
    std::uint16_t m_lastProgress = 0;
    bool m_releaseLink = false;
    int m_quiet = 0;
    QString m_quietFailure;
};
