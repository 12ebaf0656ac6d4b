#include "shell/porttags/PortTagsModel.h"

#include "shell/IniDocument.h"

PortTagsModel::PortTagsModel(const SettingsLocation &location, QObject *parent)
    : QObject(parent), m_location(location)
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
    ini.load(m_location.filePath());
    setTags(PortTagStore::load(ini, mode, mac));
}

bool PortTagsModel::SavePortTags(TControlMode mode, const QString &mac)
{
    IniDocument ini;
    // A file that exists but cannot be read is not replaced by one that holds only the tags.
    if (!ini.load(m_location.filePath()))
        return false;
    PortTagStore::save(ini, mode, mac, m_tags);
    return ini.save(m_location.filePath());
}

bool PortTagsModel::PurgeEmptyTagSections()
{
    IniDocument ini;
    if (!ini.load(m_location.filePath()))
        return false;
    const QStringList before = ini.sectionNames();
    PortTagStore::purgeEmptySections(ini);
    if (ini.sectionNames() == before)
        return true;
    return ini.save(m_location.filePath());
}

PortTagSet PortTagsModel::storedTags(TControlMode mode, const QString &mac) const
{
    IniDocument ini;
    ini.load(m_location.filePath());
    return PortTagStore::load(ini, mode, mac);
}

bool PortTagsModel::storeTags(TControlMode mode, const QString &mac, const PortTagSet &tags)
{
    IniDocument ini;
    if (!ini.load(m_location.filePath()))
        return false;
    PortTagStore::save(ini, mode, mac, tags);
    PortTagStore::purgeEmptySections(ini);
    return ini.save(m_location.filePath());
}
