#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class TForm1;

/// The device information of the General page: kind, size and version of the switcher and
/// the connection state of each port, read when the operator asks for it; and the two
/// single-port queries the EDID operations use.
class DeviceStatusView : public QObject
{
    Q_OBJECT
public:
    DeviceStatusView(TForm1 &form, QWidget *page);

    static constexpr int PortCount = 8;
    static constexpr int VisiblePorts = 4;
    static constexpr int InputLineTag = 40;  // input n: Tag 40 + n
    static constexpr int OutputLineTag = 80; // output n: Tag 80 + n

    /// QueryOutputConnection answers.
    static constexpr std::uint8_t DisplayConnected = 15;
    static constexpr std::uint8_t DisplayNotConnected = 240;
    static constexpr std::uint8_t QueryFailed = 255;

    QGroupBox *GroupBox18 = nullptr;
    QPushButton *btnGetDevStatus = nullptr;
    QGroupBox *GroupBox11 = nullptr;
    QLabel *lblDevice = nullptr;
    QLabel *lblVersion = nullptr;
    QFrame *Bevel3 = nullptr;
    /// Label7..Label10, Label11..Label14.
    std::array<QLabel *, PortCount> inputLines{};
    /// Label22, Label21, Label20, Label19, Label18, Label17, Label16, Label15.
    std::array<QLabel *, PortCount> outputLines{};

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

    void btnGetDevStatusClick();

    /// "HDMI Matrix" and the others for codes 1..3; "Unknown (code)" for any other code.
    static QString KindName(int code);

private:
    void buildStatusGroup(QWidget *column);
    void buildInfoGroup(QWidget *column);
    QLabel *makeLine(QWidget *parent, const QString &name, int tag, const QString &text);
    /// One connection query and its line; the query's Success.
    bool readPortLine(bool output, int port);

    TForm1 &m_form;
};
