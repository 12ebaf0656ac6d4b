#pragma once

#include "link/Commands.h"
#include "link/Frames.h"
#include "shell/SettingsLocation.h"
#include "shell/ui/SecondaryWindows.h"
#include "shell/ui/ShellHooks.h"

#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QRandomGenerator>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class ConnectionPanel;
class DeviceStatusView;
class Dialogs;
class EdidPage;
class PortLister;
class PortTagsPage;
class PresetsView;
class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class SettingsFile;
class RoutingView;
class StatusPanel;
class TKXCOMControl;
class TransportFactory;
class WaitClock;

/// The main window: owner of the link and of the program-wide flags, host of the pages, the
/// status bar, the gate every command passes (RunCommand) and the handler of the link's
/// notifications. Features of the pages add their controls to the pages and plug their steps
/// into hooks().
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    TForm1(Dialogs &dialogs, TransportFactory &transports, WaitClock &clock, PortLister &ports,
           const SettingsLocation &location, QWidget *parent = nullptr);
    ~TForm1() override;

    static constexpr int ClientWidth = 1025;
    static constexpr int ClientHeight = 580;
    static constexpr std::array<int, 5> PanelWidths{185, 235, 300, 135, 50};

    /// The windows created after this one; called once, before the window is shown.
    void setSecondaryWindows(const SecondaryWindows &windows) { m_windows = windows; }
    const SecondaryWindows &windows() const { return m_windows; }

    // Services.
    Dialogs &dialogs() const { return m_dialogs; }
    WaitClock &clock() const { return m_clock; }
    PortLister &portLister() const { return m_ports; }
    const SettingsLocation &settingsLocation() const { return m_location; }
    QString settingsFilePath() const { return m_location.filePath(); }
    /// The link; null once the window has closed.
    TKXCOMControl *link() const { return m_link.get(); }
    ProgramFlags &flags() { return m_flags; }
    ShellHooks &hooks() { return m_hooks; }
    ConnectionPanel *connection() const { return m_connection; }
    RoutingView *routing() const { return m_routing; }
    DeviceStatusView *deviceStatus() const { return m_deviceStatus; }
    EdidPage *edid() const { return m_edid; }
    PortTagsPage *portTags() const { return m_portTags; }
    PresetsView *presets() const { return m_presets; }
    SettingsFile *settingsFile() const { return m_settingsFile; }
    /// Where the clock panel takes the local time from.
    void setNowSource(std::function<QDateTime()> now) { m_now = std::move(now); }
    /// The program's random numbers, seeded from the clock at creation.
    QRandomGenerator &random() { return m_random; }

    // Window-wide state.
    QString AppDir;
    bool StatusNormal = true;
    bool RoutingAborted = true;
    QAbstractButton *HoveredButton = nullptr;
    QString CurrentDeviceMAC = QStringLiteral("00-00-00-00-00-00");
    bool UpgradeFailed = false;
    std::uint16_t LastProgress = 0;

    // Pages and shell controls.
    QTabWidget *pcContainer = nullptr;
    QWidget *tsGeneral = nullptr;
    QWidget *tsPortTag = nullptr;
    QWidget *tsSetting = nullptr;
    QWidget *tsEDIDCtrl = nullptr;
    QWidget *tsIR = nullptr;
    QWidget *tsFWUpgrade = nullptr;
    QGroupBox *gbMessages = nullptr;
    QPlainTextEdit *mmoMessage = nullptr;
    QPushButton *Button1 = nullptr;
    QPlainTextEdit *mmoMsg = nullptr;
    QPushButton *btnStop = nullptr;
    QPushButton *btnClear = nullptr;
    QTimer *tmr = nullptr;
    QStatusBar *sb = nullptr;

    /// Runs `handler` whenever `page` becomes the current page.
    void setPageShowHandler(QWidget *page, std::function<void()> handler);

    // Status bar.
    /// Writes panel 1..5; a blinking panel-2 text flashes for 2.1 s and stays white on red.
    void ShowStatus(int panel, const QString &text, bool blink = false);
    QString statusText(int panel) const;
    StatusPanel *statusPanel(int panel) const;
    void sbDrawPanel(QPainter &painter, const QRect &rect);

    // Command gate.
    /// Sends one command frame to the switcher, connecting first when needed.
    void RunCommand(const QString &statusText, std::uint8_t command, std::uint8_t subcommand,
                    std::uint16_t p1, std::uint16_t p2, std::uint16_t p3, std::uint16_t p4,
                    TCommandResult &result);
    /// The guards and start of an exchange that is not a single command (EDID transfers,
    /// firmware): false when refused. When it returns true, end with EndExchange().
    bool BeginExchange(const QString &statusText);
    /// Marks the window idle again and clears the refusal text.
    void EndExchange();

    /// The link's notifications.
    void DefaultHandler(int code, qint64 wParam, qint64 lParam, const QString &text);

    // Controls that stand for a port, found by their "Tag" (and "GroupIndex") properties:
    // tag fields on the Port Tag page, information lines on the General page, digit displays
    // (class TLCD99) and input buttons on the Setting page.
    QLineEdit *FindTagEdit(int tag) const;
    QLabel *FindInfoLabel(int tag) const;
    QWidget *FindDisplay(int output) const;
    QAbstractButton *FindInputButton(int output, int input) const;

    // Message area of the firmware page.
    void addMessageLine(const QString &line);
    void replaceLastMessageLine(const QString &line);
    QString lastMessageLine() const;
    static void MoveCaretToEnd(QLineEdit *edit);

    // Connection (the General page).
    void RefreshComPortList();
    void btnConnectClick();
    void rbCOMModeClick();
    void rbLANModeClick();
    void UpdateModeControls(TControlMode mode, bool busy);

    // Steps of other features, through hooks().
    void LoadSettings();
    bool SaveSettings();
    void ClearPortTags();
    void LoadPortTags(TControlMode mode, const QString &mac);

    // Handlers.
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    /// Whether the page may change now.
    bool pcContainerChanging() const;
    void tmrTimer();
    void btnStopClick();
    void btnClearClick();
    void Button1Click();

    /// The clock text for a moment: year-month-day hour:minute, two-digit fields.
    static QString clockText(const QDateTime &moment);
    bool isClosed() const { return m_closed; }

