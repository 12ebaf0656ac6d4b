#pragma once

#include <QString>
#include <QWidget>

class Dialogs;
class FirmwareMergePanel;
class FirmwareUpgrade;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ShellContext;
class TKXGauge;

/// The "FW upgrade" page: the upgrade group with its file, gauge and button, the merge group
/// under it, and the message area beside them.
class FirmwarePage : public QWidget
{
    Q_OBJECT
public:
    FirmwarePage(ShellContext &context, Dialogs &dialogs, QWidget *parent = nullptr);

    /// Whether the "Merge FW" group is offered (the delivered window hides and disables it).
    void setMergeOffered(bool offered);
    /// Shows the end of each file path.
    void showPathEnds();

    void btnOpenFWClick();
    /// Sends every part of the merged firmware file in edtFWFile, then restarts the switcher.
    void UpgradeFirmware();
    void Button1Click();

private:
    QWidget *buildUpgradeGroup();
    QWidget *buildMessagesGroup();
    void showProgress(const QString &caption, int progress);

    ShellContext &m_context;
    Dialogs &m_dialogs;
    FirmwareUpgrade *m_upgrade = nullptr;
    FirmwareMergePanel *m_merge = nullptr;
    QLineEdit *edtFWFile = nullptr;
    TKXGauge *kxgFWProgress = nullptr;
    QPushButton *btnUpgrade = nullptr;
    QPlainTextEdit *mmoMessage = nullptr;
};
