#include "shell/ui/MainWindow.h"

#include "edid/ui/EdidPage.h"
#include "firmware/ui/FirmwarePage.h"
#include "firmware/ui/KXGauge.h"
#include "lanmodule/ui/LanDevicePanel.h"
#include "link/KXCOMControl.h"
#include "link/WaitClock.h"
#include "shell/PortLister.h"
#include "shell/StatusTexts.h"
#include "shell/ui/ConnectionPanel.h"
#include "shell/ui/DeviceStatusView.h"
#include "shell/ui/PortTagsPage.h"
#include "shell/ui/PresetsView.h"
#include "shell/ui/RoutingView.h"
#include "shell/ui/SettingsFile.h"
#include "shell/ui/ShowInOutInfo.h"
#include "shell/ui/StatusPanel.h"
#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto BlinkStep = 350ms;
constexpr int BlinkInversions = 5;
constexpr int TimerIntervalMs = 1000;

const QString Caption = QStringLiteral("4x4 HDMI Matrix Controller - ");
const QString Version = QStringLiteral("ver1.0");
const QString NoDeviceMAC = QStringLiteral("00-00-00-00-00-00");

constexpr std::array<const char *, 5> PanelNames{"sbConnection", "sbOperation", "sbHint", "sbClock",
                                                 "sbSpare"};
constexpr std::array<const char *, 5> PanelAccessibleNames{
    "Connection state", "Operation status", "Hints", "Date and time", "Unused panel"};

// The path fields whose end must be visible once the settings are loaded.
constexpr std::array<const char *, 5> PathFields{"edtSaveEDID", "edtOpenEDID", "edtFWFile",
                                                 "edtMainMCUFW", "edtSlaveMCU1FW"};

} // namespace

TForm1::TForm1(Dialogs &dialogs, TransportFactory &transports, WaitClock &clock, PortLister &ports,
               const SettingsLocation &location, QWidget *parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_transports(transports), m_clock(clock),
      m_ports(ports), m_location(location)
{
    setObjectName(QStringLiteral("Form1"));
    buildWindow();
    FormCreate();
}

TForm1::~TForm1()
{
    // The link may still report while it closes; the window is no longer there to listen.
    if (m_link)
        disconnect(m_link.get(), nullptr, this, nullptr);
    m_link.reset();
}

// ---------------------------------------------------------------------------------------------
// Construction

void TForm1::buildWindow()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(16);
    setFont(font);
    setAccessibleName(QStringLiteral("HDMI matrix controller"));

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnlClient"));
    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);

    pcContainer = new QTabWidget(central);
    pcContainer->setObjectName(QStringLiteral("pcContainer"));
    pcContainer->setAccessibleName(QStringLiteral("Pages"));
    pcContainer->setTabPosition(QTabWidget::South);
    pcContainer->setUsesScrollButtons(false);
    auto addPage = [this](const char *name, const QString &caption) {
        auto *page = new QWidget;
        page->setObjectName(QLatin1String(name));
        page->setAccessibleName(caption);
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

    buildMessagesGroup();
    buildDiagnosticColumn(central);
    setCentralWidget(central);
    buildStatusBar();

    tmr = new QTimer(this);
    tmr->setObjectName(QStringLiteral("tmr"));
    tmr->setInterval(TimerIntervalMs);
    connect(tmr, &QTimer::timeout, this, &TForm1::tmrTimer);

    setFixedSize(ClientWidth, ClientHeight);
}

void TForm1::buildStatusBar()
{
    sb = new QStatusBar(this);
    sb->setObjectName(QStringLiteral("sb"));
    sb->setAccessibleName(QStringLiteral("Status bar"));
    sb->setSizeGripEnabled(false);
    // The panels have fixed widths; the window's large serif font would clip the clock.
    sb->setFont(QApplication::font());
    for (int i = 0; i < int(m_panels.size()); ++i) {
        const Qt::Alignment alignment = i == 3 ? Qt::AlignHCenter : Qt::AlignLeft;
        auto *panel = new StatusPanel(PanelWidths[i], alignment, sb);
        panel->setObjectName(QLatin1String(PanelNames[i]));
        panel->setAccessibleName(QLatin1String(PanelAccessibleNames[i]));
        sb->addWidget(panel);
        m_panels[i] = panel;
    }
    m_panels[1]->setDrawer(
        [this](QPainter &painter, const QRect &rect) { sbDrawPanel(painter, rect); });
    setStatusBar(sb);
}