signals:
    /// The window has closed; the program ends.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void buildStatusBar();
    void buildMessagesGroup();
    void buildDiagnosticColumn(QWidget *central);
    void createParts();
    void FormCreate();
    void pageChanged(int index);
    bool linkBusy() const;
    void releaseLinkWhenIdle();
    void showFirmwareProgress(const QString &caption, int progress);
    template <typename T> T *findTagged(const QWidget *page, int tag, int groupIndex = -1) const;

    Dialogs &m_dialogs;
    TransportFactory &m_transports;
    WaitClock &m_clock;
    PortLister &m_ports;
    SettingsLocation m_location;
    ProgramFlags m_flags;
    std::unique_ptr<TKXCOMControl> m_link;
    ShellHooks m_hooks;
    SecondaryWindows m_windows;
    ConnectionPanel *m_connection = nullptr;
    RoutingView *m_routing = nullptr;
    DeviceStatusView *m_deviceStatus = nullptr;
    EdidPage *m_edid = nullptr;
    PortTagsPage *m_portTags = nullptr;
    PresetsView *m_presets = nullptr;
    SettingsFile *m_settingsFile = nullptr;
    std::array<StatusPanel *, 5> m_panels{};
    QRandomGenerator m_random;
    std::function<QDateTime()> m_now = [] { return QDateTime::currentDateTime(); };
    QHash<QWidget *, std::function<void()>> m_pageShowHandlers;
    int m_currentPage = 0;
    bool m_shown = false;
    bool m_closed = false;
    bool m_releaseLink = false;
};
