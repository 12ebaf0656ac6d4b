#include "edid/ui/EdidPage.h"
#include "ui/WidgetNames.h"

#include "edid/EdidBlock.h"
#include "edid/EdidPortLists.h"
#include "edid/ui/EdidGrid.h"
#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/ShellTexts.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/settings/AppSettings.h"
#include "ui/Dialogs.h"
#include "ui/LineEdits.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace {

constexpr int ButtonWidth = 80;
constexpr int PopupMargin = 24;

const QString FileFilter = QStringLiteral("Binary file(*.bin)|*.bin");
const QString SelectFirst = QStringLiteral("Select list item first");

QLabel *label(const QString &text, const char *name, QWidget *buddy, QWidget *parent)
{
    auto *result = named(new QLabel(text, parent), name, text.trimmed());
    result->setBuddy(buddy);
    result->setMinimumWidth(result->sizeHint().width());
    return result;
}

QComboBox *pickList(const char *name, const QString &accessibleName, int characters,
                    QWidget *parent)
{
    auto *list = named(new QComboBox(parent), name, accessibleName);
    list->setEditable(false);
    // The lists keep a fixed width however long the tags are; the open list shows them whole.
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(characters);
    return list;
}

void fitPopup(QComboBox *list)
{
    list->view()->setMinimumWidth(list->view()->sizeHintForColumn(0) + PopupMargin);
}

void fillList(QComboBox *list, const QStringList &entries, int selected)
{
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(selected >= 0 && selected < list->count() ? selected : 0);
    fitPopup(list);
}

} // namespace

EdidPage::EdidPage(ShellContext &context, DeviceStatusReader &deviceStatus, Dialogs &dialogs,
                   QWidget *parent)
    : QWidget(parent), m_context(context), m_operations(context, deviceStatus), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("EdidPage"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *controls = new QWidget(this);
    controls->setObjectName(QStringLiteral("pnlEDIDControls"));
    auto *column = new QVBoxLayout(controls);
    column->setContentsMargins(0, 0, 0, 0);
    buildModeGroup(controls);
    buildDataGroup(controls);
    column->addWidget(gbEDIDModeCtrl);
    column->addWidget(gbEDIDDataCtrl);
    column->addStretch(1);
    buildContentGroup(this);
    // The grid keeps its own size; the lists take the rest of the page's width.
    gbEDIDContent->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    layout->addWidget(controls, 1);
    layout->addWidget(gbEDIDContent, 0);

    for (QPushButton *button :
         {btnSetEDIDMode, btnCopyEDID, btnReadEDIDData, btnDownloadEDID, btnClearEDIDContent})
        button->setFixedWidth(ButtonWidth);

    BuildEDIDPortLists();
}

void EdidPage::removeLastMode()
{
    if (cbEDIDMode->count() > 0)
        cbEDIDMode->removeItem(cbEDIDMode->count() - 1);
}

void EdidPage::showPathEnds()
{
    MoveCaretToEnd(edtOpenEDID);
    MoveCaretToEnd(edtSaveEDID);
}

std::array<QComboBox *, 6> EdidPage::settingsLists() const
{
    return {cbEDIDMode,      cbSetEDIDModeInput,   cbCopyEDIDOutput,
            cbCopyEDIDInput, cbReadEDIDDataOutput, cbDownloadEDIDInput};
}

void EdidPage::applySettings(const AppSettings &settings)
{
    BuildEDIDPortLists();
    const auto lists = settingsLists();
    for (std::size_t i = 0; i < lists.size(); ++i) {
        QComboBox *list = lists[i];
        const int found = list->findText(settings.edid.lists[i], Qt::MatchFixedString);
        list->setCurrentIndex(found >= 0 ? found : (list->count() > 0 ? 0 : -1));
    }
    edtSaveEDID->setText(settings.edid.saveFile);
    edtOpenEDID->setText(settings.edid.openFile);
}

