#include "shell/settings/SettingsStore.h"

#include "shell/presets/PresetValue.h"
#include "shell/settings/IniDocument.h"

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

// In the order in which they are written.
constexpr std::array<const char *, EdidSelections::ListCount> EdidListKeys{
    "EDID mode",       "In of EDID mode",  "Out of Copy EDID",
    "In of Copy EDID", "Out of Read EDID", "In of Download EDID",
};

QString numbered(const char *prefix, int n)
{
    return QLatin1String(prefix) + QString::number(n);
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

AppSettings SettingsStore::read(const IniDocument &ini)
{
    AppSettings settings;
    settings.lanMode = ini.readBool(ModeSection, QStringLiteral("Mode"));
    settings.comPort = ini.readString(PortSection, NameKey);
    settings.device = ini.readString(DeviceSection, NameKey);
    const QStringList entries = ini.values(DeviceListSection);
    for (const QString &entry : entries) {
        if (!entry.trimmed().isEmpty())
            settings.devices.append(entry);
    }
    for (int n = 1; n <= AppSettings::PresetCount; ++n) {
        const QString name = numbered("Setting", n);
        const QString value =
            ini.readString(PresetValueSection, numbered("value", n), QStringLiteral("1,2,3,4"));
        settings.presets.append(
            {ini.readString(PresetNameSection, name, name), PresetValue::parse(value)});
    }
    settings.inputNames = ini.values(InputNamesSection);
    settings.outputNames = ini.values(OutputNamesSection);
    for (std::size_t i = 0; i < EdidListKeys.size(); ++i)
        settings.edid.lists[i] = ini.readString(EdidSection, QLatin1String(EdidListKeys[i]));
    settings.edid.saveFile = ini.readString(EdidSection, QStringLiteral("Save EDID file"));
    settings.edid.openFile = ini.readString(EdidSection, QStringLiteral("Open EDID file"));
    settings.displayTag = ini.readBool(DisplayTagSection, QStringLiteral("Value"));
    return settings;
}

void SettingsStore::write(IniDocument &ini, const AppSettings &settings)
{
    ini.writeString(WarningSection, QStringLiteral("NOTE"),
                    QStringLiteral("DON'T MODIFY THIS FILE MANUALLY!"));
    ini.writeBool(ModeSection, QStringLiteral("Mode"), settings.lanMode);
    if (!settings.comPort.isEmpty())
        ini.writeString(PortSection, NameKey, settings.comPort);
    if (!settings.device.isEmpty())
        ini.writeString(DeviceSection, NameKey, settings.device);
    writeList(ini, DeviceListSection, "Device No.", settings.devices);

    if (settings.tags)
        PortTagStore::save(ini, settings.tags->mode, settings.tags->mac, settings.tags->tags);

    for (int n = 1; n <= int(settings.presets.size()); ++n)
        writePreset(ini, n, settings.presets[n - 1]);

    writeList(ini, InputNamesSection, "Device", settings.inputNames);
    writeList(ini, OutputNamesSection, "Display", settings.outputNames);

    for (std::size_t i = 0; i < EdidListKeys.size(); ++i)
        ini.writeString(EdidSection, QLatin1String(EdidListKeys[i]), settings.edid.lists[i]);
    ini.writeString(EdidSection, QStringLiteral("Save EDID file"), settings.edid.saveFile);
    ini.writeString(EdidSection, QStringLiteral("Open EDID file"), settings.edid.openFile);

    ini.writeBool(DisplayTagSection, QStringLiteral("Value"), settings.displayTag);
}

void SettingsStore::writePreset(IniDocument &ini, int number, const PresetRow &preset)
{
    ini.writeString(PresetNameSection, numbered("Setting", number), preset.name);
    ini.writeString(PresetValueSection, numbered("value", number),
                    PresetValue::join(preset.routing));
}
