#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QGroupBox;
class QPushButton;
class QTableWidget;
class QWidget;
class TForm1;
class TfrmPreSettingEdit;

/// One preset: its name and the input numbers of outputs 1..4 (further parts are kept).
struct PresetRow
{
    QString name;
    QStringList routing;

    bool operator==(const PresetRow &) const = default;
};

/// The "Pre-Settings" group of the "Setting" page: the list of the eight presets, editing one
/// in TfrmPreSettingEdit and applying one through the routing view.
class PresetsView : public QObject
{
    Q_OBJECT
public:
    static constexpr int PresetCount = 8;
    static constexpr int NameColumnWidth = 103;
    static constexpr int OutputColumnWidth = 68;

    PresetsView(TForm1 &form, QWidget *page);

    QList<PresetRow> rows() const;
    /// Replaces the list's rows.
    void setRows(const QList<PresetRow> &rows);
    /// The selected row, or -1.
    int selectedRow() const;
    void selectRow(int row);

    /// Fixed widths 103 and 68, all columns centred.
    void FixPresetColumns();

    void btnPreEditClick();
    void btnSetClick();
    void lvPreSettingDblClick();

    QGroupBox *GroupBox12 = nullptr;
    QTableWidget *lvPreSetting = nullptr;
    QPushButton *btnPreEdit = nullptr;
    QPushButton *btnSet = nullptr;

private:
    void showRow(int row, const PresetRow &preset);
    PresetRow row(int index) const;
    TfrmPreSettingEdit *editor() const;
    void routeOutput(int output, int input);

    TForm1 &m_form;
};
