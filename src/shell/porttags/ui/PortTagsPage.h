#pragma once

#include "shell/porttags/PortTagStore.h"
#include "shell/settings/SettingsPart.h"

#include <QWidget>

#include <array>

class Dialogs;
class QGroupBox;
class QLineEdit;
class QPushButton;
class ShellContext;
class TagEditor;

/// The "Port Tag" page: the read-only tag fields of the switcher in use and their two edit
/// actions. The tags themselves live in the port tags model.
class PortTagsPage : public QWidget, public SettingsPart
{
    Q_OBJECT
public:
    static constexpr int Ports = 8;
    static constexpr int OutputTagBase = 40;

    PortTagsPage(ShellContext &context, TagEditor &editor, Dialogs &dialogs,
                 QWidget *parent = nullptr);

    /// The field of input n (1..8) or output n (41..48), or null.
    QLineEdit *FindTagEdit(int tag) const;

    /// Loads the tag set of the control mode and device in use; hands back the set in use.
    void applySettings(const AppSettings &settings) override;
    void collectSettings(AppSettings &settings) const override;

    void btnEditInputPortTagClick();
    void btnEditOutputPortTagClick();

private:
    QGroupBox *buildGroup(bool inputs);
    void editTags(bool inputs);
    void showTags();

    ShellContext &m_context;
    TagEditor &m_editor;
    Dialogs &m_dialogs;
    std::array<QLineEdit *, Ports> leInputTag{};
    std::array<QLineEdit *, Ports> leOutputTag{};
};
