#include "shell/ui/DeviceStatusView.h"

#include "link/Frames.h"
#include "link/WaitClock.h"
#include "shell/ui/MainWindow.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr std::uint8_t CmdInfo = 1;
constexpr std::uint8_t SubKind = 1;
constexpr std::uint8_t SubSize = 2;
constexpr std::uint8_t SubVersion = 3;
constexpr std::uint8_t SubInputConnection = 4;
constexpr std::uint8_t SubOutputConnection = 5;
constexpr std::uint8_t CmdEdid = 3;
constexpr std::uint8_t SubEdidControlMode = 11;
constexpr std::uint16_t WholeDevice = 254;

constexpr std::uint8_t PortConnected = 0;
constexpr std::uint8_t PortNotConnected = 255;
constexpr auto InputQueryPause = 5ms;

constexpr std::array<const char *, 3> KindNames{"HDMI Matrix", "HDBT Matrix", "HDMI+HDBT Matrix"};
// Component names of the port lines, by port.
constexpr std::array<int, DeviceStatusView::PortCount> InputLabelNumbers{7,  8,  9,  10,
                                                                         11, 12, 13, 14};
constexpr std::array<int, DeviceStatusView::PortCount> OutputLabelNumbers{22, 21, 20, 19,
                                                                          18, 17, 16, 15};

const QString InfoStatus = QStringLiteral("Getting device info ...");
const QString NotKnown = QStringLiteral(": Not known");

QString portName(bool output, int port)
{
    return (output ? QStringLiteral("Output") : QStringLiteral("Input")) + QString::number(port);
}

void setBold(QLabel *label, bool bold)
{
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
}

} // namespace

DeviceStatusView::DeviceStatusView(TForm1 &form, QWidget *page) : QObject(page), m_form(form)
{
    setObjectName(QStringLiteral("deviceStatusView"));
    auto *column = new QWidget(page);
    column->setObjectName(QStringLiteral("pnlDeviceStatus"));
    column->setAccessibleName(QStringLiteral("Device status"));
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    buildStatusGroup(column);
    buildInfoGroup(column);
    layout->addStretch(1);
    if (QLayout *pageLayout = page->layout())
        pageLayout->addWidget(column);

    m_form.hooks().ResetDeviceInfo = [this] { ResetDeviceInfo(); };
}

void DeviceStatusView::buildStatusGroup(QWidget *column)
{
    GroupBox18 = new QGroupBox(QStringLiteral("Refresh device status"), column);
    GroupBox18->setObjectName(QStringLiteral("GroupBox18"));
    GroupBox18->setAccessibleName(QStringLiteral("Refresh device status"));
    auto *layout = new QVBoxLayout(GroupBox18);
    btnGetDevStatus = new QPushButton(QStringLiteral("D&evice status"), GroupBox18);
    btnGetDevStatus->setObjectName(QStringLiteral("btnGetDevStatus"));
    btnGetDevStatus->setAccessibleName(QStringLiteral("Read device status"));
    connect(btnGetDevStatus, &QPushButton::clicked, this, &DeviceStatusView::btnGetDevStatusClick);
    layout->addWidget(btnGetDevStatus);
    column->layout()->addWidget(GroupBox18);
}

QLabel *DeviceStatusView::makeLine(QWidget *parent, const QString &name, int tag,
                                   const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    if (tag > 0)
        label->setProperty("Tag", tag);
    return label;
}

void DeviceStatusView::buildInfoGroup(QWidget *column)
{
    GroupBox11 = new QGroupBox(QStringLiteral("Device information"), column);
    GroupBox11->setObjectName(QStringLiteral("GroupBox11"));
    GroupBox11->setAccessibleName(QStringLiteral("Device information"));
    auto *layout = new QGridLayout(GroupBox11);

    lblDevice =
        makeLine(GroupBox11, QStringLiteral("lblDevice"), 0, QStringLiteral("Device: Not known"));
    lblDevice->setAccessibleName(QStringLiteral("Device"));
    lblVersion =
        makeLine(GroupBox11, QStringLiteral("lblVersion"), 0, QStringLiteral("Version: Not known"));
    lblVersion->setAccessibleName(QStringLiteral("Version"));
    Bevel3 = new QFrame(GroupBox11);
    Bevel3->setObjectName(QStringLiteral("Bevel3"));
    Bevel3->setAccessibleName(QStringLiteral("Separator"));
    Bevel3->setFrameShape(QFrame::HLine);
    Bevel3->setFrameShadow(QFrame::Sunken);
    layout->addWidget(lblDevice, 0, 0, 1, 2);
    layout->addWidget(lblVersion, 1, 0, 1, 2);
    layout->addWidget(Bevel3, 2, 0, 1, 2);

    for (int port = 1; port <= PortCount; ++port) {
        const auto index = std::size_t(port - 1);
        QLabel *input = makeLine(
            GroupBox11, QStringLiteral("Label") + QString::number(InputLabelNumbers[index]),
            InputLineTag + port, portName(false, port) + NotKnown);
        QLabel *output = makeLine(
            GroupBox11, QStringLiteral("Label") + QString::number(OutputLabelNumbers[index]),
            OutputLineTag + port, portName(true, port) + NotKnown);
        input->setAccessibleName(portName(false, port) + QStringLiteral(" connection"));
        output->setAccessibleName(portName(true, port) + QStringLiteral(" connection"));
        // The lines of ports 5-8 exist but are never shown or written.
        input->setVisible(port <= VisiblePorts);
        output->setVisible(port <= VisiblePorts);
        layout->addWidget(input, 2 + port, 0);
        layout->addWidget(output, 2 + port, 1);
        inputLines[index] = input;
        outputLines[index] = output;
    }
    column->layout()->addWidget(GroupBox11);
}

