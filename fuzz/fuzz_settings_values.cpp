// The settings load reads presets and port tags out of a file anyone can edit. Whatever the
// file holds, a preset must come out with at least four parts that write back to the same
// parts, and storing tags must leave no empty tag section behind.
#include "shell/porttags/PortTagStore.h"
#include "shell/presets/PresetValue.h"
#include "shell/settings/IniDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void checkPreset(const QString &value)
{
    const QStringList parts = PresetValue::parse(value);
    if (parts.size() < PresetValue::RoutedOutputs)
        std::abort();
    for (const QString &part : parts) {
        if (part.isEmpty() || part.contains(QLatin1Char(',')))
            std::abort();
        const std::optional<int> input = PresetValue::routedInput(part);
        if (input && (*input < 1 || *input > PresetValue::RoutedOutputs))
            std::abort();
    }
    if (PresetValue::parse(PresetValue::join(parts)) != parts)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    IniDocument ini;
    ini.fromBytes(input);

    for (int n = 1; n <= 8; ++n) {
        checkPreset(ini.readString(QStringLiteral("Pre-Setting value"),
                                   QStringLiteral("value") + QString::number(n),
                                   QStringLiteral("1,2,3,4")));
    }
    checkPreset(QString::fromUtf8(input.left(4096)));

    const QStringList sections = ini.sectionNames();
    const QString mac =
        sections.isEmpty() ? PortTagStore::noDeviceMAC() : sections.first().right(17);
    for (TControlMode mode : {cmCOM, cmLAN}) {
        const PortTagSet tags = PortTagStore::load(ini, mode, mac);
        PortTagStore::save(ini, mode, mac, tags);
        for (const QString &section : ini.sectionNames()) {
            if (!section.contains(QLatin1String("Tag of")))
                continue;
            bool anyTag = false;
            for (const QString &value : ini.values(section))
                anyTag = anyTag || !value.trimmed().isEmpty();
            if (!anyTag)
                std::abort();
        }
    }
    return 0;
}
