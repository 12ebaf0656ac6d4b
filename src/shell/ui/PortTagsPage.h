#pragma once

#include "link/Commands.h"
#include "shell/PortTagStore.h"

#include <QObject>
#include <QString>

#include <array>

class IniDocument;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;
class TForm1;
class TfrmPreSettingEdit;

/// The "Port Tag" page: the read-only tag fields of the current switcher, their two edit
/// actions and the tag sections of the settings file.
class PortTagsPage : public QObject
{
    Q_OBJECT
public:
    static constexpr int Ports = 8;
    static constexpr int OutputTagBase = 40;

    PortTagsPage(TForm1 &form, QWidget *page);

    /// The eight visible fields as a set.
    PortTagSet tags() const;
    void setTags(const PortTagSet &tags);

    /// Fills the fields from the stored set of the mode (and device).
    void LoadPortTags(TControlMode mode, const QString &mac);
    /// Stores the fields and removes tag sections without a tag; false (after an error box)
    /// when the file could not be written.
    bool SavePortTags(TControlMode mode, const QString &mac);
    /// The same on a document that the caller loads and saves.
    void SavePortTags(IniDocument &ini, TControlMode mode, const QString &mac) const;
    bool PurgeEmptyTagSections();
    void ClearPortTags();

    void btnEditInputPortTagClick();
    void btnEditOutputPortTagClick();

    QGroupBox *gbInputPortTags = nullptr;
    QGroupBox *gbOutputPortTags = nullptr;
    std::array<QLineEdit *, Ports> leInputTag{};
    std::array<QLineEdit *, Ports> leOutputTag{};
    QPushButton *btnEditInputPortTag = nullptr;
    QPushButton *btnEditOutputPortTag = nullptr;

private:
    QGroupBox *buildGroup(bool inputs);
    void editTags(bool inputs);
    TfrmPreSettingEdit *editor() const;
    TControlMode controlMode() const;
    bool writeFile(const IniDocument &ini);

    TForm1 &m_form;
};