QString DeviceStatusView::KindName(int code)
{
    if (code >= 1 && code <= int(KindNames.size()))
        return QLatin1String(KindNames[std::size_t(code - 1)]);
    return QStringLiteral("Unknown (") + QString::number(code) + QLatin1Char(')');
}

void DeviceStatusView::btnGetDevStatusClick()
{
    ReadDeviceInfo();
}

void DeviceStatusView::ResetDeviceInfo()
{
    lblDevice->setText(QStringLiteral("Device: Not known"));
    lblVersion->setText(QStringLiteral("Version: Not known"));
    for (int port = 1; port <= VisiblePorts; ++port) {
        if (QLabel *line = m_form.FindInfoLabel(InputLineTag + port))
            line->setText(portName(false, port) + NotKnown);
        if (QLabel *line = m_form.FindInfoLabel(OutputLineTag + port))
            line->setText(portName(true, port) + NotKnown);
    }
}

bool DeviceStatusView::ReadDeviceInfo()
{
    TCommandResult kind;
    m_form.RunCommand(InfoStatus, CmdInfo, SubKind, WholeDevice, 0, 0, 0, kind);
    if (!kind.Success)
        return false;
    TCommandResult size;
    m_form.RunCommand(InfoStatus, CmdInfo, SubSize, WholeDevice, 0, 0, 0, size);
    if (!size.Success)
        return false;
    TCommandResult version;
    m_form.RunCommand(InfoStatus, CmdInfo, SubVersion, WholeDevice, 0, 0, 0, version);
    if (!version.Success)
        return false;

    lblDevice->setText(QStringLiteral("Device: ") + KindName(kind.r4()) + QStringLiteral(", ") +
                       QString::number(size.r4()) + QLatin1Char('x') + QString::number(size.r6()));
    lblVersion->setText(QStringLiteral("Version: ") + QString::number(version.r4()) +
                        QLatin1Char('.') + QString::number(version.r6()));

    bool success = true;
    for (int port = 1; port <= VisiblePorts; ++port) {
        success = readPortLine(false, port);
        if (port < VisiblePorts)
            m_form.clock().sleep(InputQueryPause);
    }
    for (int port = 1; port <= VisiblePorts; ++port)
        success = readPortLine(true, port);
    return success;
}

bool DeviceStatusView::readPortLine(bool output, int port)
{
    const QString name = portName(output, port);
    TCommandResult result;
    m_form.RunCommand(QStringLiteral("Getting ") + name + QStringLiteral(" connection ..."),
                      CmdInfo, output ? SubOutputConnection : SubInputConnection,
                      std::uint16_t(port), 0, 0, 0, result);
    QLabel *line = m_form.FindInfoLabel((output ? OutputLineTag : InputLineTag) + port);
    if (!line)
        return result.Success != 0;
    if (!result.Success) {
        line->setText(name + NotKnown);
    } else if (result.r6() == PortConnected) {
        line->setText(name + QStringLiteral(": Connected"));
        setBold(line, true);
    } else if (result.r6() == PortNotConnected) {
        line->setText(name + QStringLiteral(": Not connected"));
        setBold(line, false);
    }
    // Any other answer leaves the line as it was.
    return result.Success != 0;
}

std::uint8_t DeviceStatusView::QueryOutputConnection(int output)
{
    TCommandResult result;
    m_form.RunCommand(QStringLiteral("Getting ") + portName(true, output) +
                          QStringLiteral(" connection ..."),
                      CmdInfo, SubOutputConnection, std::uint16_t(output), 0, 0, 0, result);
    if (!result.Success)
        return QueryFailed;
    return result.r6() == PortConnected ? DisplayConnected : DisplayNotConnected;
}

std::uint8_t DeviceStatusView::QueryEDIDControlMode()
{
    TCommandResult result;
    m_form.RunCommand(QStringLiteral("Query EDID control mode ..."), CmdEdid, SubEdidControlMode, 0,
                      0, 0, 0, result);
    return result.Success ? result.r4() : QueryFailed;
}