void TForm1::buildMessagesGroup()
{
    gbMessages = new QGroupBox(QStringLiteral("Messages"), tsFWUpgrade);
    gbMessages->setObjectName(QStringLiteral("gbMessages"));
    gbMessages->setAccessibleName(QStringLiteral("Messages"));
    auto *layout = new QVBoxLayout(gbMessages);
    mmoMessage = new QPlainTextEdit(gbMessages);
    mmoMessage->setObjectName(QStringLiteral("mmoMessage"));
    mmoMessage->setAccessibleName(QStringLiteral("Messages"));
    mmoMessage->setReadOnly(true);
    Button1 = new QPushButton(QStringLiteral("&Clear"), gbMessages);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAccessibleName(QStringLiteral("Clear messages"));
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    layout->addWidget(mmoMessage);
    layout->addWidget(Button1, 0, Qt::AlignRight);
    tsFWUpgrade->layout()->addWidget(gbMessages);
}

void TForm1::buildDiagnosticColumn(QWidget *central)
{
    // A trace column for the developer; it lies outside the window and stays hidden.
    auto *column = new QWidget(central);
    column->setObjectName(QStringLiteral("pnlDiagnostic"));
    auto *layout = new QVBoxLayout(column);
    mmoMsg = new QPlainTextEdit(column);
    mmoMsg->setObjectName(QStringLiteral("mmoMsg"));
    mmoMsg->setAccessibleName(QStringLiteral("Diagnostic trace"));
    mmoMsg->setReadOnly(true);
    btnStop = new QPushButton(QStringLiteral("Stop"), column);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setAccessibleName(QStringLiteral("Stop waiting"));
    btnClear = new QPushButton(QStringLiteral("clear"), column);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setAccessibleName(QStringLiteral("Clear diagnostic trace"));
    connect(btnStop, &QPushButton::clicked, this, &TForm1::btnStopClick);
    connect(btnClear, &QPushButton::clicked, this, &TForm1::btnClearClick);
    layout->addWidget(mmoMsg);
    layout->addWidget(btnStop);
    layout->addWidget(btnClear);
    column->setGeometry(ClientWidth + 8, 0, 200, ClientHeight);
    column->hide();
}

void TForm1::createParts()
{
    m_connection = new ConnectionPanel(*this, tsIR, tsGeneral);
    tsGeneral->layout()->addWidget(m_connection);
    // The features of the other pages are created here, one line each; they add their
    // controls to the pages and set their entries in hooks().
    m_deviceStatus = new DeviceStatusView(*this, tsGeneral);
    m_routing = new RoutingView(*this, tsSetting);
    new FirmwarePage(*this);
    m_edid = new EdidPage(*this, tsEDIDCtrl);
    m_portTags = new PortTagsPage(*this, tsPortTag);
    m_presets = new PresetsView(*this, tsSetting);
    m_settingsFile = new SettingsFile(*this, *m_portTags, *m_presets);
    new LanDevicePanel(*this);
}

void TForm1::FormCreate()
{
    m_random.seed(quint32(QDateTime::currentMSecsSinceEpoch()));
    AppDir = m_location.appDir();
    HoveredButton = nullptr;
    m_link = std::make_unique<TKXCOMControl>(m_flags, m_transports, m_clock);
    connect(m_link.get(), &TKXCOMControl::notify, this, &TForm1::DefaultHandler,
            Qt::DirectConnection);
    createParts();

    m_flags.StopRequested = false;
    StatusNormal = true;
    m_flags.CommandIdle = true;
    RoutingAborted = true;
    setWindowTitle(Caption + Version);
    for (QWidget *widget : {static_cast<QWidget *>(mmoMsg), static_cast<QWidget *>(btnStop),
                            static_cast<QWidget *>(btnClear)}) {
        widget->setEnabled(false);
        widget->hide();
    }
    setFixedWidth(ClientWidth);
    if (auto *merge = findChild<QWidget *>(QStringLiteral("gbMergeFW"))) {
        merge->setEnabled(false);
        merge->hide();
    }
    if (auto *modes = findChild<QComboBox *>(QStringLiteral("cbEDIDMode"));
        modes && modes->count() > 0)
        modes->removeItem(modes->count() - 1);
    CurrentDeviceMAC = NoDeviceMAC;
}

