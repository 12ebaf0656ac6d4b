#pragma once

#include "link/Commands.h"
#include "link/Frames.h"
#include "shell/StatusPanel.h"

#include <QDateTime>
#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

class Dialogs;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class ShellContext;
class StatusBarPanel;

/// The main window: the six pages, the status bar, the clock timer, the diagnostic trace and
/// the rules for changing pages and closing. The features of the pages are put into the
/// pages by the program's composition root; everything they share is in the ShellContext.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    TForm1(ShellContext &context, Dialogs &dialogs, QWidget *parent = nullptr);
    ~TForm1() override;

    /// The size the window opens with when the screen has room for it.
    static constexpr int ClientWidth = 1025;
    static constexpr int ClientHeight = 580;
    /// The window can be made this small (a 1366 x 768 screen at 150 % has 910 x 512 points);
    /// the pages then scroll.
    static constexpr int MinimumWidth = 800;
    static constexpr int MinimumHeight = 420;
    static constexpr std::array<int, StatusPanelCount> PanelWidths{185, 235, 300, 135, 50};
    /// The hint panel (3) takes the room the others leave, but never less than this.
    static constexpr int HintPanelMinimumWidth = 200;

    ShellContext &context() const { return m_context; }
    Dialogs &dialogs() const { return m_dialogs; }
    /// Where the clock panel takes the local time from.
    void setNowSource(std::function<QDateTime()> now) { m_now = std::move(now); }

    // Pages, filled by the features.
    QTabWidget *pcContainer = nullptr;
    QWidget *tsGeneral = nullptr;
    QWidget *tsPortTag = nullptr;
    QWidget *tsSetting = nullptr;
    QWidget *tsEDIDCtrl = nullptr;
    QWidget *tsIR = nullptr;
    QWidget *tsFWUpgrade = nullptr;
    QTimer *tmr = nullptr;

    // Status bar.
    /// Writes panel 1..5; a blinking panel-2 text flashes for 2.1 s and stays white on red.
    void ShowStatus(int panel, const QString &text, bool blink = false);
    QString statusText(int panel) const;
    StatusBarPanel *statusPanel(int panel) const;
    void sbDrawPanel(QPainter &painter, const QRect &rect);

    /// Sends one command frame to the switcher through the command gate.
    void RunCommand(const QString &statusText, std::uint8_t command, std::uint8_t subcommand,
                    std::uint16_t p1, std::uint16_t p2, std::uint16_t p3, std::uint16_t p4,
                    TCommandResult &result);
    /// The link's notifications.
    void DefaultHandler(int code, qint64 wParam, qint64 lParam, const QString &text);

    // Connection.
    void RefreshComPortList();
    void btnConnectClick();
    void rbCOMModeClick();
    void rbLANModeClick();
    void UpdateModeControls(TControlMode mode, bool busy);

    // Settings file and port tags.
    /// Reads the file. Error boxes say when the file beside the executable cannot be written
    /// or the file cannot be read; status panel 3 names the file when it is another one.
    void LoadSettings();
    /// False (after an error box naming the file) when the file could not be written. A copy
    /// of the old file that the save kept is named in status panel 3.
    bool SaveSettings();
    void ClearPortTags();
    void LoadPortTags(TControlMode mode, const QString &mac);

    // Handlers.
    /// Runs the start-up steps once, when the window is first shown.
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    /// Whether the page may change now.
    bool pcContainerChanging() const;
    void tmrTimer();
    void btnStopClick();
    void btnClearClick();

    /// Advanced controls: the "Advanced" page and the diagnostic column (the trace with
    /// Stop and clear) beside the pages, the window widened for it.
    void showAdvanced(bool on);

    /// The clock text for a moment: year-month-day hour:minute, two-digit fields.
    static QString clockText(const QDateTime &moment);
    bool isClosed() const { return m_closed; }

signals:
    /// The window is shown for the first time: the start-up steps run now.
    void showing();
    /// The window closes: the closing steps run now.
    void closing();
    /// The window has closed; the program ends.
    void closed();
    /// A page became the current page.
    void pageShown(QWidget *page);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void buildStatusBar();
    void buildDiagnosticColumn(QWidget *central);
    /// Fits the window into the screen's free area and centres it there.
    void placeOnScreen();
    void FormCreate();
    void pageChanged(int index);
    void showStatusChange(StatusPanel panel, bool paintNow);

    ShellContext &m_context;
    Dialogs &m_dialogs;
    std::array<StatusBarPanel *, StatusPanelCount> m_panels{};
    QStatusBar *sb = nullptr;
    QPlainTextEdit *mmoMsg = nullptr;
    QPushButton *btnStop = nullptr;
    QPushButton *btnClear = nullptr;
    QWidget *m_client = nullptr;
    QWidget *m_diagnosticColumn = nullptr;
    /// The width before the trace column was added, given back when it goes.
    int m_plainWidth = ClientWidth;
    std::function<QDateTime()> m_now = [] { return QDateTime::currentDateTime(); };
    int m_currentPage = 0;
    bool m_shown = false;
    bool m_closed = false;
};
