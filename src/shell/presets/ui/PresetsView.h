#pragma once

#include "shell/presets/PresetRow.h"
#include "shell/settings/SettingsPart.h"

#include <QGroupBox>
#include <QList>

class Dialogs;
class PortTagsModel;
class QPushButton;
class QTableWidget;
class RoutingController;
class ShellContext;
class TfrmPreSettingEdit;

/// The "Pre-Settings" group of the "Setting" page (GroupBox12): the list of the eight presets,
/// editing one in the preset editor and applying one through the routing controller.
class PresetsView : public QGroupBox, public SettingsPart
{
    Q_OBJECT
public:
    static constexpr int PresetCount = 8;
    static constexpr int NameColumnWidth = 103;
    static constexpr int OutputColumnWidth = 68;

    PresetsView(ShellContext &context, RoutingController &routing, TfrmPreSettingEdit &editor,
                Dialogs &dialogs, QWidget *parent = nullptr);

    QList<PresetRow> rows() const;
    /// Replaces the list's rows.
    void setRows(const QList<PresetRow> &rows);
    /// The selected row, or -1.
    int selectedRow() const;
    void selectRow(int row);
    /// Selects the first preset when none is selected (the page is shown).
    void selectFirstPreset();
    /// The preset list, where the routing view's note returns to its idle text.
    QWidget *presetList() const;

    /// Fixed widths 103 and 68, all columns centred.
    void FixPresetColumns();

    void btnPreEditClick();
    void btnSetClick();
    void lvPreSettingDblClick();

    void applySettings(const AppSettings &settings) override;
    void collectSettings(AppSettings &settings) const override;

private:
    void showRow(int row, const PresetRow &preset);
    PresetRow row(int index) const;

    ShellContext &m_context;
    RoutingController &m_routing;
    TfrmPreSettingEdit &m_editor;
    Dialogs &m_dialogs;
    QTableWidget *lvPreSetting = nullptr;
    QPushButton *btnPreEdit = nullptr;
    QPushButton *btnSet = nullptr;
};
