#include "shell/porttags/PortTagsModel.h"

#include "shell/settings/IniDocument.h"

PortTagsModel::PortTagsModel(SharedIniFile &file, QObject *parent) : QObject(parent), m_file(file)
{
}

void PortTagsModel::setTags(const PortTagSet &tags)
{
    m_tags = tags;
    emit changed();
}

QString PortTagsModel::tag(int portTag) const
{
    const bool output = portTag > OutputTagBase;
    const int port = output ? portTag - OutputTagBase : portTag;
    if (port < 1 || port > PortTagSet::Ports)
        return {};
    const auto &set = output ? m_tags.outputs : m_tags.inputs;
    return set[std::size_t(port - 1)];
}

void PortTagsModel::ClearPortTags()
{
    setTags({});
}

void PortTagsModel::LoadPortTags(TControlMode mode, const QString &mac)
{
    IniDocument ini;
    ini.load(m_file.path());
    setTags(PortTagStore::load(ini, mode, mac));
}

SettingsFileResult PortTagsModel::SavePortTags(TControlMode mode, const QString &mac)
{
    return m_file.update([&](IniDocument &ini) {
        PortTagStore::save(ini, mode, mac, m_tags);
        return true;
    });
}

SettingsFileResult PortTagsModel::PurgeEmptyTagSections()
{
    return m_file.update([](IniDocument &ini) {
        const QStringList before = ini.sectionNames();
        PortTagStore::purgeEmptySections(ini);
        return ini.sectionNames() != before;
    });
}

PortTagSet PortTagsModel::storedTags(TControlMode mode, const QString &mac) const
{
    IniDocument ini;
    ini.load(m_file.path());
    return PortTagStore::load(ini, mode, mac);
}

bool PortTagsModel::storeTags(TControlMode mode, const QString &mac, const PortTagSet &tags)
{
    return m_file
        .update([&](IniDocument &ini) {
            PortTagStore::save(ini, mode, mac, tags);
            PortTagStore::purgeEmptySections(ini);
            return true;
        })
        .ok();
}
