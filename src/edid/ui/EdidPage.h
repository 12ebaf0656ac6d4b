#pragma once

#include "edid/EdidOperations.h"
#include "shell/settings/SettingsPart.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>

class DeviceStatusReader;
class Dialogs;
class EdidGrid;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class ShellContext;

/// The "EDID control" page: setting the EDID mode of inputs, copying a display's EDID to
/// inputs, reading a block from an output or a user memory into the content grid,
/// downloading the grid's block to the switcher, and opening and saving EDID files.
class EdidPage : public QWidget, public SettingsPart
{
    Q_OBJECT
public:
    EdidPage(ShellContext &context, DeviceStatusReader &deviceStatus, Dialogs &dialogs,
             QWidget *parent = nullptr);

    // Content grid.
    /// Writes the grid headers; with a stream, checks it and shows its block when valid.
    bool ShowEDIDData(const QByteArray *stream);
    void ClearEDIDData();
    /// Fills `stream` from the grid; true only with a complete grid (256 bytes).
    bool CollectEDIDData(QByteArray &stream) const;

    // Port-choice lists.
    /// Fills the five port lists from the current port tags and selects their prompts.
    void BuildEDIDPortLists();
    /// The same, keeping each list's selected position.
    void RebuildEDIDPortLists();
    void tsEDIDCtrlShow();
    static bool IsUserMemoryEntry(const QComboBox *list);
    static int FirstUserMemoryIndex(const QComboBox *list);

    /// FormCreate drops the last mode entry ("Default EDID" stays the last one offered).
    void removeLastMode();
    /// Shows the end of each file path.
    void showPathEnds();

    void applySettings(const AppSettings &settings) override;
    void collectSettings(AppSettings &settings) const override;

    // Handlers.
    void btnSetEDIDModeClick();
    void btnCopyEDIDClick();
    void btnReadEDIDDataClick();
    void btnDownloadEDIDClick();
    void btnOpenEDIDClick();
    void btnSaveEDIDClick();
    void btnClearEDIDContentClick();

private:
    QGroupBox *gbEDIDModeCtrl = nullptr;
    QComboBox *cbEDIDMode = nullptr;
    QComboBox *cbSetEDIDModeInput = nullptr;
    QPushButton *btnSetEDIDMode = nullptr;
    QComboBox *cbCopyEDIDOutput = nullptr;
    QComboBox *cbCopyEDIDInput = nullptr;
    QPushButton *btnCopyEDID = nullptr;

    QGroupBox *gbEDIDDataCtrl = nullptr;
    QComboBox *cbReadEDIDDataOutput = nullptr;
    QPushButton *btnReadEDIDData = nullptr;
    QComboBox *cbDownloadEDIDInput = nullptr;
    QPushButton *btnDownloadEDID = nullptr;
    QLineEdit *edtOpenEDID = nullptr;
    QToolButton *BitBtn1 = nullptr;
    QLineEdit *edtSaveEDID = nullptr;
    QToolButton *btnSaveEDID = nullptr;
    QPushButton *btnClearEDIDContent = nullptr;

    QGroupBox *gbEDIDContent = nullptr;
    EdidGrid *sgEDIDContent = nullptr;

    void buildModeGroup(QWidget *parent);
    void buildDataGroup(QWidget *parent);
    void buildContentGroup(QWidget *parent);
    /// The six lists whose choices Settings.ini keeps, in its order.
    std::array<QComboBox *, 6> settingsLists() const;
    /// False (with the hint in the status bar) when a list still shows its prompt.
    bool listsChosen(std::initializer_list<const QComboBox *> lists);
    /// The input a list of inputs names; nothing for its last entry, all inputs.
    static std::optional<int> chosenInput(const QComboBox *list);
    /// The message box of a check that stopped an action (`output`: the one without display).
    void tell(EdidOutcome outcome, int output = 0);

    ShellContext &m_context;
    EdidOperations m_operations;
    Dialogs &m_dialogs;
};
