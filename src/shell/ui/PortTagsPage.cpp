#include "shell/ui/PortTagsPage.h"

#include "link/KXCOMControl.h"
#include "shell/IniDocument.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/PreSettingEdit.h"
#include "ui/Dialogs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

PortTagsPage::PortTagsPage(TForm1 &form, QWidget *page) : QObject(page), m_form(form)
{
    setObjectName(QStringLiteral("PortTagsPage"));
    gbInputPortTags = buildGroup(true);
    gbOutputPortTags = buildGroup(false);
    if (QLayout *layout = page->layout()) {
        layout->addWidget(gbInputPortTags);
        layout->addWidget(gbOutputPortTags);
    }

    ShellHooks &hooks = m_form.hooks();
    hooks.ClearPortTags = [this] { ClearPortTags(); };
    hooks.LoadPortTags = [this](TControlMode mode, const QString &mac) { LoadPortTags(mode, mac); };
}

QGroupBox *PortTagsPage::buildGroup(bool inputs)
{
    const QString caption =
        inputs ? QStringLiteral("Input port tags") : QStringLiteral("Output port tags");
    auto *group = new QGroupBox(caption);
    group->setObjectName(inputs ? QStringLiteral("gbInputTags") : QStringLiteral("gbOutputTags"));
    group->setAccessibleName(caption);
    auto *grid = new QGridLayout(group);
    auto &fields = inputs ? leInputTag : leOutputTag;
    for (int n = 1; n <= Ports; ++n) {
        const QString number = QString::number(n);
        const QString name = inputs ? QStringLiteral("leInput") + number + QStringLiteral("Tag")
                                    : QStringLiteral("leOutput") + number + QStringLiteral("Tag");
        const QString text = inputs ? QStringLiteral("Tag of Input") + number
                                    : QStringLiteral("Tag of Output") + number;
        auto *field = new QLineEdit(group);
        field->setObjectName(name);
        field->setAccessibleName(text);
        field->setReadOnly(true);
        field->setProperty("Tag", inputs ? n : OutputTagBase + n);
        // Read-only fields show the button face, as labels do.
        QPalette colours = field->palette();
        colours.setColor(QPalette::Base, colours.color(QPalette::Button));
        field->setPalette(colours);
        auto *label = new QLabel(text, group);
        label->setObjectName(name + QStringLiteral("Label"));
        label->setBuddy(field);
        grid->addWidget(label, n - 1, 0);
        grid->addWidget(field, n - 1, 1);
        label->setVisible(n <= PortTagSet::Ports);
        field->setVisible(n <= PortTagSet::Ports);
        fields[std::size_t(n - 1)] = field;
    }
    auto *edit = new QPushButton(inputs ? QStringLiteral("&Edit") : QStringLiteral("E&dit"), group);
    edit->setObjectName(inputs ? QStringLiteral("btnEditInputPortTag")
                               : QStringLiteral("btnEditOutputPortTag"));
    edit->setAccessibleName(inputs ? QStringLiteral("Edit input port tags")
                                   : QStringLiteral("Edit output port tags"));
    grid->addWidget(edit, Ports, 1, Qt::AlignRight);
    grid->setRowStretch(Ports + 1, 1);
    grid->setColumnStretch(1, 1);
    if (inputs) {
        btnEditInputPortTag = edit;
        connect(edit, &QPushButton::clicked, this, &PortTagsPage::btnEditInputPortTagClick);
    } else {
        btnEditOutputPortTag = edit;
        connect(edit, &QPushButton::clicked, this, &PortTagsPage::btnEditOutputPortTagClick);
    }
    return group;
}

PortTagSet PortTagsPage::tags() const
{
    PortTagSet set;
    for (std::size_t i = 0; i < PortTagSet::Ports; ++i) {
        set.inputs[i] = leInputTag[i]->text();
        set.outputs[i] = leOutputTag[i]->text();
    }
    return set;
}

void PortTagsPage::setTags(const PortTagSet &tags)
{
    for (std::size_t i = 0; i < PortTagSet::Ports; ++i) {
        leInputTag[i]->setText(tags.inputs[i]);
        leOutputTag[i]->setText(tags.outputs[i]);
    }
}

void PortTagsPage::ClearPortTags()
{
    setTags({});
}

TControlMode PortTagsPage::controlMode() const
{
    return m_form.link() ? m_form.link()->ControlMode() : cmCOM;
}

void PortTagsPage::LoadPortTags(TControlMode mode, const QString &mac)
{
    IniDocument ini;
    ini.load(m_form.settingsFilePath());
    setTags(PortTagStore::load(ini, mode, mac));
}

void PortTagsPage::SavePortTags(IniDocument &ini, TControlMode mode, const QString &mac) const
{
    PortTagStore::save(ini, mode, mac, tags());
}

bool PortTagsPage::writeFile(const IniDocument &ini)
{
    if (ini.save(m_form.settingsFilePath()))
        return true;
    m_form.dialogs().error(&m_form,
                           QStringLiteral("Unable to write to ") + m_form.settingsFilePath());
    return false;
}

bool PortTagsPage::SavePortTags(TControlMode mode, const QString &mac)
{
    IniDocument ini;
    // A file that exists but cannot be read is not replaced by one that holds only the tags.
    if (!ini.load(m_form.settingsFilePath())) {
        m_form.dialogs().error(&m_form,
                               QStringLiteral("Unable to write to ") + m_form.settingsFilePath());
        return false;
    }
    SavePortTags(ini, mode, mac);
    return writeFile(ini);
}

bool PortTagsPage::PurgeEmptyTagSections()
{
    IniDocument ini;
    if (!ini.load(m_form.settingsFilePath()))
        return false;
    const QStringList before = ini.sectionNames();
    PortTagStore::purgeEmptySections(ini);
    if (ini.sectionNames() == before)
        return true;
    return writeFile(ini);
}

TfrmPreSettingEdit *PortTagsPage::editor() const
{
    TfrmPreSettingEdit *dialog = m_form.windows().frmPreSettingEdit;
    if (dialog)
        dialog->setDialogs(&m_form.dialogs());
    return dialog;
}

void PortTagsPage::btnEditInputPortTagClick()
{
    editTags(true);
}

void PortTagsPage::btnEditOutputPortTagClick()
{
    editTags(false);
}

void PortTagsPage::editTags(bool inputs)
{
    TfrmPreSettingEdit *dialog = editor();
    if (!dialog)
        return;
    dialog->setMode(inputs ? TfrmPreSettingEdit::Mode::InputPortTags
                           : TfrmPreSettingEdit::Mode::OutputPortTags);
    dialog->centreOn(&m_form);
    auto &boxes = inputs ? dialog->cbDevNameOfInput : dialog->cbDispNameOfOutput;
    auto &fields = inputs ? leInputTag : leOutputTag;
    for (std::size_t i = 0; i < PortTagSet::Ports; ++i) {
        boxes[i]->setCurrentIndex(-1);
        boxes[i]->setEditText(fields[i]->text());
    }
    if (m_form.dialogs().showModal(dialog) != QDialog::Accepted)
        return;
    for (std::size_t i = 0; i < PortTagSet::Ports; ++i)
        fields[i]->setText(boxes[i]->currentText());
    SavePortTags(controlMode(), m_form.CurrentDeviceMAC);
}
