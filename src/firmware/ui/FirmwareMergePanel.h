#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

class QEvent;
class QGroupBox;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QWidget;
class TForm1;

/// The "Merge FW" group: up to four plain part images and their versions become one merged
/// firmware file in the program's folder. The main window keeps the group hidden and
/// disabled; the merge works all the same when it is offered.
class FirmwareMergePanel : public QObject
{
    Q_OBJECT
public:
    FirmwareMergePanel(TForm1 &form, QWidget *column, QObject *parent = nullptr);

    void btnOpenMainClick();
    /// Shared by the three slave buttons; the sender's Tag (11, 12, 13) picks the field.
    void btnOpenSlave1Click(int tag);
    /// The version fields' key filter: true when the key is to be dropped.
    static bool leMainFWVer1KeyPress(const QKeyEvent &event);
    /// Builds the merged file from the filled-in parts and saves it.
    void MergeFirmware();

    /// One part of the merge: its path field, open button and version fields.
    struct PartControls
    {
        QLineEdit *path = nullptr;
        QPushButton *open = nullptr;
        QLineEdit *version1 = nullptr;
        QLineEdit *version2 = nullptr;
    };

    QGroupBox *gbMergeFW = nullptr;
    QLineEdit *edtMainMCUFW = nullptr;
    QLineEdit *edtSlaveMCU1FW = nullptr;
    QLineEdit *edtSlaveMCU2FW = nullptr;
    QLineEdit *edtSlaveMCU3FW = nullptr;
    QPushButton *btnMerge = nullptr;
    const std::array<PartControls, 4> &parts() const { return m_parts; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildGroup(QWidget *column);
    void choosePath(QLineEdit *field);
    bool save(const QString &fileName, const QByteArray &content);
    void message(const QString &line);

    TForm1 &m_form;
    std::array<PartControls, 4> m_parts{};
};
