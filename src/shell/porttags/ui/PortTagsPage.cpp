#include "shell/porttags/ui/PortTagsPage.h"

#include "link/KXCOMControl.h"
#include "shell/ShellContext.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/porttags/TagEditor.h"
#include "shell/settings/AppSettings.h"
#include "ui/Dialogs.h"
#include "ui/ReadOnlyField.h"
#include "ui/WidgetNames.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PortTagsPage::PortTagsPage(ShellContext &context, TagEditor &editor, Dialogs &dialogs,
                           QWidget *parent)
    : QWidget(parent), m_context(context), m_editor(editor), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("pnlPortTags"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildGroup(true));
    layout->addWidget(buildGroup(false));
    connect(&m_context.portTags(), &PortTagsModel::changed, this, &PortTagsPage::showTags);
    showTags();
}

QGroupBox *PortTagsPage::buildGroup(bool inputs)
{
    const QString caption =
        inputs ? QStringLiteral("Input port tags") : QStringLiteral("Output port tags");
    auto *group =
        named(new QGroupBox(caption, this), inputs ? "gbInputTags" : "gbOutputTags", caption);
    auto *grid = new QGridLayout(group);
    auto &fields = inputs ? leInputTag : leOutputTag;
    for (int n = 1; n <= Ports; ++n) {
        const QString number = QString::number(n);
        const QString name = inputs ? QStringLiteral("leInput") + number + QStringLiteral("Tag")
                                    : QStringLiteral("leOutput") + number + QStringLiteral("Tag");
        const QString text = inputs ? QStringLiteral("Tag of Input") + number
                                    : QStringLiteral("Tag of Output") + number;
        auto *field = named(new ReadOnlyField(group), name, text);
        field->setProperty("Tag", inputs ? n : OutputTagBase + n);
        auto *label = new QLabel(text, group);
        label->setObjectName(name + QStringLiteral("Label"));
        label->setBuddy(field);
        grid->addWidget(label, n - 1, 0);
        grid->addWidget(field, n - 1, 1);
        label->setVisible(n <= PortTagSet::Ports);
        field->setVisible(n <= PortTagSet::Ports);
        fields[std::size_t(n - 1)] = field;
    }
    auto *edit = named(
        new QPushButton(inputs ? QStringLiteral("&Edit") : QStringLiteral("E&dit"), group),
        inputs ? "btnEditInputPortTag" : "btnEditOutputPortTag",
        inputs ? QStringLiteral("Edit input port tags") : QStringLiteral("Edit output port tags"));
    grid->addWidget(edit, Ports, 1, Qt::AlignRight);
    grid->setRowStretch(Ports + 1, 1);
    grid->setColumnStretch(1, 1);
    connect(edit, &QPushButton::clicked, this,
            inputs ? &PortTagsPage::btnEditInputPortTagClick
                   : &PortTagsPage::btnEditOutputPortTagClick);
    return group;
}

QLineEdit *PortTagsPage::FindTagEdit(int tag) const
{
    if (tag >= 1 && tag <= Ports)
        return leInputTag[std::size_t(tag - 1)];
    if (tag > OutputTagBase && tag <= OutputTagBase + Ports)
        return leOutputTag[std::size_t(tag - OutputTagBase - 1)];
    return nullptr;
}

void PortTagsPage::showTags()
{
    const PortTagsModel &model = m_context.portTags();
    for (int n = 1; n <= Ports; ++n) {
        leInputTag[std::size_t(n - 1)]->setText(model.inputTag(n));
        leOutputTag[std::size_t(n - 1)]->setText(model.outputTag(n));
    }
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
    PortTagsModel &model = m_context.portTags();
    PortTagSet set = model.tags();
    auto &tags = inputs ? set.inputs : set.outputs;
    const std::optional<TagEditor::Tags> edited = m_editor.editTags(inputs, tags);
    if (!edited)
        return;
    tags = *edited;
    model.setTags(set);
    TKXCOMControl *link = m_context.link();
    const SettingsFileResult saved =
        model.SavePortTags(link ? link->ControlMode() : cmCOM, m_context.CurrentDeviceMAC());
    if (!saved.notice.isEmpty())
        m_context.ShowStatus(StatusPanel::Hint, saved.notice);
    if (!saved.ok())
        m_dialogs.error(window(), saved.notWrittenText(m_context.settingsFilePath()));
}

void PortTagsPage::applySettings(const AppSettings &)
{
    TKXCOMControl *link = m_context.link();
    m_context.portTags().LoadPortTags(link ? link->ControlMode() : cmCOM,
                                      m_context.CurrentDeviceMAC());
}

void PortTagsPage::collectSettings(AppSettings &settings) const
{
    TKXCOMControl *link = m_context.link();
    settings.tags =
        AppSettings::TagsInUse{link ? link->ControlMode() : cmCOM, m_context.CurrentDeviceMAC(),
                               m_context.portTags().tags()};
}