void EdidPage::collectSettings(AppSettings &settings) const
{
    const auto lists = settingsLists();
    for (std::size_t i = 0; i < lists.size(); ++i)
        settings.edid.lists[i] = lists[i]->currentText();
    settings.edid.saveFile = edtSaveEDID->text();
    settings.edid.openFile = edtOpenEDID->text();
}

// ---------------------------------------------------------------------------------------------
// Construction

void EdidPage::buildModeGroup(QWidget *parent)
{
    gbEDIDModeCtrl = named(new QGroupBox(QStringLiteral("EDID mode control"), parent),
                           "gbEDIDModeCtrl", QStringLiteral("EDID mode control"));
    auto *grid = new QGridLayout(gbEDIDModeCtrl);

    cbEDIDMode = pickList("cbEDIDMode", QStringLiteral("EDID mode to set"), 20, gbEDIDModeCtrl);
    cbEDIDMode->addItems(EdidPortLists::ModeEntries());
    cbEDIDMode->setCurrentIndex(0);
    fitPopup(cbEDIDMode);
    cbSetEDIDModeInput =
        pickList("cbSetEDIDModeInput", QStringLiteral("Input to set"), 10, gbEDIDModeCtrl);
    btnSetEDIDMode = named(new QPushButton(QStringLiteral("&Set"), gbEDIDModeCtrl),
                           "btnSetEDIDMode", QStringLiteral("Set EDID mode"));
    // Each action takes two rows: what, then "to" where, so the long mode names fit.
    grid->addWidget(
        label(QStringLiteral("Set EDID mode"), "lblSetEDIDMode", cbEDIDMode, gbEDIDModeCtrl), 0, 0);
    grid->addWidget(cbEDIDMode, 0, 1, 1, 2);
    grid->addWidget(
        label(QStringLiteral("to"), "lblSetEDIDModeTo", cbSetEDIDModeInput, gbEDIDModeCtrl), 1, 0,
        Qt::AlignRight);
    grid->addWidget(cbSetEDIDModeInput, 1, 1);
    grid->addWidget(btnSetEDIDMode, 1, 2);

    cbCopyEDIDOutput = pickList("cbCopyEDIDOutput", QStringLiteral("Output to copy EDID from"), 12,
                                gbEDIDModeCtrl);
    cbCopyEDIDInput =
        pickList("cbCopyEDIDInput", QStringLiteral("Input to copy EDID to"), 10, gbEDIDModeCtrl);
    btnCopyEDID = named(new QPushButton(QStringLiteral("&Copy"), gbEDIDModeCtrl), "btnCopyEDID",
                        QStringLiteral("Copy EDID"));
    grid->addWidget(label(QStringLiteral("Copy EDID from"), "lblCopyEDIDFrom", cbCopyEDIDOutput,
                          gbEDIDModeCtrl),
                    2, 0);
    grid->addWidget(cbCopyEDIDOutput, 2, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("to"), "lblCopyEDIDTo", cbCopyEDIDInput, gbEDIDModeCtrl),
                    3, 0, Qt::AlignRight);
    grid->addWidget(cbCopyEDIDInput, 3, 1);
    grid->addWidget(btnCopyEDID, 3, 2);
    grid->setColumnStretch(1, 1);

    connect(btnSetEDIDMode, &QPushButton::clicked, this, &EdidPage::btnSetEDIDModeClick);
    connect(btnCopyEDID, &QPushButton::clicked, this, &EdidPage::btnCopyEDIDClick);
}

