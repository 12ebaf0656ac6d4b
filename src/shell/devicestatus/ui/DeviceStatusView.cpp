#include "shell/devicestatus/ui/DeviceStatusView.h"

#include "shell/connection/ConnectionController.h"
#include "shell/devicestatus/DeviceStatusReader.h"
#include "ui/ValueLabel.h"
#include "ui/WidgetNames.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Component names of the port lines, by port.
constexpr std::array<int, DeviceStatusView::PortCount> InputLabelNumbers{7,  8,  9,  10,
                                                                         11, 12, 13, 14};
constexpr std::array<int, DeviceStatusView::PortCount> OutputLabelNumbers{22, 21, 20, 19,
                                                                          18, 17, 16, 15};

ValueLabel *makeLine(QWidget *parent, const QString &name, const QString &accessibleName)
{
    auto *label = named(new ValueLabel(parent), name, accessibleName);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void showLine(ValueLabel *label, const StatusLine &line)
{
    label->showText(line.text);
    if (label->font().bold() != line.bold) {
        QFont font = label->font();
        font.setBold(line.bold);
        label->setFont(font);
    }
}

} // namespace

DeviceStatusView::DeviceStatusView(DeviceStatusReader &reader, ConnectionController &connection,
                                   QWidget *parent)
    : QWidget(parent), m_reader(reader)
{
    setObjectName(QStringLiteral("pnlDeviceStatus"));
    setAccessibleName(QStringLiteral("Device status"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    buildStatusGroup();
    buildInfoGroup();
    layout->addStretch(1);
    showLines();
    connect(&m_reader, &DeviceStatusReader::linesChanged, this, &DeviceStatusView::showLines);
    connect(&connection, &ConnectionController::modeControlsChanged, this,
            [this](TControlMode, bool busy) { btnGetDevStatus->setEnabled(!busy); });
}

void DeviceStatusView::buildStatusGroup()
{
    auto *group = named(new QGroupBox(QStringLiteral("Refresh device status"), this), "GroupBox18",
                        QStringLiteral("Refresh device status"));
    auto *layout = new QVBoxLayout(group);
    btnGetDevStatus = named(new QPushButton(QStringLiteral("D&evice status"), group),
                            "btnGetDevStatus", QStringLiteral("Read device status"));
    connect(btnGetDevStatus, &QPushButton::clicked, this, &DeviceStatusView::btnGetDevStatusClick);
    layout->addWidget(btnGetDevStatus);
    this->layout()->addWidget(group);
}

void DeviceStatusView::buildInfoGroup()
{
    auto *group = named(new QGroupBox(QStringLiteral("Device information"), this), "GroupBox11",
                        QStringLiteral("Device information"));
    auto *layout = new QGridLayout(group);

    lblDevice = makeLine(group, QStringLiteral("lblDevice"), QStringLiteral("Device"));
    lblVersion = makeLine(group, QStringLiteral("lblVersion"), QStringLiteral("Version"));
    auto *bevel = named(new QFrame(group), "Bevel3", QStringLiteral("Separator"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    layout->addWidget(lblDevice, 0, 0, 1, 2);
    layout->addWidget(lblVersion, 1, 0, 1, 2);
    layout->addWidget(bevel, 2, 0, 1, 2);

    for (int port = 1; port <= PortCount; ++port) {
        const auto index = std::size_t(port - 1);
        ValueLabel *input =
            makeLine(group, QStringLiteral("Label") + QString::number(InputLabelNumbers[index]),
                     DeviceStatusReader::portName(false, port) + QStringLiteral(" connection"));
        ValueLabel *output =
            makeLine(group, QStringLiteral("Label") + QString::number(OutputLabelNumbers[index]),
                     DeviceStatusReader::portName(true, port) + QStringLiteral(" connection"));
        input->setProperty("Tag", InputLineTag + port);
        output->setProperty("Tag", OutputLineTag + port);
        // The lines of ports 5-8 exist but are never shown.
        input->setVisible(port <= VisiblePorts);
        output->setVisible(port <= VisiblePorts);
        layout->addWidget(input, 2 + port, 0);
        layout->addWidget(output, 2 + port, 1);
        m_inputLines[index] = input;
        m_outputLines[index] = output;
    }
    this->layout()->addWidget(group);
}

QLabel *DeviceStatusView::FindInfoLabel(int tag) const
{
    if (tag > InputLineTag && tag <= InputLineTag + PortCount)
        return m_inputLines[std::size_t(tag - InputLineTag - 1)];
    if (tag > OutputLineTag && tag <= OutputLineTag + PortCount)
        return m_outputLines[std::size_t(tag - OutputLineTag - 1)];
    return nullptr;
}

void DeviceStatusView::showLines()
{
    showLine(lblDevice, m_reader.deviceLine());
    showLine(lblVersion, m_reader.versionLine());
    for (int port = 1; port <= PortCount; ++port) {
        showLine(m_inputLines[std::size_t(port - 1)], m_reader.inputLine(port));
        showLine(m_outputLines[std::size_t(port - 1)], m_reader.outputLine(port));
    }
}

void DeviceStatusView::btnGetDevStatusClick()
{
    m_reader.ReadDeviceInfo();
}
