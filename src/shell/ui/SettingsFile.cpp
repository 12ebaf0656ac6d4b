#include "shell/ui/SettingsFile.h"

#include "link/KXCOMControl.h"
#include "shell/IniDocument.h"
#include "shell/PresetValue.h"
#include "shell/ui/ConnectionPanel.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/PortTagsPage.h"
#include "shell/ui/PreSettingEdit.h"
#include "shell/ui/PresetsView.h"
#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include <array>

namespace {

const QString WarningSection = QStringLiteral("WARNING");
const QString ModeSection = QStringLiteral("Control mode");
const QString PortSection = QStringLiteral("COM port");
const QString DeviceSection = QStringLiteral("TCP control device");
const QString DeviceListSection = QStringLiteral("TCP control device list");
const QString PresetNameSection = QStringLiteral("Pre-Setting name");
const QString PresetValueSection = QStringLiteral("Pre-Setting value");
const QString InputNamesSection = QStringLiteral("In device name");
const QString OutputNamesSection = QStringLiteral("Out display name");
const QString EdidSection = QStringLiteral("EDID setting");
const QString DisplayTagSection = QStringLiteral("Display tag");
const QString NameKey = QStringLiteral("Name");

struct EdidListKey
{
    const char *key;
    const char *list;
};

// In the order in which they are written.
constexpr std::array<EdidListKey, 6> EdidLists{{
    {"EDID mode", "cbEDIDMode"},
    {"In of EDID mode", "cbSetEDIDModeInput"},
    {"Out of Copy EDID", "cbCopyEDIDOutput"},
    {"In of Copy EDID", "cbCopyEDIDInput"},
    {"Out of Read EDID", "cbReadEDIDDataOutput"},
    {"In of Download EDID", "cbDownloadEDIDInput"},
}};
constexpr std::array<EdidListKey, 2> EdidPaths{{
    {"Save EDID file", "edtSaveEDID"},
    {"Open EDID file", "edtOpenEDID"},
}};

QString numbered(const char *prefix, int n)
{
    return QLatin1String(prefix) + QString::number(n);
}

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; box && i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

void writeList(IniDocument &ini, const QString &section, const char *prefix,
               const QStringList &items)
{
    // The old keys go, the section keeps its place in the file, so that saving again
    // without changes gives the same file.
    if (items.isEmpty()) {
        ini.eraseSection(section);
        return;
    }
    const QStringList keys = ini.keys(section);
    for (const QString &key : keys)
        ini.deleteKey(section, key);
    for (int n = 1; n <= int(items.size()); ++n)
        ini.writeString(section, numbered(prefix, n), items[n - 1]);
}

} // namespace

SettingsFile::SettingsFile(TForm1 &form, PortTagsPage &tags, PresetsView &presets)
    : QObject(&form), m_form(form), m_tags(tags), m_presets(presets)
{
    setObjectName(QStringLiteral("SettingsFile"));
    m_form.hooks().LoadSettings = [this] { LoadSettings(); };
    m_form.hooks().SaveSettings = [this] { return SaveSettings(); };
}

QComboBox *SettingsFile::combo(const char *name) const
{
    return m_form.findChild<QComboBox *>(QLatin1String(name));
}

void SettingsFile::selectText(QComboBox *list, const QString &text) const
{
    if (!list)
        return;
    const int found = list->findText(text, Qt::MatchFixedString);
    list->setCurrentIndex(found >= 0 ? found : (list->count() > 0 ? 0 : -1));
}

// ---------------------------------------------------------------------------------------------
// Reading

void SettingsFile::LoadSettings()
{
    IniDocument ini;
    // A file that cannot be read gives the defaults, like a missing one.
    ini.load(m_form.settingsFilePath());
    readInto(ini);
}

