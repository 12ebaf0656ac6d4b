#include "shell/presets/ui/PreSettingEdit.h"
#include "ui/WidgetNames.h"

#include "shell/presets/PresetValue.h"
#include "shell/settings/AppSettings.h"
#include "ui/Dialogs.h"
#include "ui/EditableBoxes.h"
#include "ui/SortedComboBox.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The editor finds its own boxes and labels by the port number they carry.
void setEditorTag(QObject *control, int tag)
{
    control->setProperty("Tag", tag);
}

constexpr QSize OutputSettingSize{570, 301};
constexpr QPoint OutputSettingOK{296, 240};
constexpr QPoint OutputSettingCancel{416, 240};
constexpr QSize PortTagSize{635, 245};
constexpr QPoint PortTagOK{376, 184};
constexpr QPoint PortTagCancel{496, 184};
constexpr QPoint GroupOrigin{8, 8};
constexpr QSize ButtonSize{100, 30};
constexpr int Margin = 8;

const QString SelectInput = QStringLiteral("Select Input");
const QString PortToPort = QStringLiteral("Port to Port");

// Replaces a box's list without touching what it shows: an editable combo box otherwise takes
// over the text of whatever item becomes current.
void replaceItems(QComboBox *box, const QStringList &items)
{
    const QString text = box->currentText();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

} // namespace

