#pragma once

#include <QByteArray>
#include <QGroupBox>
#include <QString>

#include <array>
#include <cstdint>

class Dialogs;
class QEvent;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class ShellContext;

/// The "Merge FW" group (gbMergeFW): up to four plain part images and their versions become
/// one merged firmware file in the program's folder. The window keeps the group hidden and
/// disabled; the merge works all the same when it is offered.
class FirmwareMergePanel : public QGroupBox
{
    Q_OBJECT
public:
    FirmwareMergePanel(ShellContext &context, Dialogs &dialogs, QWidget *parent = nullptr);

    void btnOpenMainClick();
    /// Shared by the three slave buttons; the sender's Tag (11, 12, 13) picks the field.
    void btnOpenSlave1Click(int tag);
    /// The version fields' key filter: true when the key is to be dropped.
    static bool leMainFWVer1KeyPress(const QKeyEvent &event);
    /// Builds the merged file from the filled-in parts and saves it.
    void MergeFirmware();

    /// Shows the end of the main and first slave image paths.
    void showPathEnds();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// One part of the merge: its path field, open button and version fields.
    struct PartControls
    {
        QLineEdit *path = nullptr;
        QPushButton *open = nullptr;
        QLineEdit *version1 = nullptr;
        QLineEdit *version2 = nullptr;
    };

    void buildGroup();
    void choosePath(QLineEdit *field);
    bool save(const QString &fileName, const QByteArray &content);
    void message(const QString &line);

    ShellContext &m_context;
    Dialogs &m_dialogs;
    std::array<PartControls, 4> m_parts{};
};
