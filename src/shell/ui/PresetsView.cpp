#include "shell/ui/PresetsView.h"

#include "shell/PresetValue.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/PreSettingEdit.h"
#include "shell/ui/RoutingView.h"
#include "ui/Dialogs.h"

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

PresetsView::PresetsView(TForm1 &form, QWidget *page) : QObject(page), m_form(form)
{
    setObjectName(QStringLiteral("PresetsView"));
    GroupBox12 = new QGroupBox(QStringLiteral("Pre-Settings"));
    GroupBox12->setObjectName(QStringLiteral("GroupBox12"));
    GroupBox12->setAccessibleName(QStringLiteral("Pre-Settings"));
    auto *layout = new QVBoxLayout(GroupBox12);

    lvPreSetting = new QTableWidget(0, Columns, GroupBox12);
    lvPreSetting->setObjectName(QStringLiteral("lvPreSetting"));
    lvPreSetting->setAccessibleName(QStringLiteral("Presets"));
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
    btnPreEdit = new QPushButton(QStringLiteral("&Edit"), GroupBox12);
    btnPreEdit->setObjectName(QStringLiteral("btnPreEdit"));
    btnPreEdit->setAccessibleName(QStringLiteral("Edit preset"));
    btnSet = new QPushButton(QStringLiteral("&Set"), GroupBox12);
    btnSet->setObjectName(QStringLiteral("btnSet"));
    btnSet->setAccessibleName(QStringLiteral("Apply preset"));
    connect(btnPreEdit, &QPushButton::clicked, this, &PresetsView::btnPreEditClick);
    connect(btnSet, &QPushButton::clicked, this, &PresetsView::btnSetClick);
    buttons->addStretch(1);
    buttons->addWidget(btnPreEdit);
    buttons->addWidget(btnSet);
    layout->addLayout(buttons);

    if (QLayout *pageLayout = page->layout())
        pageLayout->addWidget(GroupBox12);
    else
        GroupBox12->setParent(page);

    m_form.hooks().FixPresetColumns = [this] { FixPresetColumns(); };
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

TfrmPreSettingEdit *PresetsView::editor() const
{
    TfrmPreSettingEdit *dialog = m_form.windows().frmPreSettingEdit;
    if (dialog)
        dialog->setDialogs(&m_form.dialogs());
    return dialog;
}

void PresetsView::lvPreSettingDblClick()
{
    btnPreEditClick();
}

void PresetsView::btnPreEditClick()
{
    const int index = selectedRow();
    if (index < 0) {
        m_form.dialogs().information(&m_form, QStringLiteral("Please select item."));
        return;
    }
    TfrmPreSettingEdit *dialog = editor();
    if (!dialog)
        return;
    dialog->setMode(TfrmPreSettingEdit::Mode::OutputSetting);
    dialog->centreOn(&m_form);

    std::array<QString, TfrmPreSettingEdit::ShownPorts> inputTags;
    std::array<QString, TfrmPreSettingEdit::ShownPorts> outputTags;
    for (int n = 1; n <= TfrmPreSettingEdit::ShownPorts; ++n) {
        const QLineEdit *input = m_form.FindTagEdit(n);
        const QLineEdit *output = m_form.FindTagEdit(TfrmPreSettingEdit::OutputNameTagBase + n);
        inputTags[std::size_t(n - 1)] = input ? input->text() : QString();
        outputTags[std::size_t(n - 1)] = output ? output->text() : QString();
    }
    PresetRow preset = row(index);
    dialog->PrepareOutputSettingEditor(preset.name, inputTags, outputTags);
    for (int n = 1; n <= PresetValue::RoutedOutputs; ++n) {
        const std::optional<int> value = PresetValue::number(preset.routing.value(n - 1));
        const int entry = value ? *value - 1 : n - 1;
        QComboBox *box = dialog->cbFromDeviceOfOutput[std::size_t(n - 1)];
        box->setCurrentIndex(entry >= 0 && entry < box->count() ? entry : -1);
    }
    if (m_form.dialogs().showModal(dialog) != QDialog::Accepted)
        return;

    preset.name = dialog->leSettingName->text();
    while (preset.routing.size() < PresetValue::RoutedOutputs)
        preset.routing.append(QString());
    for (int n = 1; n <= PresetValue::RoutedOutputs; ++n) {
        const int entry = dialog->cbFromDeviceOfOutput[std::size_t(n - 1)]->currentIndex();
        preset.routing[n - 1] = QString::number(entry + 1);
    }
    showRow(index, preset);
    selectRow(index);
}

// ---------------------------------------------------------------------------------------------
// Applying

void PresetsView::btnSetClick()
{
    const int index = selectedRow();
    if (index < 0) {
        m_form.dialogs().information(&m_form, QStringLiteral("Please select item."));
        return;
    }
    RoutingView *routing = m_form.routing();
    if (!routing)
        return;
    const PresetRow preset = row(index);
    QStringList skipped;
    m_form.RoutingAborted = false;
    for (int n = 1; n <= PresetValue::RoutedOutputs; ++n) {
        // A hand-edited file, or an editor list left without a choice ("0"), can hold a
        // number that names no input: that output is left as it is.
        const std::optional<int> input = PresetValue::routedInput(preset.routing.value(n - 1));
        QAbstractButton *button = input ? m_form.FindInputButton(n, *input) : nullptr;
        if (!button) {
            skipped.append(QStringLiteral("Output") + QString::number(n));
            continue;
        }
        routing->sbSetInputClick(button);
        if (m_form.RoutingAborted)
            return;
    }
    if (skipped.isEmpty())
        return;
    // Shown after the routes, since every command clears panel 3 when it ends.
    m_form.ShowStatus(3,
                      QStringLiteral("Pre-Setting [") + preset.name + QStringLiteral("]: ") +
                          skipped.join(QStringLiteral(", ")) +
                          (skipped.size() == 1 ? QStringLiteral(" has") : QStringLiteral(" have")) +
                          QStringLiteral(" no valid input, skipped"));
}
