#include "shell/porttags/PortTagStore.h"

#include "shell/settings/IniDocument.h"

#include <algorithm>

namespace {

QString inputKey(int port)
{
    return QStringLiteral("In") + QString::number(port);
}

QString outputKey(int port)
{
    return QStringLiteral("Out") + QString::number(port);
}

bool hasTag(const QString &value)
{
    return !value.trimmed().isEmpty();
}

void writeSet(IniDocument &ini, const QString &section, QString (*key)(int),
              const std::array<QString, PortTagSet::Ports> &values)
{
    // A set without any tag would be purged right away; not creating its section at all
    // keeps the rest of the file exactly as it was.
    if (!ini.sectionExists(section) && std::none_of(values.cbegin(), values.cend(), hasTag))
        return;
    for (int n = 1; n <= PortTagSet::Ports; ++n)
        ini.writeString(section, key(n), values[std::size_t(n - 1)]);
}

} // namespace

QString PortTagStore::inputSection(TControlMode mode, const QString &mac)
{
    return mode == cmCOM ? QStringLiteral("Tag of Input - COM")
                         : QStringLiteral("Tag of Input - TCP:") + mac;
}

QString PortTagStore::outputSection(TControlMode mode, const QString &mac)
{
    return mode == cmCOM ? QStringLiteral("Tag of Output - COM")
                         : QStringLiteral("Tag of Output - TCP:") + mac;
}

PortTagSet PortTagStore::load(const IniDocument &ini, TControlMode mode, const QString &mac)
{
    PortTagSet tags;
    const QString in = inputSection(mode, mac);
    const QString out = outputSection(mode, mac);
    for (int n = 1; n <= PortTagSet::Ports; ++n) {
        tags.inputs[std::size_t(n - 1)] = ini.readString(in, inputKey(n));
        tags.outputs[std::size_t(n - 1)] = ini.readString(out, outputKey(n));
    }
    return tags;
}

bool PortTagStore::save(IniDocument &ini, TControlMode mode, const QString &mac,
                        const PortTagSet &tags)
{
    bool written = false;
    if (mode == cmCOM || mac != noDeviceMAC()) {
        writeSet(ini, inputSection(mode, mac), inputKey, tags.inputs);
        writeSet(ini, outputSection(mode, mac), outputKey, tags.outputs);
        written = true;
    }
    purgeEmptySections(ini);
    return written;
}

void PortTagStore::purgeEmptySections(IniDocument &ini)
{
    const QStringList sections = ini.sectionNames();
    for (const QString &section : sections) {
        if (!section.contains(QLatin1String("Tag of"), Qt::CaseSensitive))
            continue;
        const QStringList values = ini.values(section);
        if (std::none_of(values.cbegin(), values.cend(), hasTag))
            ini.eraseSection(section);
    }
}
