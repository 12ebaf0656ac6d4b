#pragma once

#include <QDialog>
#include <QStringList>

#include <array>
#include <optional>

class Dialogs;
class MACField;
class OctetField;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QRandomGenerator;

/// What the network configuration dialog shows and returns.
struct LanDeviceForm
{
    QString tag;
    bool dhcp = true;
    /// Dotted address; the four numbers as the fields hold them after OK.
    QString ip;
    std::array<int, 4> octets{};
    QString mac;
    /// The address controls can be changed (the device is on the PC's subnet).
    bool addressEditable = true;
};

/// The network configuration dialog: device tag, automatic or fixed address, and the MAC
/// (read-only unless MAC editing is switched on, which brings validation and a generator).
class TfrmEditLAN : public QDialog
{
    Q_OBJECT
public:
    /// `random` is the program's generator, seeded once at start.
    TfrmEditLAN(Dialogs &dialogs, QRandomGenerator &random, QWidget *parent = nullptr);

    /// Shows `current` with the MAC read-only; what the operator confirmed, or nothing when
    /// cancelled.
    std::optional<LanDeviceForm> edit(const LanDeviceForm &current);

    void SetMACEditable(bool editable);
    /// The mode buttons, the IP fields and their labels together.
    void SetAddressControlsEnabled(bool enabled);
    bool MACEditable() const;
    bool CheckMACInUse = false;
    QStringList UsedMACs;
    bool MACGenerationStopped = true;
    /// OK asks first when the address sent differs from the one typed (the range rule of the
    /// octet fields, an empty field) or the tag is empty: a typing slip must not move a
    /// module to an address nobody can reach.
    bool ConfirmAdjustedValues = false;

    QString GetMACText() const;
    QString GetIPText() const;

    void FormShow();
    void rbDHCPClick(QRadioButton *clicked);
    void btnOKClick();
    void btnCloseClick() { done(Rejected); }
    void edtMACField1DblClick();

    QLineEdit *leDeviceTag = nullptr;
    QRadioButton *rbDHCP = nullptr;
    QRadioButton *rbStaticIP = nullptr;
    QLabel *lblIPAddr = nullptr;
    std::array<OctetField *, 4> edtIPFields{};
    QLabel *lblIPSep = nullptr;
    QLabel *lblMAC = nullptr;
    std::array<MACField *, 6> edtMACFields{};
    QLabel *lblMACSep = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnClose = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildWindow();
    void showBit0Error();
    /// Clamps the octet fields; false when the operator did not confirm what will be sent.
    bool clampConfirmed();

    Dialogs &m_dialogs;
    QRandomGenerator &m_random;
    std::array<QLabel *, 3> m_ipDots{};
};
