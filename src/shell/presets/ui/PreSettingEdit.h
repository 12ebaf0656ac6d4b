#pragma once

#include "shell/porttags/TagEditor.h"
#include "shell/presets/PresetRow.h"
#include "shell/settings/SettingsPart.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class Dialogs;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// The editor of presets and port tags. One window serves three purposes: editPreset() and
/// editTags() fill it, show it modally and return what the operator chose. It keeps the name
/// vocabularies of the tag boxes, which Settings.ini stores.
///
/// Tags of the controls: leSettingName 1, cbFromDeviceOfAllOutput 89, lblOutputN and
/// cbFromDeviceOfOutputN 80 + N, cbDevNameOfInputN and btnDeleteInputNTag N,
/// cbDispNameOfOutputN and btnDeleteOutputNTag 40 + N.
class TfrmPreSettingEdit : public QDialog, public TagEditor, public SettingsPart
{
    Q_OBJECT
public:
    enum class Mode { OutputSetting, InputPortTags, OutputPortTags };

    static constexpr int Ports = 8;      // controls that exist
    static constexpr int ShownPorts = 4; // controls that are used
    static constexpr int AllOutputsTag = 89;
    static constexpr int OutputSettingTagBase = 80;
    static constexpr int OutputNameTagBase = 40;

    /// `owner` is the window the editor is centred on; message boxes of the name removal go
    /// through `dialogs`.
    TfrmPreSettingEdit(Dialogs &dialogs, const QWidget *owner, QWidget *parent = nullptr);

    /// The preset editor: the name and the input of each output, with the port tags shown in
    /// the entries. Empty when cancelled.
    std::optional<PresetRow> editPreset(const PresetRow &preset,
                                        const std::array<QString, ShownPorts> &inputTags,
                                        const std::array<QString, ShownPorts> &outputTags);
    std::optional<Tags> editTags(bool inputs, const Tags &current) override;

    /// The name vocabularies.
    void applySettings(const AppSettings &settings) override;
    void collectSettings(AppSettings &settings) const override;

    /// Shows the group of the mode, sets the window size, the button positions and the
    /// caption.
    void setMode(Mode mode);
    Mode mode() const { return m_mode; }
    /// Places the window over the middle of `owner`.
    void centreOn(const QWidget *owner);

    /// Fills the preset-mode controls: the name, the source entries built from the input
    /// tags and the output labels built from the output tags.
    void PrepareOutputSettingEditor(const QString &name,
                                    const std::array<QString, ShownPorts> &inputTags,
                                    const std::array<QString, ShownPorts> &outputTags);
    /// "In" + n, followed by " - [" + tag + "]" when the tag is not empty.
    static QString sourceEntry(int input, const QString &tag);
    static QString outputLabel(int output, const QString &tag);

    /// The combo box or label of this window that carries `tag`, or none.
    QComboBox *FindEditorCombo(int tag) const;
    QLabel *FindEditorLabel(int tag) const;

    /// The name lists of the input and output boxes, in their (sorted) order.
    QStringList inputVocabulary() const;
    QStringList outputVocabulary() const;
    void setInputVocabulary(const QStringList &names);
    void setOutputVocabulary(const QStringList &names);

    // Handlers.
    void btnOKClick();
    void btnCancelClick();
    void cbFromDeviceOfAllOutputChange(int index);
    void btnDeleteInput1TagClick(int tag);
    void btnDeleteOutput1TagClick(int tag);
    /// Keys seen before the controls: Escape closes with Cancel. Returns whether it was used.
    bool FormKeyDown(int key);

    QGroupBox *gbOutputSetting = nullptr;
    QGroupBox *gbInputPortTag = nullptr;
    QGroupBox *gbOutputPortTag = nullptr;
    QLineEdit *leSettingName = nullptr;
    QComboBox *cbFromDeviceOfAllOutput = nullptr;
    std::array<QLabel *, Ports> lblOutput{};
    std::array<QComboBox *, Ports> cbFromDeviceOfOutput{};
    std::array<QComboBox *, Ports> cbDevNameOfInput{};
    std::array<QPushButton *, Ports> btnDeleteInputTag{};
    std::array<QComboBox *, Ports> cbDispNameOfOutput{};
    std::array<QPushButton *, Ports> btnDeleteOutputTag{};
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct NameKind
    {
        const std::array<QComboBox *, Ports> &boxes;
        QString word; // "Input" or "Output"
    };

    void buildOutputSetting();
    void buildPortTagGroup(bool inputs);
    /// Merges the typed names of the visible tag group into its vocabulary.
    static void mergeVocabulary(const std::array<QComboBox *, Ports> &boxes);
    static void setVocabulary(const std::array<QComboBox *, Ports> &boxes,
                              const QStringList &names);
    static QStringList vocabulary(const std::array<QComboBox *, Ports> &boxes);
    void removeName(const NameKind &kind, int index);
    void watchKeys(QWidget *widget);

    Dialogs &m_dialogs;
    const QWidget *m_owner = nullptr;
    Mode m_mode = Mode::OutputSetting;
};