// ---------------------------------------------------------------------------------------------
// Show and close

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (QScreen *display = screen())
        move(display->availableGeometry().center() - rect().center());
    FormShow();
}

void TForm1::FormShow()
{
    if (m_hooks.SetDisplayDigits)
        m_hooks.SetDisplayDigits();
    if (m_hooks.FixPresetColumns)
        m_hooks.FixPresetColumns();
    RefreshComPortList();
    LoadSettings();
    ShowStatus(1, m_link && m_link->Connected() ? QStringLiteral("Connected")
                                                : QStringLiteral("Disconnect"));
    tmr->start();
    if (m_hooks.ShowEmptyEDIDData)
        m_hooks.ShowEmptyEDIDData();
    if (m_hooks.ResetDeviceInfo)
        m_hooks.ResetDeviceInfo();
    for (const char *name : PathFields)
        MoveCaretToEnd(findChild<QLineEdit *>(QLatin1String(name)));
    SaveSettings();
    if (auto *allOutputs = findChild<QAction *>(QStringLiteral("mnuAllOutputs")))
        allOutputs->setProperty("Tag", 4);
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

bool TForm1::linkBusy() const
{
    return m_link && (m_link->Searching() || m_link->Opening() || m_link->Configuring());
}

bool TForm1::FormCloseQuery()
{
    if (m_flags.CommandIdle && !linkBusy()) {
        m_flags.StopRequested = true;
        return true;
    }
    if (m_link && m_link->Opening()) {
        m_dialogs.information(this, QStringLiteral("Connection in process, please wait..."));
        return false;
    }
    if (m_dialogs.confirm(
            this, QStringLiteral("Processing not complete, continue to close controller?"))) {
        m_flags.StopRequested = true;
        return true;
    }
    return false;
}

void TForm1::FormClose()
{
    m_closed = true;
    tmr->stop();
    if (m_windows.frmShowInOutInfo)
        m_windows.frmShowInOutInfo->hide();
    SaveSettings();
    // Closing may be accepted in the middle of a link operation (its wait runs events). The
    // operation still runs on the stack below and ends at its next step because
    // StopRequested is set; the link is released once it has returned.
    if (m_flags.CommandIdle && !linkBusy())
        m_link.reset();
    else
        m_releaseLink = true;
    emit closed();
}

void TForm1::releaseLinkWhenIdle()
{
    if (m_releaseLink && m_flags.CommandIdle && !linkBusy()) {
        m_releaseLink = false;
        m_link.reset();
    }
}

// ---------------------------------------------------------------------------------------------
// Pages

void TForm1::setPageShowHandler(QWidget *page, std::function<void()> handler)
{
    m_pageShowHandlers.insert(page, std::move(handler));
}

bool TForm1::pcContainerChanging() const
{
    return m_flags.CommandIdle && !linkBusy();
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
    const auto handler = m_pageShowHandlers.constFind(pcContainer->widget(index));
    if (handler != m_pageShowHandlers.constEnd() && *handler)
        (*handler)();
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

StatusPanel *TForm1::statusPanel(int panel) const
{
    if (panel < 1 || panel > int(m_panels.size()))
        return nullptr;
    return m_panels[panel - 1];
}

QString TForm1::statusText(int panel) const
{
    const StatusPanel *target = statusPanel(panel);
    return target ? target->text() : QString();
}

void TForm1::ShowStatus(int panel, const QString &text, bool blink)
{
    StatusPanel *target = statusPanel(panel);
    if (!target)
        return;
    if (panel != 2) {
        if (target->text() != text)
            target->setText(text);
        return;
    }
    StatusNormal = true;
    if (!blink) {
        target->setText(text);
        sb->repaint();
        return;
    }
    if (m_flags.StopRequested)
        return;
    // The blink holds the thread on purpose: the link operation that reported the failure
    // resumes only when the operator has seen it.
    target->setText(text);
    sb->repaint();
    m_clock.sleep(BlinkStep);
    for (int i = 0; i < BlinkInversions; ++i) {
        StatusNormal = !StatusNormal;
        target->setText(text);
        sb->repaint();
        m_clock.sleep(BlinkStep);
    }
}

void TForm1::sbDrawPanel(QPainter &painter, const QRect &rect)
{
    const QColor fill = StatusNormal ? palette().color(QPalette::Button) : QColor(Qt::red);
    const QColor ink = StatusNormal ? QColor(Qt::black) : QColor(Qt::white);
    painter.fillRect(rect, fill);
    painter.setPen(ink);
    painter.setFont(m_panels[1]->font());
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop, m_panels[1]->text());
}

// ---------------------------------------------------------------------------------------------
// Command gate

bool TForm1::BeginExchange(const QString &statusText)
{
    if (m_flags.StopRequested || !m_link)
        return false;
    if (!m_link->Connected())
        btnConnectClick();
    if (!m_link || !m_link->Connected())
        return false;
    if (!m_flags.CommandIdle) {
        ShowStatus(3, QStringLiteral("In processing, command ignored"));
        return false;
    }
    m_flags.CommandIdle = false;
    ShowStatus(2, statusText);
    return true;
}

void TForm1::EndExchange()
{
    m_flags.CommandIdle = true;
    ShowStatus(3, QString());
    releaseLinkWhenIdle();
}

void TForm1::RunCommand(const QString &statusText, std::uint8_t command, std::uint8_t subcommand,
                        std::uint16_t p1, std::uint16_t p2, std::uint16_t p3, std::uint16_t p4,
                        TCommandResult &result)
{
    if (!BeginExchange(statusText)) {
        result.Success = 0;
        return;
    }
    const TCommandFrame frame = MakeFrame(command, subcommand, p1, p2, p3, p4);
    m_link->SendCommand(frame, result);
    if (result.Success)
        ShowStatus(2, QStringLiteral("Done"));
    EndExchange();
}

// ---------------------------------------------------------------------------------------------
// Notifications

void TForm1::DefaultHandler(int code, qint64 wParam, qint64 lParam, const QString &text)
{
    const TControlMode mode = m_link ? m_link->ControlMode() : cmCOM;
    const bool connected = m_link && m_link->Connected();
    auto failure = [this](const QString &message) {
        ShowStatus(2, message, true);
        ShowStatus(3, QString());
    };
    switch (code) {
    case NotifyTimeout:
        failure(QStringLiteral("Time out!"));
        break;
    case NotifyDataInvalid:
        failure(QStringLiteral("Data invalid!"));
        break;
    case NotifyAccessFailed:
        failure(StatusTexts::AccessFailed(mode));
        break;
    case NotifyOpenCloseFailed:
        failure(StatusTexts::OpenCloseFailed(mode, connected,
                                             m_link ? m_link->ComPort() : QString(),
                                             m_link ? m_link->DeviceIP() : QString()));
        break;
    case NotifyPartWriteFailed:
        addMessageLine(StatusTexts::PartWriteFailed(wParam, lParam));
        UpgradeFailed = true;
        break;
    case NotifyProgress: {
        const auto value = std::uint16_t(lParam & 0xFFFF);
        if (value == LastProgress)
            break;
        showFirmwareProgress(StatusTexts::UpgradingPart(wParam), value);
        LastProgress = value;
        break;
    }
    case NotifySendFailed:
        failure(QStringLiteral("Send data failed!"));
        break;
    case NotifyLogLine:
        // The memo is read-only and shows no caret, so there is none to hide for a
        // replaceable line.
        if (lParam == 1 && lastMessageLine().contains(QLatin1String("System rebooting")))
            replaceLastMessageLine(text);
        else
            addMessageLine(text);
        mmoMessage->repaint();
        break;
    case NotifyStatusText:
        if (lParam == 0) {
            if (m_hooks.SearchNotify)
                m_hooks.SearchNotify(wParam, lParam, text);
        } else if (lParam == 1) {
            ShowStatus(2, text);
        }
        break;
    default:
        break;
    }
}

void TForm1::showFirmwareProgress(const QString &caption, int progress)
{
    auto *gauge = findChild<TKXGauge *>(QStringLiteral("kxgFWProgress"));
    if (!gauge)
        return;
    // A new value repaints the gauge at once (with the new caption); only when the value
    // does not move does the caption need a paint of its own.
    const bool moves = gauge->Progress() != progress;
    gauge->setCaption(caption);
    if (!moves || !gauge->setProgress(progress))
        gauge->repaint();
}

// ---------------------------------------------------------------------------------------------
// Finders

template <typename T> T *TForm1::findTagged(const QWidget *page, int tag, int groupIndex) const
{
    // Each kind of port control lives on one page; other controls elsewhere carry Tags of
    // their own (the firmware file fields, the routing arrows), so the search stays there.
    const QList<T *> candidates = page->findChildren<T *>();
    for (T *candidate : candidates) {
        const QVariant tagValue = candidate->property("Tag");
        if (!tagValue.isValid() || tagValue.toInt() != tag)
            continue;
        if (groupIndex >= 0) {
            const QVariant group = candidate->property("GroupIndex");
            if (!group.isValid() || group.toInt() != groupIndex)
                continue;
        }
        return candidate;
    }
    return nullptr;
}

QLineEdit *TForm1::FindTagEdit(int tag) const
{
    return findTagged<QLineEdit>(tsPortTag, tag);
}

QLabel *TForm1::FindInfoLabel(int tag) const
{
    return findTagged<QLabel>(tsGeneral, tag);
}

QWidget *TForm1::FindDisplay(int output) const
{
    const QList<QWidget *> candidates = tsSetting->findChildren<QWidget *>();
    for (QWidget *candidate : candidates) {
        if (candidate->inherits("TLCD99") && candidate->property("Tag").isValid() &&
            candidate->property("Tag").toInt() == output)
            return candidate;
    }
    return nullptr;
}

QAbstractButton *TForm1::FindInputButton(int output, int input) const
{
    return findTagged<QAbstractButton>(tsSetting, input, output);
}

// ---------------------------------------------------------------------------------------------
// Message area

void TForm1::addMessageLine(const QString &line)
{
    mmoMessage->appendPlainText(line);
}

void TForm1::replaceLastMessageLine(const QString &line)
{
    QTextCursor cursor(mmoMessage->document()->lastBlock());
    cursor.movePosition(QTextCursor::StartOfBlock);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(line);
}

QString TForm1::lastMessageLine() const
{
    return mmoMessage->document()->lastBlock().text();
}

void TForm1::MoveCaretToEnd(QLineEdit *edit)
{
    if (edit)
        edit->setCursorPosition(int(edit->text().size()));
}

// ---------------------------------------------------------------------------------------------
// Connection

void TForm1::RefreshComPortList()
{
    m_connection->RefreshComPortList();
}

void TForm1::btnConnectClick()
{
    m_connection->btnConnectClick();
}

void TForm1::rbCOMModeClick()
{
    m_connection->rbCOMModeClick();
}

void TForm1::rbLANModeClick()
{
    m_connection->rbLANModeClick();
}

void TForm1::UpdateModeControls(TControlMode mode, bool busy)
{
    m_connection->UpdateModeControls(mode, busy);
}

// ---------------------------------------------------------------------------------------------
// Steps of other features

void TForm1::LoadSettings()
{
    if (m_hooks.LoadSettings)
        m_hooks.LoadSettings();
}

bool TForm1::SaveSettings()
{
    return m_hooks.SaveSettings ? m_hooks.SaveSettings() : true;
}

void TForm1::ClearPortTags()
{
    if (m_hooks.ClearPortTags)
        m_hooks.ClearPortTags();
}

void TForm1::LoadPortTags(TControlMode mode, const QString &mac)
{
    if (m_hooks.LoadPortTags)
        m_hooks.LoadPortTags(mode, mac);
}

// ---------------------------------------------------------------------------------------------
// Timer and small handlers

QString TForm1::clockText(const QDateTime &moment)
{
    return StatusTexts::Clock(moment);
}

void TForm1::tmrTimer()
{
    if (!m_link)
        return;
    RefreshComPortList();
    ShowStatus(4, clockText(m_now()));
}

void TForm1::btnStopClick()
{
    m_flags.StopRequested = !m_flags.StopRequested;
}

void TForm1::btnClearClick()
{
    mmoMsg->clear();
}

void TForm1::Button1Click()
{
    mmoMessage->clear();
}
