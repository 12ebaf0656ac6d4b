#include "shell/ui/MainWindow.h"

#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/ShellTexts.h"
#include "shell/StatusBoard.h"
#include "shell/StatusTexts.h"
#include "shell/TextLog.h"
#include "shell/connection/ConnectionController.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/settings/SettingsFile.h"
#include "shell/ui/StatusBarPanel.h"
#include "ui/Dialogs.h"
#include "ui/ProgramFont.h"
#include "ui/TextLogBinding.h"
#include "ui/WidgetNames.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int TimerIntervalMs = 1000;
constexpr int StatusFontPixels = 14;
constexpr int DiagnosticWidth = 200;

const QString Caption = QStringLiteral("4x4 HDMI Matrix Controller - ");
const QString Version = QStringLiteral("ver1.0");

constexpr std::array<const char *, StatusPanelCount> PanelNames{"sbConnection", "sbOperation",
                                                                "sbHint", "sbClock", "sbSpare"};
constexpr std::array<const char *, StatusPanelCount> PanelAccessibleNames{
    "Connection state", "Operation status", "Hints", "Date and time", "Unused panel"};

} // namespace

TForm1::TForm1(ShellContext &context, Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent), m_context(context), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form1"));
    buildWindow();
    FormCreate();
}

TForm1::~TForm1() = default;

// ---------------------------------------------------------------------------------------------
// Construction

void TForm1::buildWindow()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(ProgramFont());

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnlClient"));
    m_client = central;
    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);

    pcContainer = named(new QTabWidget(central), "pcContainer", QStringLiteral("Pages"));
    pcContainer->setTabPosition(QTabWidget::South);
    pcContainer->setUsesScrollButtons(false);
    auto addPage = [this](const char *name, const QString &caption) {
        auto *page = named(new QWidget, name, caption);
        auto *pageLayout = new QHBoxLayout(page);
        pageLayout->setContentsMargins(6, 6, 6, 6);
        pcContainer->addTab(page, caption);
        return page;
    };
    tsGeneral = addPage("tsGeneral", QStringLiteral("General"));
    tsPortTag = addPage("tsPortTag", QStringLiteral("Port Tag"));
    tsSetting = addPage("tsSetting", QStringLiteral("Setting"));
    tsEDIDCtrl = addPage("tsEDIDCtrl", QStringLiteral("EDID control"));
    tsIR = addPage("tsIR", QStringLiteral("Advanced"));
    tsFWUpgrade = addPage("tsFWUpgrade", QStringLiteral("FW upgrade"));
    pcContainer->setTabVisible(pcContainer->indexOf(tsIR), false);
    layout->addWidget(pcContainer);

    // QTabWidget cannot refuse a page change: the tab bar's input is held back while a change
    // is not allowed, and a change made in code is undone (pageChanged).
    pcContainer->tabBar()->installEventFilter(this);
    pcContainer->installEventFilter(this);
    connect(pcContainer, &QTabWidget::currentChanged, this, &TForm1::pageChanged);

    buildDiagnosticColumn(central);
    // On a small screen (or a large font) the pages keep their size and the client scrolls.
    auto *client = named(new QScrollArea(this), "sbxClient", QStringLiteral("Window content"));
    client->setFrameShape(QFrame::NoFrame);
    client->setWidgetResizable(true);
    client->setWidget(central);
    setCentralWidget(client);
    buildStatusBar();

    tmr = new QTimer(this);
    tmr->setObjectName(QStringLiteral("tmr"));
    tmr->setInterval(TimerIntervalMs);
    connect(tmr, &QTimer::timeout, this, &TForm1::tmrTimer);

    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(ClientWidth, ClientHeight);
}

void TForm1::buildStatusBar()
{
    sb = named(new QStatusBar(this), "sb", QStringLiteral("Status bar"));
    sb->setSizeGripEnabled(false);
    // The window's family, a little smaller: the panels are narrow.
    sb->setFont(ProgramFont(StatusFontPixels));
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        const Qt::Alignment alignment = i == 3 ? Qt::AlignHCenter : Qt::AlignLeft;
        auto *panel = named(new StatusBarPanel(PanelWidths[i], alignment, sb), PanelNames[i],
                            QLatin1String(PanelAccessibleNames[i]));
        const bool hints = i == 2;
        if (hints)
            panel->setStretching(HintPanelMinimumWidth);
        sb->addWidget(panel, hints ? 1 : 0);
        m_panels[i] = panel;
    }
    m_panels[1]->setDrawer(
        [this](QPainter &painter, const QRect &rect) { sbDrawPanel(painter, rect); });
    setStatusBar(sb);
    connect(&m_context.status(), &StatusBoard::changed, this, &TForm1::showStatusChange);
}

