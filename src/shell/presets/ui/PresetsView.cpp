#include "shell/presets/ui/PresetsView.h"

#include "shell/ShellContext.h"
#include "shell/ShellTexts.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/presets/PresetRouting.h"
#include "shell/presets/PresetValue.h"
#include "shell/presets/ui/PreSettingEdit.h"
#include "shell/settings/AppSettings.h"
#include "ui/Dialogs.h"
#include "ui/WidgetNames.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace {

constexpr int Columns = 1 + PresetValue::RoutedOutputs;
constexpr int RoutingRole = Qt::UserRole + 1;

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

PresetsView::PresetsView(ShellContext &context, RoutingController &routing,
                         TfrmPreSettingEdit &editor, Dialogs &dialogs, QWidget *parent)
    : QGroupBox(QStringLiteral("Pre-Settings"), parent), m_context(context), m_routing(routing),
      m_editor(editor), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("GroupBox12"));
    setAccessibleName(QStringLiteral("Pre-Settings"));
    auto *layout = new QVBoxLayout(this);

    lvPreSetting =
        named(new QTableWidget(0, Columns, this), "lvPreSetting", QStringLiteral("Presets"));
    lvPreSetting->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Output1"),
                                             QStringLiteral("Output2"), QStringLiteral("Output3"),
                                             QStringLiteral("Output4")});
    lvPreSetting->verticalHeader()->hide();
    lvPreSetting->setShowGrid(true);
    lvPreSetting->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvPreSetting->setSelectionMode(QAbstractItemView::SingleSelection);
    lvPreSetting->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvPreSetting->setWordWrap(false);
    lvPreSetting->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    lvPreSetting->horizontalHeader()->setSectionsMovable(false);
    // The selection stays visible while another control has the focus.
    QPalette colours = lvPreSetting->palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    lvPreSetting->setPalette(colours);
    connect(lvPreSetting, &QTableWidget::cellDoubleClicked, this,
            &PresetsView::lvPreSettingDblClick);
    layout->addWidget(lvPreSetting, 1);

    auto *buttons = new QHBoxLayout;
    btnPreEdit = named(new QPushButton(QStringLiteral("&Edit"), this), "btnPreEdit",
                       QStringLiteral("Edit preset"));
    btnSet = named(new QPushButton(QStringLiteral("&Set"), this), "btnSet",
                   QStringLiteral("Apply preset"));
    connect(btnPreEdit, &QPushButton::clicked, this, &PresetsView::btnPreEditClick);
    connect(btnSet, &QPushButton::clicked, this, &PresetsView::btnSetClick);
    buttons->addStretch(1);
    buttons->addWidget(btnPreEdit);
    buttons->addWidget(btnSet);
    layout->addLayout(buttons);
}

QWidget *PresetsView::presetList() const
{
    return lvPreSetting;
}

void PresetsView::FixPresetColumns()
{
    QHeaderView *header = lvPreSetting->horizontalHeader();
    header->setMinimumSectionSize(std::min(NameColumnWidth, OutputColumnWidth));
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignCenter);
    lvPreSetting->setColumnWidth(0, NameColumnWidth);
    for (int column = 1; column < Columns; ++column)
        lvPreSetting->setColumnWidth(column, OutputColumnWidth);
    int width = NameColumnWidth + PresetValue::RoutedOutputs * OutputColumnWidth +
                2 * lvPreSetting->frameWidth();
    lvPreSetting->setMinimumWidth(width + lvPreSetting->verticalScrollBar()->sizeHint().width());
}

// ---------------------------------------------------------------------------------------------
// Rows

void PresetsView::showRow(int index, const PresetRow &preset)
{
    QTableWidgetItem *name = cell(preset.name);
    name->setData(RoutingRole, preset.routing);
    lvPreSetting->setItem(index, 0, name);
    for (int n = 1; n <= PresetValue::RoutedOutputs; ++n)
        lvPreSetting->setItem(index, n, cell(preset.routing.value(n - 1)));
}

PresetRow PresetsView::row(int index) const
{
    PresetRow preset;
    if (const QTableWidgetItem *name = lvPreSetting->item(index, 0)) {
        preset.name = name->text();
        preset.routing = name->data(RoutingRole).toStringList();
    }
    return preset;
}

QList<PresetRow> PresetsView::rows() const
{
    QList<PresetRow> result;
    for (int index = 0; index < lvPreSetting->rowCount(); ++index)
        result.append(row(index));
    return result;
}

void PresetsView::setRows(const QList<PresetRow> &rows)
{
    lvPreSetting->clearSelection();
    lvPreSetting->setRowCount(0);
    lvPreSetting->setRowCount(int(rows.size()));
    for (int index = 0; index < int(rows.size()); ++index)
        showRow(index, rows[index]);
}

int PresetsView::selectedRow() const
{
    const QModelIndexList selected = lvPreSetting->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void PresetsView::selectRow(int row)
{
    if (row >= 0 && row < lvPreSetting->rowCount())
        lvPreSetting->selectRow(row);
    else
        lvPreSetting->clearSelection();
}

// ---------------------------------------------------------------------------------------------
// Editing

void PresetsView::selectFirstPreset()
{
    if (lvPreSetting->rowCount() > 0 && !lvPreSetting->selectionModel()->hasSelection())
        lvPreSetting->setCurrentIndex(lvPreSetting->model()->index(0, 0));
}

void PresetsView::lvPreSettingDblClick()
{
    btnPreEditClick();
}

void PresetsView::btnPreEditClick()
{
    const int index = selectedRow();
    if (index < 0) {
        m_dialogs.information(window(), ShellTexts::PleaseSelectItem());
        return;
    }
    const PortTagsModel &tags = m_context.portTags();
    std::array<QString, TfrmPreSettingEdit::ShownPorts> inputTags;
    std::array<QString, TfrmPreSettingEdit::ShownPorts> outputTags;
    for (int n = 1; n <= TfrmPreSettingEdit::ShownPorts; ++n) {
        inputTags[std::size_t(n - 1)] = tags.inputTag(n);
        outputTags[std::size_t(n - 1)] = tags.outputTag(n);
    }
    const std::optional<PresetRow> edited = m_editor.editPreset(row(index), inputTags, outputTags);
    if (!edited)
        return;
    showRow(index, *edited);
    selectRow(index);
}

// ---------------------------------------------------------------------------------------------
// Applying

void PresetsView::btnSetClick()
{
    const int index = selectedRow();
    if (index < 0) {
        m_dialogs.information(window(), ShellTexts::PleaseSelectItem());
        return;
    }
    const PresetRow preset = row(index);
    const QStringList skipped = ApplyPreset(m_routing, preset);
    // Shown after the routes, since every command clears panel 3 when it ends.
    if (!skipped.isEmpty())
        m_context.ShowStatus(StatusPanel::Hint, SkippedOutputsText(preset.name, skipped));
}

// ---------------------------------------------------------------------------------------------
// Settings

void PresetsView::applySettings(const AppSettings &settings)
{
    setRows(settings.presets);
}

void PresetsView::collectSettings(AppSettings &settings) const
{
    settings.presets = rows();
}