void SettingsFile::readInto(const IniDocument &ini)
{
    ConnectionPanel *connection = m_form.connection();
    TKXCOMControl *link = m_form.link();
    if (!connection || !link)
        return;

    if (ini.readBool(ModeSection, QStringLiteral("Mode"))) {
        connection->rbLANMode->setChecked(true);
        m_form.rbLANModeClick();
    } else {
        connection->rbCOMMode->setChecked(true);
        m_form.rbCOMModeClick();
    }

    link->setComPort(ini.readString(PortSection, NameKey));

    QComboBox *devices = connection->cbLANDevice;
    {
        // The selection step runs once, below, not for every item added.
        const QSignalBlocker blocker(devices);
        devices->clear();
        const QStringList entries = ini.values(DeviceListSection);
        for (const QString &entry : entries) {
            if (!entry.trimmed().isEmpty())
                devices->addItem(entry);
        }
        selectText(devices, ini.readString(DeviceSection, NameKey));
    }
    if (m_form.hooks().cbLANDeviceChange)
        m_form.hooks().cbLANDeviceChange();

    selectText(connection->cbCOMList, link->ComPort());

    m_form.LoadPortTags(link->ControlMode(), m_form.CurrentDeviceMAC);

    QList<PresetRow> presets;
    for (int n = 1; n <= PresetsView::PresetCount; ++n) {
        const QString name = numbered("Setting", n);
        const QString value =
            ini.readString(PresetValueSection, numbered("value", n), QStringLiteral("1,2,3,4"));
        presets.append({ini.readString(PresetNameSection, name, name), PresetValue::parse(value)});
    }
    m_presets.setRows(presets);

    if (TfrmPreSettingEdit *editor = m_form.windows().frmPreSettingEdit) {
        editor->setInputVocabulary(ini.values(InputNamesSection));
        editor->setOutputVocabulary(ini.values(OutputNamesSection));
    }

    if (m_form.hooks().BuildEDIDPortLists)
        m_form.hooks().BuildEDIDPortLists();
    for (const EdidListKey &entry : EdidLists)
        selectText(combo(entry.list), ini.readString(EdidSection, QLatin1String(entry.key)));
    for (const EdidListKey &entry : EdidPaths) {
        if (auto *field = m_form.findChild<QLineEdit *>(QLatin1String(entry.list)))
            field->setText(ini.readString(EdidSection, QLatin1String(entry.key)));
    }

    if (auto *displayTag = m_form.findChild<QAbstractButton *>(QStringLiteral("cbDisplayTag")))
        displayTag->setChecked(ini.readBool(DisplayTagSection, QStringLiteral("Value")));
}

// ---------------------------------------------------------------------------------------------
// Writing

bool SettingsFile::fail() const
{
    m_form.dialogs().error(&m_form,
                           QStringLiteral("Unable to write to ") + m_form.settingsFilePath());
    return false;
}

bool SettingsFile::SaveSettings()
{
    IniDocument ini;
    // A file that exists but cannot be read is not replaced: what it holds would be lost.
    if (!ini.load(m_form.settingsFilePath()))
        return fail();
    writeFrom(ini);
    if (!ini.save(m_form.settingsFilePath()))
        return fail();
    return true;
}

void SettingsFile::writeFrom(IniDocument &ini) const
{
    ConnectionPanel *connection = m_form.connection();
    TKXCOMControl *link = m_form.link();

    ini.writeString(WarningSection, QStringLiteral("NOTE"),
                    QStringLiteral("DON'T MODIFY THIS FILE MANUALLY!"));
    // The delivered controller always starts in serial mode; TCP mode only by hand.
    ini.writeBool(ModeSection, QStringLiteral("Mode"), false);
    if (connection) {
        const QString port = connection->cbCOMList->currentText();
        if (!port.isEmpty())
            ini.writeString(PortSection, NameKey, port);
        const QString device = connection->cbLANDevice->currentText();
        if (!device.isEmpty())
            ini.writeString(DeviceSection, NameKey, device);
        writeList(ini, DeviceListSection, "Device No.", itemsOf(connection->cbLANDevice));
    }

    m_tags.SavePortTags(ini, link ? link->ControlMode() : cmCOM, m_form.CurrentDeviceMAC);

    const QList<PresetRow> presets = m_presets.rows();
    for (int n = 1; n <= int(presets.size()); ++n) {
        const PresetRow &preset = presets[n - 1];
        ini.writeString(PresetNameSection, numbered("Setting", n), preset.name);
        ini.writeString(PresetValueSection, numbered("value", n),
                        PresetValue::join(preset.routing));
    }

    if (const TfrmPreSettingEdit *editor = m_form.windows().frmPreSettingEdit) {
        writeList(ini, InputNamesSection, "Device", editor->inputVocabulary());
        writeList(ini, OutputNamesSection, "Display", editor->outputVocabulary());
    }

    for (const EdidListKey &entry : EdidLists) {
        const QComboBox *list = combo(entry.list);
        ini.writeString(EdidSection, QLatin1String(entry.key),
                        list ? list->currentText() : QString());
    }
    for (const EdidListKey &entry : EdidPaths) {
        const auto *field = m_form.findChild<QLineEdit *>(QLatin1String(entry.list));
        ini.writeString(EdidSection, QLatin1String(entry.key), field ? field->text() : QString());
    }

    const auto *displayTag = m_form.findChild<QAbstractButton *>(QStringLiteral("cbDisplayTag"));
    ini.writeBool(DisplayTagSection, QStringLiteral("Value"),
                  displayTag && displayTag->isChecked());
}