void TForm1::buildDiagnosticColumn(QWidget *central)
{
    // A trace column for the developer; it lies outside the window and stays hidden unless
    // the advanced controls are on.
    auto *column = new QWidget(central);
    m_diagnosticColumn = column;
    column->setObjectName(QStringLiteral("pnlDiagnostic"));
    auto *layout = new QVBoxLayout(column);
    mmoMsg = named(new QPlainTextEdit(column), "mmoMsg", QStringLiteral("Diagnostic trace"));
    mmoMsg->setReadOnly(true);
    btnStop = named(new QPushButton(QStringLiteral("Stop"), column), "btnStop",
                    QStringLiteral("Stop waiting"));
    btnClear = named(new QPushButton(QStringLiteral("clear"), column), "btnClear",
                     QStringLiteral("Clear diagnostic trace"));
    connect(btnStop, &QPushButton::clicked, this, &TForm1::btnStopClick);
    connect(btnClear, &QPushButton::clicked, this, &TForm1::btnClearClick);
    layout->addWidget(mmoMsg);
    layout->addWidget(btnStop);
    layout->addWidget(btnClear);
    column->setGeometry(ClientWidth + 8, 0, DiagnosticWidth, ClientHeight);
    column->hide();
    ShowTextLog(mmoMsg, m_context.diagnostics());
}

void TForm1::FormCreate()
{
    m_context.flags().StopRequested = false;
    m_context.flags().CommandIdle = true;
    setWindowTitle(Caption + Version);
    for (QWidget *widget : {static_cast<QWidget *>(mmoMsg), static_cast<QWidget *>(btnStop),
                            static_cast<QWidget *>(btnClear)}) {
        widget->setEnabled(false);
        widget->hide();
    }
}

void TForm1::showAdvanced(bool on)
{
    pcContainer->setTabVisible(pcContainer->indexOf(tsIR), on);
    auto *layout = static_cast<QHBoxLayout *>(m_client->layout());
    const bool wasOn = layout->indexOf(m_diagnosticColumn) >= 0;
    if (on)
        layout->addWidget(m_diagnosticColumn);
    else
        layout->removeWidget(m_diagnosticColumn);
    m_diagnosticColumn->setVisible(on);
    for (QWidget *widget : {static_cast<QWidget *>(mmoMsg), static_cast<QWidget *>(btnStop),
                            static_cast<QWidget *>(btnClear)}) {
        widget->setEnabled(on);
        widget->setVisible(on);
    }
    if (!on)
        m_diagnosticColumn->setGeometry(ClientWidth + 8, 0, DiagnosticWidth, ClientHeight);
    // The window grows by the column and gives the width back; on a narrow screen the
    // client scrolls instead.
    if (on && !wasOn) {
        m_plainWidth = width();
        int limit = QWIDGETSIZE_MAX;
        if (const QScreen *display = screen())
            limit = display->availableGeometry().width() - (frameGeometry().width() - width());
        resize(std::max(m_plainWidth, std::min(m_plainWidth + DiagnosticWidth, limit)), height());
    } else if (!on && wasOn) {
        resize(m_plainWidth, height());
    }
}

// ---------------------------------------------------------------------------------------------
// Show and close

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    placeOnScreen();
    FormShow();
}

void TForm1::placeOnScreen()
{
    const QScreen *display = screen();
    if (!display)
        return;
    const QRect free = display->availableGeometry();
    // The window manager's frame, where it is known already.
    const QSize frame = frameGeometry().size() - size();
    resize(size().boundedTo(free.size() - frame).expandedTo(minimumSize()));
    const QSize outer = size() + frame;
    const int x = std::max(free.left(), free.center().x() - outer.width() / 2);
    const int y = std::max(free.top(), free.center().y() - outer.height() / 2);
    move(x, y);
}

