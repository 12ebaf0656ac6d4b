#pragma once

#include "firmware/FirmwareFile.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class FirmwareMergePanel;
class IrControl;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TForm1;
class TKXGauge;

/// The firmware features of the main window: the "FW upgrade" group and its procedure on
/// the FW upgrade page, the merge group beside it and the IR switch on the Advanced page.
/// Not a widget itself: it builds its controls into the window's pages and acts on them.
class FirmwarePage : public QObject
{
    Q_OBJECT
public:
    explicit FirmwarePage(TForm1 &form);

    void btnOpenFWClick();
    /// Sends every part of the merged firmware file in edtFWFile, then restarts the switcher.
    void UpgradeFirmware();

    FirmwareMergePanel *merge() const { return m_merge; }
    IrControl *ir() const { return m_ir; }

    QGroupBox *gbFWUpgrade = nullptr;
    QLineEdit *edtFWFile = nullptr;
    QPushButton *btnOpenFW = nullptr;
    TKXGauge *kxgFWProgress = nullptr;
    QPushButton *btnUpgrade = nullptr;

private:
    void buildUpgradeGroup(QWidget *column);
    /// Sends the parts one after the other. True when the last part was written and the file
    /// held nothing damaged, so that the switcher may restart.
    bool sendParts(const QByteArray &file);
    /// Why the part at `offset` cannot be sent, as a message line.
    static QString partProblem(const QByteArray &file, const PartRead &read);
    void restartSwitcher();
    void message(const QString &line);

    TForm1 &m_form;
    FirmwareMergePanel *m_merge = nullptr;
    IrControl *m_ir = nullptr;
};
