#pragma once

#include "link/Commands.h"

#include <QWidget>

#include <array>

class ConnectionController;
class DeviceStatusReader;
class QGroupBox;
class QLabel;
class ValueLabel;
class QPushButton;

/// The device information column of the General page: the "Device status" button and the
/// lines the device status reader keeps.
class DeviceStatusView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int PortCount = 8;
    static constexpr int VisiblePorts = 4;
    static constexpr int InputLineTag = 40;  // input n: 40 + n
    static constexpr int OutputLineTag = 80; // output n: 80 + n

    DeviceStatusView(DeviceStatusReader &reader, ConnectionController &connection,
                     QWidget *parent = nullptr);

    /// The line of input n (41..48) or output n (81..88), or null.
    QLabel *FindInfoLabel(int tag) const;

    void btnGetDevStatusClick();

private:
    void buildStatusGroup();
    void buildInfoGroup();
    void showLines();

    DeviceStatusReader &m_reader;
    QPushButton *btnGetDevStatus = nullptr;
    ValueLabel *lblDevice = nullptr;
    ValueLabel *lblVersion = nullptr;
    /// Label7..Label10, Label11..Label14.
    std::array<ValueLabel *, PortCount> m_inputLines{};
    /// Label22, Label21, Label20, Label19, Label18, Label17, Label16, Label15.
    std::array<ValueLabel *, PortCount> m_outputLines{};
};