void TForm1::FormShow()
{
    emit showing();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TForm1::FormCloseQuery()
{
    ProgramFlags &flags = m_context.flags();
    if (flags.CommandIdle && !m_context.linkBusy()) {
        flags.StopRequested = true;
        return true;
    }
    if (m_context.link() && m_context.link()->Opening()) {
        m_dialogs.information(this, QStringLiteral("Connection in process, please wait..."));
        return false;
    }
    if (m_dialogs.confirm(
            this, QStringLiteral("Processing not complete, continue to close controller?"))) {
        flags.StopRequested = true;
        return true;
    }
    return false;
}

void TForm1::FormClose()
{
    m_closed = true;
    tmr->stop();
    emit closing();
    // Closing may be accepted in the middle of a link operation (its wait runs events); the
    // operation ends at its next step because StopRequested is set, and the link goes once
    // it has returned.
    m_context.releaseLink();
    emit closed();
}

// ---------------------------------------------------------------------------------------------
// Pages

bool TForm1::pcContainerChanging() const
{
    return m_context.flags().CommandIdle && !m_context.linkBusy();
}

void TForm1::pageChanged(int index)
{
    if (index == m_currentPage)
        return;
    if (!pcContainerChanging()) {
        const QSignalBlocker blocker(pcContainer);
        pcContainer->setCurrentIndex(m_currentPage);
        return;
    }
    m_currentPage = index;
    emit pageShown(pcContainer->widget(index));
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    const bool fromTabs = watched == pcContainer->tabBar() || watched == pcContainer;
    if (fromTabs && !pcContainerChanging()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return watched == pcContainer->tabBar();
        case QEvent::KeyPress: {
            const auto *key = static_cast<QKeyEvent *>(event);
            const bool pageKey = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
                                 key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown ||
                                 key->key() == Qt::Key_Left || key->key() == Qt::Key_Right;
            return pageKey && (watched == pcContainer->tabBar() ||
                               key->modifiers().testFlag(Qt::ControlModifier));
        }
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Status bar

StatusBarPanel *TForm1::statusPanel(int panel) const
{
    if (panel < 1 || panel > int(m_panels.size()))
        return nullptr;
    return m_panels[std::size_t(panel - 1)];
}

QString TForm1::statusText(int panel) const
{
    if (panel < 1 || panel > StatusPanelCount)
        return {};
    return m_context.status().text(StatusPanel(panel));
}

void TForm1::ShowStatus(int panel, const QString &text, bool blink)
{
    if (panel < 1 || panel > StatusPanelCount)
        return;
    m_context.ShowStatus(StatusPanel(panel), text, blink);
}

void TForm1::showStatusChange(StatusPanel panel, bool paintNow)
{
    StatusBarPanel *target = statusPanel(int(panel));
    target->showText(m_context.status().text(panel));
    // Only the panel that changed, and not twice within a frame: the operation texts come
    // while the thread is busy, and painting between the exchanges of a transfer delays the
    // next request on the wire.
    if (paintNow)
        target->paintSoon();
}

void TForm1::sbDrawPanel(QPainter &painter, const QRect &rect)
{
    // A failure stays white on red in every theme; otherwise the theme's button colours.
    const bool normal = m_context.status().normal();
    const QPalette &colours = m_panels[1]->palette();
    const QColor fill = normal ? colours.color(QPalette::Button) : QColor(Qt::red);
    const QColor ink = normal ? colours.color(QPalette::ButtonText) : QColor(Qt::white);
    painter.fillRect(rect, fill);
    painter.setPen(ink);
    painter.setFont(m_panels[1]->font());
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop, m_panels[1]->fittedText());
}

// ---------------------------------------------------------------------------------------------
// Forwarded operations

void TForm1::RunCommand(const QString &statusText, std::uint8_t command, std::uint8_t subcommand,
                        std::uint16_t p1, std::uint16_t p2, std::uint16_t p3, std::uint16_t p4,
                        TCommandResult &result)
{
    m_context.gate().RunCommand(statusText, command, subcommand, p1, p2, p3, p4, result);
}

void TForm1::DefaultHandler(int code, qint64 wParam, qint64 lParam, const QString &text)
{
    m_context.DefaultHandler(code, wParam, lParam, text);
}

void TForm1::RefreshComPortList()
{
    m_context.connection().RefreshComPortList();
}

void TForm1::btnConnectClick()
{
    m_context.connection().btnConnectClick();
}

void TForm1::rbCOMModeClick()
{
    m_context.connection().rbCOMModeClick();
}

void TForm1::rbLANModeClick()
{
    m_context.connection().rbLANModeClick();
}

void TForm1::UpdateModeControls(TControlMode mode, bool busy)
{
    m_context.connection().UpdateModeControls(mode, busy);
}

void TForm1::LoadSettings()
{
    const SettingsLocation &location = m_context.settingsLocation();
    const SettingsFileResult read = m_context.settings().LoadSettings();
    for (const QString &error : {location.unwritableText(), read.error}) {
        if (!error.isEmpty())
            m_dialogs.error(this, error);
    }
    if (!location.inUseText().isEmpty())
        ShowStatus(3, location.inUseText());
}

bool TForm1::SaveSettings()
{
    const SettingsFileResult saved = m_context.settings().SaveSettings();
    if (!saved.notice.isEmpty())
        ShowStatus(3, saved.notice);
    if (saved.ok())
        return true;
    m_dialogs.error(this, saved.notWrittenText(m_context.settingsFilePath()));
    return false;
}

void TForm1::ClearPortTags()
{
    m_context.portTags().ClearPortTags();
}

void TForm1::LoadPortTags(TControlMode mode, const QString &mac)
{
    m_context.portTags().LoadPortTags(mode, mac);
}

// ---------------------------------------------------------------------------------------------
// Timer and small handlers

QString TForm1::clockText(const QDateTime &moment)
{
    return StatusTexts::Clock(moment);
}

void TForm1::tmrTimer()
{
    if (!m_context.link())
        return;
    RefreshComPortList();
    ShowStatus(4, clockText(m_now()));
}

void TForm1::btnStopClick()
{
    m_context.flags().StopRequested = !m_context.flags().StopRequested;
}

void TForm1::btnClearClick()
{
    m_context.diagnostics().clear();
}