void EdidPage::buildDataGroup(QWidget *parent)
{
    gbEDIDDataCtrl = named(new QGroupBox(QStringLiteral("EDID data control"), parent),
                           "gbEDIDDataCtrl", QStringLiteral("EDID data control"));
    auto *grid = new QGridLayout(gbEDIDDataCtrl);

    cbReadEDIDDataOutput =
        pickList("cbReadEDIDDataOutput", QStringLiteral("Read EDID data from"), 10, gbEDIDDataCtrl);
    btnReadEDIDData = named(new QPushButton(QStringLiteral("&Read"), gbEDIDDataCtrl),
                            "btnReadEDIDData", QStringLiteral("Read EDID data"));
    grid->addWidget(label(QStringLiteral("Read EDID data from "), "lblReadEDIDData",
                          cbReadEDIDDataOutput, gbEDIDDataCtrl),
                    0, 0);
    grid->addWidget(cbReadEDIDDataOutput, 0, 1);
    grid->addWidget(btnReadEDIDData, 0, 2);

    cbDownloadEDIDInput = pickList("cbDownloadEDIDInput", QStringLiteral("Download EDID data to"),
                                   10, gbEDIDDataCtrl);
    btnDownloadEDID = named(new QPushButton(QStringLiteral("&Download"), gbEDIDDataCtrl),
                            "btnDownloadEDID", QStringLiteral("Download EDID data"));
    grid->addWidget(label(QStringLiteral("Download EDID data to"), "lblDownloadEDID",
                          cbDownloadEDIDInput, gbEDIDDataCtrl),
                    1, 0);
    grid->addWidget(cbDownloadEDIDInput, 1, 1);
    grid->addWidget(btnDownloadEDID, 1, 2);

    const QStyle *style = QApplication::style();
    edtOpenEDID =
        named(new QLineEdit(gbEDIDDataCtrl), "edtOpenEDID", QStringLiteral("Open EDID file"));
    BitBtn1 = named(new QToolButton(gbEDIDDataCtrl), "BitBtn1",
                    QStringLiteral("Choose an EDID file to open"));
    BitBtn1->setIcon(style->standardIcon(QStyle::SP_DirOpenIcon));
    BitBtn1->setToolTip(QStringLiteral("Open EDID file"));
    grid->addWidget(
        label(QStringLiteral("Open EDID file"), "lblOpenEDID", edtOpenEDID, gbEDIDDataCtrl), 2, 0);
    grid->addWidget(edtOpenEDID, 2, 1);
    grid->addWidget(BitBtn1, 2, 2);

    edtSaveEDID =
        named(new QLineEdit(gbEDIDDataCtrl), "edtSaveEDID", QStringLiteral("Save to EDID file"));
    btnSaveEDID = named(new QToolButton(gbEDIDDataCtrl), "btnSaveEDID",
                        QStringLiteral("Choose a file to save the EDID content to"));
    btnSaveEDID->setIcon(style->standardIcon(QStyle::SP_DirOpenIcon));
    btnSaveEDID->setToolTip(QStringLiteral("Save to EDID file"));
    grid->addWidget(
        label(QStringLiteral("Save to EDID file"), "lblSaveEDID", edtSaveEDID, gbEDIDDataCtrl), 3,
        0);
    grid->addWidget(edtSaveEDID, 3, 1);
    grid->addWidget(btnSaveEDID, 3, 2);

    btnClearEDIDContent = named(new QPushButton(QStringLiteral("C&lear"), gbEDIDDataCtrl),
                                "btnClearEDIDContent", QStringLiteral("Clear EDID content"));
    grid->addWidget(btnClearEDIDContent, 4, 2);

    connect(btnReadEDIDData, &QPushButton::clicked, this, &EdidPage::btnReadEDIDDataClick);
    connect(btnDownloadEDID, &QPushButton::clicked, this, &EdidPage::btnDownloadEDIDClick);
    connect(BitBtn1, &QToolButton::clicked, this, &EdidPage::btnOpenEDIDClick);
    connect(btnSaveEDID, &QToolButton::clicked, this, &EdidPage::btnSaveEDIDClick);
    connect(btnClearEDIDContent, &QPushButton::clicked, this, &EdidPage::btnClearEDIDContentClick);
}

void EdidPage::buildContentGroup(QWidget *parent)
{
    gbEDIDContent = named(new QGroupBox(QStringLiteral("EDID content"), parent), "gbEDIDContent",
                          QStringLiteral("EDID content"));
    auto *layout = new QVBoxLayout(gbEDIDContent);
    sgEDIDContent = new EdidGrid(gbEDIDContent);
    layout->addWidget(sgEDIDContent);
    layout->addStretch(1);
}

