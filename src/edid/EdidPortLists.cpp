#include "edid/EdidPortLists.h"

namespace {

constexpr int UserMemoryCount = 2;

QStringList portEntries(const QString &prompt, const QString &prefix,
                        const EdidPortLists::TagOf &tagOf)
{
    QStringList entries{prompt};
    for (int port = 1; port <= EdidPortLists::PortCount; ++port)
        entries.append(EdidPortLists::PortEntry(prefix, port, tagOf ? tagOf(port) : QString()));
    return entries;
}

std::uint16_t userMemoryCode(int memory)
{
    return std::uint16_t(EdidPortCodeBase + memory * EdidUserMemoryStep);
}

} // namespace

QStringList EdidPortLists::ModeEntries()
{
    return {
        QStringLiteral("Select EDID"),
        QStringLiteral("1080i, Stereo Audio 2.0"),
        QStringLiteral("1080i, Dolby/DTS 5.1"),
        QStringLiteral("1080i, HD Audio 7.1"),
        QStringLiteral("1080p, Stereo Audio 2.0"),
        QStringLiteral("1080p, Dolby/DTS 5.1"),
        QStringLiteral("1080p, HD Audio 7.1"),
        QStringLiteral("3D, Stereo Audio 2.0"),
        QStringLiteral("3D, Dolby/DTS 5.1"),
        QStringLiteral("3D, HD Audio 7.1"),
        QStringLiteral("4K2K, Stereo Audio 2.0"),
        QStringLiteral("4K2K, Dolby/DTS 5.1"),
        QStringLiteral("4K2K, HD Audio 7.1"),
        QStringLiteral("1024x768 DVI"),
        QStringLiteral("1920x1080 DVI"),
        QStringLiteral("1920x1200 DVI"),
        QStringLiteral("User1"),
        QStringLiteral("User2"),
        QStringLiteral("Default EDID"),
        QStringLiteral("Auto EDID"),
    };
}

bool EdidPortLists::IsUserMemoryText(const QString &text)
{
    return text.toUpper().contains(QLatin1String("USER"));
}

int EdidPortLists::FirstUserMemoryIndex(const QStringList &entries)
{
    for (int i = 0; i < int(entries.size()); ++i) {
        if (IsUserMemoryText(entries[i]))
            return i;
    }
    return -1;
}

std::optional<std::uint16_t> EdidPortLists::ModeCode(const QStringList &entries, int entry)
{
    if (entry <= 0 || entry >= int(entries.size()) - 1)
        return std::nullopt;
    if (IsUserMemoryText(entries[entry])) {
        const int first = FirstUserMemoryIndex(entries);
        return userMemoryCode(entry - first + 1);
    }
    return std::uint16_t(EdidPortCodeBase + entry);
}

QString EdidPortLists::PortEntry(const QString &prefix, int port, const QString &tag)
{
    QString entry = prefix + QString::number(port);
    if (!tag.isEmpty())
        entry += QStringLiteral(" - [") + tag + QLatin1Char(']');
    return entry;
}

std::array<QString, 2> EdidPortLists::UserMemories()
{
    return {QStringLiteral("User1 Memory"), QStringLiteral("User2 Memory")};
}

QStringList EdidPortLists::InputEntries(const TagOf &inputTag)
{
    QStringList entries = portEntries(SelectInput(), QStringLiteral("In"), inputTag);
    entries.append(AllInputs());
    return entries;
}

QStringList EdidPortLists::DownloadEntries(const TagOf &inputTag)
{
    QStringList entries = InputEntries(inputTag);
    for (const QString &memory : UserMemories())
        entries.append(memory);
    return entries;
}

QStringList EdidPortLists::OutputEntries(const TagOf &outputTag)
{
    return portEntries(SelectOutput(), QStringLiteral("Out"), outputTag);
}

QStringList EdidPortLists::ReadEntries(const TagOf &outputTag)
{
    QStringList entries = OutputEntries(outputTag);
    for (const QString &memory : UserMemories())
        entries.append(memory);
    return entries;
}

std::optional<EdidPortLists::Target> EdidPortLists::DownloadTarget(int entry)
{
    if (entry >= 1 && entry <= PortCount)
        return Target{EdidSub::DownloadOne, std::uint16_t(EdidPortCodeBase + entry)};
    if (entry == PortCount + 1)
        return Target{EdidSub::DownloadAll, EdidAllInputsCode};
    const int memory = entry - (PortCount + 1);
    if (memory >= 1 && memory <= UserMemoryCount)
        return Target{EdidSub::DownloadOne, userMemoryCode(memory)};
    return std::nullopt;
}

std::optional<std::uint16_t> EdidPortLists::ReadCode(int entry)
{
    if (ReadsOutput(entry))
        return std::uint16_t(EdidPortCodeBase + entry);
    // The memories are told apart by their place after the outputs, not by their text: an
    // output whose tag happens to contain "user" must not shift their codes.
    const int memory = entry - PortCount;
    if (memory >= 1 && memory <= UserMemoryCount)
        return userMemoryCode(memory);
    return std::nullopt;
}
