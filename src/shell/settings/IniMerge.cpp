#include "shell/settings/IniMerge.h"

#include "shell/settings/IniDocument.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

QString folded(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

bool isWholeSection(const QStringList &wholeSections, const QString &section)
{
    return std::any_of(wholeSections.begin(), wholeSections.end(),
                       [&](const QString &name) { return folded(name) == folded(section); });
}

void applyKeyChanges(const IniDocument &before, const IniDocument &after, IniDocument &target,
                     const QString &section)
{
    const QStringList oldKeys = before.keys(section);
    const QStringList oldValues = before.values(section);
    QHash<QString, QString> old;
    for (qsizetype i = 0; i < oldKeys.size(); ++i)
        old.insert(folded(oldKeys[i]), oldValues[i]);

    const QStringList keys = after.keys(section);
    const QStringList values = after.values(section);
    QSet<QString> kept;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString key = folded(keys[i]);
        kept.insert(key);
        const auto found = old.constFind(key);
        if (found == old.constEnd() || found.value() != values[i])
            target.writeString(section, keys[i], values[i]);
    }
    for (const QString &key : oldKeys) {
        if (!kept.contains(folded(key)))
            target.deleteKey(section, key);
    }
}

} // namespace

namespace IniMerge {

void applyChanges(const IniDocument &before, const IniDocument &after, IniDocument &target,
                  const QStringList &wholeSections)
{
    for (const QString &section : before.sectionNames()) {
        if (!after.sectionExists(section))
            target.eraseSection(section);
    }
    for (const QString &section : after.sectionNames()) {
        if (before.sameSection(after, section))
            continue;
        if (!isWholeSection(wholeSections, section)) {
            applyKeyChanges(before, after, target, section);
            continue;
        }
        const QStringList keys = after.keys(section);
        const QStringList values = after.values(section);
        if (keys != before.keys(section) || values != before.values(section))
            target.writeSection(section, keys, values);
    }
}

} // namespace IniMerge