// ---------------------------------------------------------------------------------------------
// Content grid and files

bool EdidPage::ShowEDIDData(const QByteArray *stream)
{
    return sgEDIDContent->showBlock(stream);
}

void EdidPage::ClearEDIDData()
{
    sgEDIDContent->clearData();
}

bool EdidPage::CollectEDIDData(QByteArray &stream) const
{
    return sgEDIDContent->collect(stream);
}

void EdidPage::btnOpenEDIDClick()
{
    // The link reads WriteStream in place while it downloads or writes firmware; replacing it
    // in the middle of such an exchange would pull the bytes from under it.
    if (m_context.gate().busy()) {
        m_context.ShowStatus(StatusPanel::Hint, ShellTexts::Busy());
        return;
    }
    const QString path = m_dialogs.openFile(window(), FileFilter);
    if (path.isEmpty())
        return;
    edtOpenEDID->setText(path);
    MoveCaretToEnd(edtOpenEDID);

    TKXCOMControl *link = m_context.link();
    if (!link || m_context.gate().busy())
        return;
    const EdidFileContent content = EdidBlock::ReadFile(path);
    if (content.outcome == EdidFileContent::Outcome::Unreadable) {
        m_dialogs.error(window(), content.error);
        return;
    }
    link->WriteStream = content.bytes;
    if (!ShowEDIDData(&link->WriteStream)) {
        link->WriteStream.clear();
        m_dialogs.error(window(), QStringLiteral("EDID data not valid."));
    }
}

void EdidPage::btnSaveEDIDClick()
{
    QByteArray block;
    if (!CollectEDIDData(block)) {
        m_dialogs.information(window(), QStringLiteral("EDID Content empty."));
        return;
    }
    const QString chosen = m_dialogs.saveFile(window(), FileFilter);
    if (chosen.isEmpty())
        return;
    const QString path = EdidBlock::WithBinExtension(chosen);
    edtSaveEDID->setText(path);
    MoveCaretToEnd(edtSaveEDID);
    if (QFileInfo::exists(path) &&
        !m_dialogs.confirm(window(), path + QStringLiteral(" exists, overwrite it?")))
        return;

    EdidBytes raw{};
    std::copy_n(block.constData(), raw.size(), reinterpret_cast<char *>(raw.data()));
    QString error;
    if (!EdidBlock::WriteFile(path, raw, &error))
        m_dialogs.error(window(), error);
}

void EdidPage::btnClearEDIDContentClick()
{
    ClearEDIDData();
}

// ---------------------------------------------------------------------------------------------
// Port-choice lists

void EdidPage::BuildEDIDPortLists()
{
    const PortTagsModel &tags = m_context.portTags();
    const auto inputTag = [&tags](int port) { return tags.inputTag(port); };
    const auto outputTag = [&tags](int port) { return tags.outputTag(port); };
    fillList(cbSetEDIDModeInput, EdidPortLists::InputEntries(inputTag), 0);
    fillList(cbCopyEDIDInput, EdidPortLists::InputEntries(inputTag), 0);
    fillList(cbDownloadEDIDInput, EdidPortLists::DownloadEntries(inputTag), 0);
    fillList(cbCopyEDIDOutput, EdidPortLists::OutputEntries(outputTag), 0);
    fillList(cbReadEDIDDataOutput, EdidPortLists::ReadEntries(outputTag), 0);
}

void EdidPage::RebuildEDIDPortLists()
{
    const std::array<QComboBox *, 5> lists{cbSetEDIDModeInput, cbCopyEDIDInput, cbDownloadEDIDInput,
                                           cbCopyEDIDOutput, cbReadEDIDDataOutput};
    std::array<int, 5> positions{};
    for (std::size_t i = 0; i < lists.size(); ++i)
        positions[i] = lists[i]->currentIndex();
    BuildEDIDPortLists();
    for (std::size_t i = 0; i < lists.size(); ++i) {
        if (positions[i] >= 0 && positions[i] < lists[i]->count())
            lists[i]->setCurrentIndex(positions[i]);
    }
}

