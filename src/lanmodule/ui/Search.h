#pragma once

#include <QDialog>
#include <QStringList>

#include <array>
#include <optional>

class Dialogs;
class OctetField;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TKXCOMControl;
class TKXGauge;

/// The wizard that finds network control devices: an automatic search by broadcast on the
/// PC's own subnet, then, when wanted, a manual search at one typed address. Six step panels,
/// one visible at a time. The main window takes FoundDevices when the result is Accepted.
class TfrmSearch : public QDialog
{
    Q_OBJECT
public:
    /// The result of "Close" on the last step (nothing found).
    static constexpr int ResultNo = 7;
    static constexpr int NotifySearchText = 3024;

    explicit TfrmSearch(Dialogs &dialogs, QWidget *parent = nullptr);

    /// Runs the wizard with `link`: the device entries the operator took, or nothing when
    /// cancelled.
    std::optional<QStringList> search(TKXCOMControl &link);
    /// The link the wizard searches with.
    void attach(TKXCOMControl &link) { m_link = &link; }

    /// Device entries found since the wizard was last shown, in the order found.
    QStringList FoundDevices;
    bool AutoSearch = false;
    bool SearchCancelled = false;

    void FormShow();
    /// Runs the automatic search on the first activation after showing.
    void FormActivate();
    void ShowStep(int step);
    int currentStep() const { return m_step; }
    /// The link's search progress forwarded by the main window (notification 3024).
    void SearchNotify(int code, qint64 wParam, qint64 lParam, const QString &text);

    void btnStopClick();
    void btnYESClick() { done(Accepted); }
    void btnNoClick() { ShowStep(3); }
    void btnGOClick();
    void btnCloseClick() { done(Rejected); }
    void btnStopThenCloseClick() { done(Rejected); }
    void btnDoneClick() { done(Accepted); }
    void btnCloseOfEndClick() { done(ResultNo); }

    std::array<QWidget *, 6> pnlSteps{};
    QGroupBox *gbStep1 = nullptr;
    TKXGauge *kxSearching = nullptr;
    QPushButton *btnStop = nullptr;
    QGroupBox *gbStep2 = nullptr;
    QComboBox *cbMXDevice = nullptr;
    QPushButton *btnNo = nullptr;
    QPushButton *btnYES = nullptr;
    QGroupBox *gbStep3 = nullptr;
    std::array<OctetField *, 4> edtIPFields{};
    QPushButton *btnGO = nullptr;
    QPushButton *btnClose = nullptr;
    QPushButton *btnStopThenClose = nullptr;
    QComboBox *cbMXDevice1 = nullptr;
    QPushButton *btnDone = nullptr;
    QPushButton *btnCloseOfEnd = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *makePanel(int step, const QString &caption, QGroupBox **group);
    void buildStep1();
    void buildStep2();
    void buildStep3();
    void buildEndSteps();
    static void fillList(QComboBox *list, const QStringList &entries);

    TKXCOMControl *m_link = nullptr;
    Dialogs &m_dialogs;
    int m_step = 0;
};