TfrmPreSettingEdit::TfrmPreSettingEdit(Dialogs &dialogs, const QWidget *owner, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs), m_owner(owner)
{
    setObjectName(QStringLiteral("frmPreSettingEdit"));
    setWindowTitle(QStringLiteral("Pre-setting edit"));
    setAccessibleName(QStringLiteral("Pre-setting edit"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    buildOutputSetting();
    buildPortTagGroup(true);
    buildPortTagGroup(false);

    btnOK = named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("btnOK"),
                  QStringLiteral("OK"));
    btnCancel = named(new QPushButton(QStringLiteral("Cancel"), this), QStringLiteral("btnCancel"),
                      QStringLiteral("Cancel"));
    btnOK->setDefault(true);
    btnOK->setAutoDefault(true);
    btnCancel->setAutoDefault(false);
    btnOK->resize(ButtonSize);
    btnCancel->resize(ButtonSize);
    connect(btnOK, &QPushButton::clicked, this, &TfrmPreSettingEdit::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmPreSettingEdit::btnCancelClick);

    watchKeys(this);
    setMode(Mode::OutputSetting);
}

void TfrmPreSettingEdit::buildOutputSetting()
{
    gbOutputSetting = named(new QGroupBox(QStringLiteral("Output setting"), this),
                            QStringLiteral("gbOutputSetting"), QStringLiteral("Output setting"));
    auto *grid = new QGridLayout(gbOutputSetting);

    leSettingName = named(new QLineEdit(gbOutputSetting), QStringLiteral("leSettingName"),
                          QStringLiteral("Setting name"));
    setEditorTag(leSettingName, 1);
    auto *nameLabel = new QLabel(QStringLiteral("Setting name"), gbOutputSetting);
    nameLabel->setObjectName(QStringLiteral("lblSettingName"));
    nameLabel->setBuddy(leSettingName);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(leSettingName, 0, 1);

    cbFromDeviceOfAllOutput =
        named(new QComboBox(gbOutputSetting), QStringLiteral("cbFromDeviceOfAllOutput"),
              QStringLiteral("All Outputs from"));
    setEditorTag(cbFromDeviceOfAllOutput, AllOutputsTag);
    auto *allLabel = new QLabel(QStringLiteral("All Outputs from"), gbOutputSetting);
    allLabel->setObjectName(QStringLiteral("lblFromDeviceOfAllOutput"));
    allLabel->setBuddy(cbFromDeviceOfAllOutput);
    grid->addWidget(allLabel, 1, 0);
    grid->addWidget(cbFromDeviceOfAllOutput, 1, 1);
    connect(cbFromDeviceOfAllOutput, &QComboBox::activated, this,
            &TfrmPreSettingEdit::cbFromDeviceOfAllOutputChange);

    for (int n = 1; n <= Ports; ++n) {
        const QString number = QString::number(n);
        auto *label =
            named(new QLabel(outputLabel(n, {}), gbOutputSetting),
                  QStringLiteral("lblOutput") + number, QStringLiteral("Output") + number);
        auto *box = named(new QComboBox(gbOutputSetting),
                          QStringLiteral("cbFromDeviceOfOutput") + number, label->text());
        setEditorTag(label, OutputSettingTagBase + n);
        setEditorTag(box, OutputSettingTagBase + n);
        label->setBuddy(box);
        grid->addWidget(label, n + 1, 0);
        grid->addWidget(box, n + 1, 1);
        label->setVisible(n <= ShownPorts);
        box->setVisible(n <= ShownPorts);
        lblOutput[std::size_t(n - 1)] = label;
        cbFromDeviceOfOutput[std::size_t(n - 1)] = box;
    }
    grid->setColumnStretch(1, 1);
    gbOutputSetting->setGeometry(QRect(GroupOrigin, QSize(OutputSettingSize.width() - 2 * Margin,
                                                          OutputSettingOK.y() - 2 * Margin)));
}

void TfrmPreSettingEdit::buildPortTagGroup(bool inputs)
{
    const QString caption =
        inputs ? QStringLiteral("Input port tags") : QStringLiteral("Output port tags");
    auto *group = named(
        new QGroupBox(caption, this),
        inputs ? QStringLiteral("gbInputPortTag") : QStringLiteral("gbOutputPortTag"), caption);
    auto *grid = new QGridLayout(group);
    auto &boxes = inputs ? cbDevNameOfInput : cbDispNameOfOutput;
    auto &buttons = inputs ? btnDeleteInputTag : btnDeleteOutputTag;
    for (int n = 1; n <= Ports; ++n) {
        const QString number = QString::number(n);
        const QString text = inputs ? QStringLiteral("Device name connect Input") + number
                                    : QStringLiteral("Display name connect Output") + number;
        const int tag = inputs ? n : OutputNameTagBase + n;
        auto *box = named(new SortedComboBox(group),
                          inputs ? QStringLiteral("cbDevNameOfInput") + number
                                 : QStringLiteral("cbDispNameOfOutput") + number,
                          text);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        KeepTypedLetters(box);
        setEditorTag(box, tag);
        auto *label = new QLabel(text, group);
        label->setObjectName(inputs ? QStringLiteral("lblDevNameOfInput") + number
                                    : QStringLiteral("lblDispNameOfOutput") + number);
        label->setBuddy(box);
        auto *remove =
            named(new QPushButton(QStringLiteral("×"), group),
                  inputs ? QStringLiteral("btnDeleteInput") + number + QStringLiteral("Tag")
                         : QStringLiteral("btnDeleteOutput") + number + QStringLiteral("Tag"),
                  (inputs ? QStringLiteral("Remove the input name of box ")
                          : QStringLiteral("Remove the output name of box ")) +
                      number);
        remove->setAutoDefault(false);
        remove->setFixedWidth(28);
        setEditorTag(remove, tag);
        if (inputs)
            connect(remove, &QPushButton::clicked, this,
                    [this, tag] { btnDeleteInput1TagClick(tag); });
        else
            connect(remove, &QPushButton::clicked, this,
                    [this, tag] { btnDeleteOutput1TagClick(tag); });
        grid->addWidget(label, n - 1, 0);
        grid->addWidget(box, n - 1, 1);
        grid->addWidget(remove, n - 1, 2);
        for (QWidget *widget : {static_cast<QWidget *>(label), static_cast<QWidget *>(box),
                                static_cast<QWidget *>(remove)})
            widget->setVisible(n <= ShownPorts);
        boxes[std::size_t(n - 1)] = box;
        buttons[std::size_t(n - 1)] = remove;
    }
    grid->setColumnStretch(1, 1);
    group->setGeometry(
        QRect(GroupOrigin, QSize(PortTagSize.width() - 2 * Margin, PortTagOK.y() - 2 * Margin)));
    (inputs ? gbInputPortTag : gbOutputPortTag) = group;
}

void TfrmPreSettingEdit::watchKeys(QWidget *widget)
{
    // The window sees every key before its controls, so Escape cancels even while a list
    // or a text field has the focus.
    widget->installEventFilter(this);
    const QList<QWidget *> children = widget->findChildren<QWidget *>();
    for (QWidget *child : children)
        child->installEventFilter(this);
}

// ---------------------------------------------------------------------------------------------
// Modes

void TfrmPreSettingEdit::setMode(Mode mode)
{
    m_mode = mode;
    const bool preset = mode == Mode::OutputSetting;
    const QSize size = preset ? OutputSettingSize : PortTagSize;
    setFixedSize(size);
    btnOK->move(preset ? OutputSettingOK : PortTagOK);
    btnCancel->move(preset ? OutputSettingCancel : PortTagCancel);
    gbOutputSetting->setVisible(preset);
    gbInputPortTag->setVisible(mode == Mode::InputPortTags);
    gbOutputPortTag->setVisible(mode == Mode::OutputPortTags);
    switch (mode) {
    case Mode::OutputSetting:
        setWindowTitle(QStringLiteral("Edit Output setting"));
        break;
    case Mode::InputPortTags:
        setWindowTitle(QStringLiteral("Edit Input port tags"));
        break;
    case Mode::OutputPortTags:
        setWindowTitle(QStringLiteral("Edit Output port tags"));
        break;
    }
    setResult(QDialog::Rejected);
}

void TfrmPreSettingEdit::centreOn(const QWidget *owner)
{
    if (!owner)
        return;
    const QRect frame = owner->frameGeometry();
    move(frame.center() - QPoint(width() / 2, height() / 2));
}

QString TfrmPreSettingEdit::sourceEntry(int input, const QString &tag)
{
    QString entry = QStringLiteral("In") + QString::number(input);
    if (!tag.isEmpty())
        entry += QStringLiteral(" - [") + tag + QLatin1Char(']');
    return entry;
}

QString TfrmPreSettingEdit::outputLabel(int output, const QString &tag)
{
    QString text = QStringLiteral("Out") + QString::number(output);
    if (!tag.isEmpty())
        text += QStringLiteral(" - [") + tag + QLatin1Char(']');
    return text + QStringLiteral(" from");
}

void TfrmPreSettingEdit::PrepareOutputSettingEditor(
    const QString &name, const std::array<QString, ShownPorts> &inputTags,
    const std::array<QString, ShownPorts> &outputTags)
{
    leSettingName->setText(name);
    QStringList sources;
    for (int i = 1; i <= ShownPorts; ++i)
        sources.append(sourceEntry(i, inputTags[std::size_t(i - 1)]));
    for (int n = 1; n <= ShownPorts; ++n) {
        QComboBox *box = cbFromDeviceOfOutput[std::size_t(n - 1)];
        box->clear();
        box->addItems(sources);
        const QString label = outputLabel(n, outputTags[std::size_t(n - 1)]);
        lblOutput[std::size_t(n - 1)]->setText(label);
        // Screen readers name the list by the label beside it.
        box->setAccessibleName(label);
    }
    cbFromDeviceOfAllOutput->clear();
    cbFromDeviceOfAllOutput->addItem(SelectInput);
    cbFromDeviceOfAllOutput->addItems(sources);
    cbFromDeviceOfAllOutput->addItem(PortToPort);
    cbFromDeviceOfAllOutput->setCurrentIndex(0);
}

void TfrmPreSettingEdit::cbFromDeviceOfAllOutputChange(int index)
{
    const int last = cbFromDeviceOfAllOutput->count() - 1;
    if (index <= 0 || index > last)
        return;
    for (int n = 1; n <= ShownPorts; ++n) {
        const int entry = index == last ? n - 1 : index - 1;
        cbFromDeviceOfOutput[std::size_t(n - 1)]->setCurrentIndex(entry);
    }
}

// ---------------------------------------------------------------------------------------------
// Finders

QComboBox *TfrmPreSettingEdit::FindEditorCombo(int tag) const
{
    const QList<QComboBox *> boxes = findChildren<QComboBox *>();
    for (QComboBox *box : boxes) {
        const QVariant value = box->property("Tag");
        if (value.isValid() && value.toInt() == tag)
            return box;
    }
    return nullptr;
}

QLabel *TfrmPreSettingEdit::FindEditorLabel(int tag) const
{
    const QList<QLabel *> labels = findChildren<QLabel *>();
    for (QLabel *label : labels) {
        const QVariant value = label->property("Tag");
        if (value.isValid() && value.toInt() == tag)
            return label;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Name lists

QStringList TfrmPreSettingEdit::vocabulary(const std::array<QComboBox *, Ports> &boxes)
{
    QStringList names;
    const QComboBox *first = boxes.front();
    for (int i = 0; i < first->count(); ++i)
        names.append(first->itemText(i));
    return names;
}

void TfrmPreSettingEdit::setVocabulary(const std::array<QComboBox *, Ports> &boxes,
                                       const QStringList &names)
{
    for (int n = 0; n < ShownPorts; ++n)
        replaceItems(boxes[std::size_t(n)], names);
}

QStringList TfrmPreSettingEdit::inputVocabulary() const
{
    return vocabulary(cbDevNameOfInput);
}

QStringList TfrmPreSettingEdit::outputVocabulary() const
{
    return vocabulary(cbDispNameOfOutput);
}

void TfrmPreSettingEdit::setInputVocabulary(const QStringList &names)
{
    setVocabulary(cbDevNameOfInput, names);
}

void TfrmPreSettingEdit::setOutputVocabulary(const QStringList &names)
{
    setVocabulary(cbDispNameOfOutput, names);
}

void TfrmPreSettingEdit::mergeVocabulary(const std::array<QComboBox *, Ports> &boxes)
{
    QStringList names = vocabulary(boxes);
    for (int n = 0; n < ShownPorts; ++n) {
        const QString text = boxes[std::size_t(n)]->currentText();
        if (!text.isEmpty() && !names.contains(text, Qt::CaseInsensitive))
            names.append(text);
    }
    setVocabulary(boxes, names);
}

void TfrmPreSettingEdit::removeName(const NameKind &kind, int index)
{
    QComboBox *box = kind.boxes[std::size_t(index)];
    const QString text = box->currentText();
    if (text.isEmpty())
        return;
    for (int n = 0; n < ShownPorts; ++n) {
        if (n != index && kind.boxes[std::size_t(n)]->currentText() == text) {
            m_dialogs.information(this, kind.word +
                                            QStringLiteral(" port tag in use, can't be deleted."));
            return;
        }
    }
    if (!m_dialogs.confirm(this, QStringLiteral("Sure to delete ") + kind.word +
                                     QStringLiteral(" port tag: [") + text + QStringLiteral("] ?")))
        return;
    for (int n = 0; n < ShownPorts; ++n) {
        QComboBox *other = kind.boxes[std::size_t(n)];
        const QString shown = other->currentText();
        const int found = other->findText(text, Qt::MatchFixedString);
        if (found >= 0) {
            other->removeItem(found);
            other->setCurrentIndex(-1);
            other->setEditText(shown);
        }
    }
    box->setEditText(QString());
}

void TfrmPreSettingEdit::btnDeleteInput1TagClick(int tag)
{
    if (tag >= 1 && tag <= ShownPorts)
        removeName({cbDevNameOfInput, QStringLiteral("Input")}, tag - 1);
}

void TfrmPreSettingEdit::btnDeleteOutput1TagClick(int tag)
{
    const int index = tag - OutputNameTagBase - 1;
    if (index >= 0 && index < ShownPorts)
        removeName({cbDispNameOfOutput, QStringLiteral("Output")}, index);
}

// ---------------------------------------------------------------------------------------------
// Editing

std::optional<PresetRow>
TfrmPreSettingEdit::editPreset(const PresetRow &preset,
                               const std::array<QString, ShownPorts> &inputTags,
                               const std::array<QString, ShownPorts> &outputTags)
{
    setMode(Mode::OutputSetting);
    centreOn(m_owner);
    PrepareOutputSettingEditor(preset.name, inputTags, outputTags);
    for (int n = 1; n <= PresetValue::RoutedOutputs; ++n) {
        const std::optional<int> value = PresetValue::number(preset.routing.value(n - 1));
        const int entry = value ? *value - 1 : n - 1;
        QComboBox *box = cbFromDeviceOfOutput[std::size_t(n - 1)];
        box->setCurrentIndex(entry >= 0 && entry < box->count() ? entry : -1);
    }
    if (m_dialogs.showModal(this) != QDialog::Accepted)
        return std::nullopt;

    PresetRow edited = preset;
    edited.name = leSettingName->text();
    while (edited.routing.size() < PresetValue::RoutedOutputs)
        edited.routing.append(QString());
    for (int n = 1; n <= PresetValue::RoutedOutputs; ++n) {
        const int entry = cbFromDeviceOfOutput[std::size_t(n - 1)]->currentIndex();
        edited.routing[n - 1] = QString::number(entry + 1);
    }
    return edited;
}

std::optional<TagEditor::Tags> TfrmPreSettingEdit::editTags(bool inputs, const Tags &current)
{
    setMode(inputs ? Mode::InputPortTags : Mode::OutputPortTags);
    centreOn(m_owner);
    auto &boxes = inputs ? cbDevNameOfInput : cbDispNameOfOutput;
    for (std::size_t i = 0; i < current.size(); ++i) {
        boxes[i]->setCurrentIndex(-1);
        boxes[i]->setEditText(current[i]);
    }
    if (m_dialogs.showModal(this) != QDialog::Accepted)
        return std::nullopt;
    Tags edited;
    for (std::size_t i = 0; i < edited.size(); ++i)
        edited[i] = boxes[i]->currentText();
    return edited;
}

void TfrmPreSettingEdit::applySettings(const AppSettings &settings)
{
    setInputVocabulary(settings.inputNames);
    setOutputVocabulary(settings.outputNames);
}

void TfrmPreSettingEdit::collectSettings(AppSettings &settings) const
{
    settings.inputNames = inputVocabulary();
    settings.outputNames = outputVocabulary();
}

// ---------------------------------------------------------------------------------------------
// Closing

void TfrmPreSettingEdit::btnOKClick()
{
    if (gbInputPortTag->isVisibleTo(this))
        mergeVocabulary(cbDevNameOfInput);
    if (gbOutputPortTag->isVisibleTo(this))
        mergeVocabulary(cbDispNameOfOutput);
    done(QDialog::Accepted);
}

void TfrmPreSettingEdit::btnCancelClick()
{
    done(QDialog::Rejected);
}

bool TfrmPreSettingEdit::FormKeyDown(int key)
{
    if (key != Qt::Key_Escape)
        return false;
    btnCancelClick();
    return true;
}

bool TfrmPreSettingEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (FormKeyDown(key->key()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmPreSettingEdit::keyPressEvent(QKeyEvent *event)
{
    if (FormKeyDown(event->key()))
        return;
    QDialog::keyPressEvent(event);
}

void TfrmPreSettingEdit::closeEvent(QCloseEvent *event)
{
    // Closed by the close box or the system: Cancel, unless OK was already given.
    done(result() == QDialog::Accepted ? QDialog::Accepted : QDialog::Rejected);
    event->accept();
}