void EdidPage::tsEDIDCtrlShow()
{
    RebuildEDIDPortLists();
}

bool EdidPage::IsUserMemoryEntry(const QComboBox *list)
{
    return list && EdidPortLists::IsUserMemoryText(list->currentText());
}

int EdidPage::FirstUserMemoryIndex(const QComboBox *list)
{
    if (!list)
        return -1;
    for (int i = 0; i < list->count(); ++i) {
        if (EdidPortLists::IsUserMemoryText(list->itemText(i)))
            return i;
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Actions

bool EdidPage::listsChosen(std::initializer_list<const QComboBox *> lists)
{
    for (const QComboBox *list : lists) {
        if (list->currentIndex() <= 0) {
            m_context.ShowStatus(StatusPanel::Hint, SelectFirst);
            return false;
        }
    }
    return true;
}

void EdidPage::tell(EdidOutcome outcome, int output)
{
    if (outcome == EdidOutcome::ControlLocked)
        m_dialogs.information(window(), EdidTexts::ControlLocked());
    else if (outcome == EdidOutcome::NoDisplay)
        m_dialogs.information(window(), EdidTexts::NoDisplay(output));
}

std::optional<int> EdidPage::chosenInput(const QComboBox *list)
{
    // The last entry stands for all inputs.
    const int input = list->currentIndex();
    return input == list->count() - 1 ? std::nullopt : std::optional<int>(input);
}

void EdidPage::btnSetEDIDModeClick()
{
    if (!listsChosen({cbEDIDMode, cbSetEDIDModeInput}))
        return;
    m_context.ShowStatus(StatusPanel::Hint, QString());
    QStringList entries;
    for (int i = 0; i < cbEDIDMode->count(); ++i)
        entries.append(cbEDIDMode->itemText(i));
    // The last entry restores the default EDID: it has no code.
    const std::optional<std::uint16_t> code =
        EdidPortLists::ModeCode(entries, cbEDIDMode->currentIndex());
    tell(m_operations.setMode(code, chosenInput(cbSetEDIDModeInput)));
}

void EdidPage::btnCopyEDIDClick()
{
    if (!listsChosen({cbCopyEDIDOutput, cbCopyEDIDInput}))
        return;
    m_context.ShowStatus(StatusPanel::Hint, QString());
    const int output = cbCopyEDIDOutput->currentIndex();
    tell(m_operations.copy(output, chosenInput(cbCopyEDIDInput)), output);
}

void EdidPage::btnReadEDIDDataClick()
{
    if (!listsChosen({cbReadEDIDDataOutput}))
        return;
    const int entry = cbReadEDIDDataOutput->currentIndex();
    const std::optional<std::uint16_t> code = EdidPortLists::ReadCode(entry);
    if (!code)
        return;
    ClearEDIDData();
    const std::optional<int> output =
        EdidPortLists::ReadsOutput(entry) ? std::optional<int>(entry) : std::nullopt;
    const EdidOutcome outcome = m_operations.read(*code, output, [this](const QByteArray &block) {
        if (!ShowEDIDData(&block))
            m_dialogs.information(window(), EdidTexts::InvalidBlock());
    });
    tell(outcome, entry);
}

void EdidPage::btnDownloadEDIDClick()
{
    if (!listsChosen({cbDownloadEDIDInput}))
        return;
    const std::optional<EdidPortLists::Target> target =
        EdidPortLists::DownloadTarget(cbDownloadEDIDInput->currentIndex());
    if (!target)
        return;
    // The block shown now is the one sent.
    const EdidOutcome outcome = m_operations.download(*target, [this] {
        QByteArray block;
        return CollectEDIDData(block) ? std::optional<QByteArray>(block) : std::nullopt;
    });
    if (outcome == EdidOutcome::NothingToSend)
        m_context.ShowStatus(StatusPanel::Hint,
                             QStringLiteral("EDID Content empty, open EDID file first"));
    tell(outcome);
}
