#pragma once

#include <QObject>
#include <QString>

class IniDocument;
class PortTagsPage;
class PresetsView;
class QComboBox;
class TForm1;

/// Settings.ini: reads everything the operator set up into the main window when it is first
/// shown, and writes it back when it is shown and when it closes. Keys and sections the
/// program does not know are left as they are.
class SettingsFile : public QObject
{
    Q_OBJECT
public:
    SettingsFile(TForm1 &form, PortTagsPage &tags, PresetsView &presets);

    void LoadSettings();
    /// False (after an error box naming the file) when the file could not be written; the
    /// file then keeps its previous content.
    bool SaveSettings();

    /// The parts of the two operations, on a document the caller loads or saves.
    void readInto(const IniDocument &ini);
    void writeFrom(IniDocument &ini) const;

private:
    QComboBox *combo(const char *name) const;
    void selectText(QComboBox *list, const QString &text) const;
    bool fail() const;

    TForm1 &m_form;
    PortTagsPage &m_tags;
    PresetsView &m_presets;
};
