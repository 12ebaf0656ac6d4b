#include "shell/setup/SetupFile.h"

#include "lanmodule/MACAddressText.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cctype>

namespace SetupFile {

namespace {

// Bounds of what a real setup holds, far above it; a file beyond them is damaged.
constexpr qsizetype MaxText = 4096;
constexpr qsizetype MaxEntries = 1024;
constexpr qsizetype MaxPorts = 8;
constexpr qsizetype PresetCount = AppSettings::PresetCount;
constexpr qsizetype EdidBlockBytes = 256;

constexpr std::array<const char *, EdidSelections::ListCount> EdidKeys{
    "mode", "modeInput", "copyOutput", "copyInput", "readOutput", "downloadInput"};
constexpr std::array<const char *, Setup::UserMemories> UserEdidKeys{"user1", "user2"};

QJsonArray Texts(const auto &texts)
{
    QJsonArray array;
    for (const QString &text : texts)
        array.append(text);
    return array;
}

/// Walks the document and keeps the first thing that is wrong, with where it is.
class Reader
{
public:
    bool failed() const { return !m_error.isEmpty(); }
    QString error() const { return m_error; }

    void fail(const QString &where, const QString &what)
    {
        if (m_error.isEmpty())
            m_error = where + QLatin1Char(' ') + what;
    }

    QString text(const QJsonValue &value, const QString &where)
    {
        if (!value.isString()) {
            fail(where, QStringLiteral("is not a text"));
            return {};
        }
        const QString text = value.toString();
        if (text.size() > MaxText)
            fail(where, QStringLiteral("is too long"));
        return text;
    }

    QStringList texts(const QJsonValue &value, const QString &where, qsizetype least,
                      qsizetype most)
    {
        QStringList list;
        if (!value.isArray()) {
            fail(where, QStringLiteral("is not a list"));
            return list;
        }
        const QJsonArray array = value.toArray();
        if (array.size() < least || array.size() > most) {
            fail(where, QStringLiteral("has ") + QString::number(array.size()) +
                            QStringLiteral(" entries"));
            return list;
        }
        for (qsizetype i = 0; i < array.size() && !failed(); ++i)
            list.append(text(array[i], where + QLatin1Char('[') + QString::number(i) + ']'));
        return list;
    }

    QJsonObject object(const QJsonValue &value, const QString &where)
    {
        if (!value.isObject())
            fail(where, QStringLiteral("is not an object"));
        return value.toObject();
    }

private:
    QString m_error;
};

QList<int> ReadRouting(Reader &reader, const QJsonValue &value)
{
    QList<int> routing;
    if (value.isUndefined() || value.isNull())
        return routing;
    if (!value.isArray() || value.toArray().size() > MaxPorts) {
        reader.fail(QStringLiteral("routing"), QStringLiteral("is not a list of up to 8 inputs"));
        return routing;
    }
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        const double input = array[i].toDouble(-1);
        if (!array[i].isDouble() || input != int(input) || input < 1 || input > MaxPorts) {
            reader.fail(QStringLiteral("routing[") + QString::number(i) + QLatin1Char(']'),
                        QStringLiteral("is not an input 1..8"));
            return {};
        }
        routing.append(int(input));
    }
    return routing;
}

QList<PresetRow> ReadPresets(Reader &reader, const QJsonValue &value)
{
    QList<PresetRow> presets;
    if (!value.isArray() || value.toArray().size() != PresetCount) {
        reader.fail(QStringLiteral("presets"), QStringLiteral("is not a list of 8 presets"));
        return presets;
    }
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size() && !reader.failed(); ++i) {
        const QString where = QStringLiteral("presets[") + QString::number(i) + QLatin1Char(']');
        const QJsonObject preset = reader.object(array[i], where);
        PresetRow row;
        row.name =
            reader.text(preset.value(QLatin1String("name")), where + QStringLiteral(".name"));
        row.routing = reader.texts(preset.value(QLatin1String("routing")),
                                   where + QStringLiteral(".routing"), 0, MaxPorts);
        presets.append(row);
    }
    return presets;
}

QList<Setup::TagSet> ReadTags(Reader &reader, const QJsonValue &value)
{
    QList<Setup::TagSet> sets;
    if (!value.isArray() || value.toArray().size() > MaxEntries) {
        reader.fail(QStringLiteral("portTags"), QStringLiteral("is not a list of tag sets"));
        return sets;
    }
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size() && !reader.failed(); ++i) {
        const QString where = QStringLiteral("portTags[") + QString::number(i) + QLatin1Char(']');
        const QJsonObject object = reader.object(array[i], where);
        Setup::TagSet set;
        const QString control =
            reader.text(object.value(QLatin1String("control")), where + QStringLiteral(".control"));
        if (control == QLatin1String("network")) {
            set.mode = cmLAN;
            set.mac =
                reader.text(object.value(QLatin1String("mac")), where + QStringLiteral(".mac"));
            const auto parts = MACAddressText::SplitMACAddress(set.mac);
            if (!reader.failed() && (!parts || MACAddressText::JoinParts(*parts) != set.mac))
                reader.fail(where + QStringLiteral(".mac"), QStringLiteral("is not a MAC address"));
        } else if (control != QLatin1String("serial") && !reader.failed()) {
            reader.fail(where + QStringLiteral(".control"),
                        QStringLiteral("is neither \"serial\" nor \"network\""));
        }
        const QStringList inputs =
            reader.texts(object.value(QLatin1String("inputs")), where + QStringLiteral(".inputs"),
                         PortTagSet::Ports, PortTagSet::Ports);
        const QStringList outputs =
            reader.texts(object.value(QLatin1String("outputs")), where + QStringLiteral(".outputs"),
                         PortTagSet::Ports, PortTagSet::Ports);
        if (reader.failed())
            break;
        for (int port = 0; port < PortTagSet::Ports; ++port) {
            set.tags.inputs[std::size_t(port)] = inputs[port];
            set.tags.outputs[std::size_t(port)] = outputs[port];
        }
        sets.append(set);
    }
    return sets;
}

EdidSelections ReadEdid(Reader &reader, const QJsonValue &value)
{
    EdidSelections edid;
    const QJsonObject object = reader.object(value, QStringLiteral("edidSelections"));
    for (std::size_t i = 0; i < EdidKeys.size() && !reader.failed(); ++i)
        edid.lists[i] = reader.text(object.value(QLatin1String(EdidKeys[i])),
                                    QStringLiteral("edidSelections.") + EdidKeys[i]);
    edid.saveFile = reader.text(object.value(QLatin1String("saveFile")),
                                QStringLiteral("edidSelections.saveFile"));
    edid.openFile = reader.text(object.value(QLatin1String("openFile")),
                                QStringLiteral("edidSelections.openFile"));
    return edid;
}

std::optional<std::array<QByteArray, Setup::UserMemories>> ReadUserEdid(Reader &reader,
                                                                        const QJsonValue &value)
{
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    const QJsonObject object = reader.object(value, QStringLiteral("userEdid"));
    std::array<QByteArray, Setup::UserMemories> blocks;
    for (std::size_t i = 0; i < UserEdidKeys.size() && !reader.failed(); ++i) {
        const QString where = QStringLiteral("userEdid.") + UserEdidKeys[i];
        const QString hex = reader.text(object.value(QLatin1String(UserEdidKeys[i])), where);
        const QByteArray latin = hex.toLatin1();
        const auto digit = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); };
        if (!reader.failed() &&
            (latin.size() != 2 * EdidBlockBytes || !std::all_of(latin.begin(), latin.end(), digit)))
            reader.fail(where, QStringLiteral("is not 256 bytes in hexadecimal"));
        blocks[i] = QByteArray::fromHex(latin);
    }
    return blocks;
}

Parsed Fail(Problem problem, const QString &detail)
{
    return {std::nullopt, problem, detail};
}

} // namespace

QByteArray Write(const Setup &setup)
{
    QJsonObject root;
    root.insert(QLatin1String("format"), QLatin1String(Format));
    root.insert(QLatin1String("version"), Version);
    if (!setup.routing.isEmpty()) {
        QJsonArray routing;
        for (const int input : setup.routing)
            routing.append(input);
        root.insert(QLatin1String("routing"), routing);
    }
    QJsonArray presets;
    for (const PresetRow &row : setup.presets)
        presets.append(QJsonObject{{QLatin1String("name"), row.name},
                                   {QLatin1String("routing"), Texts(row.routing)}});
    root.insert(QLatin1String("presets"), presets);
    QJsonArray tags;
    for (const Setup::TagSet &set : setup.tags) {
        QJsonObject object{{QLatin1String("control"),
                            set.mode == cmCOM ? QLatin1String("serial") : QLatin1String("network")},
                           {QLatin1String("inputs"), Texts(set.tags.inputs)},
                           {QLatin1String("outputs"), Texts(set.tags.outputs)}};
        if (set.mode == cmLAN)
            object.insert(QLatin1String("mac"), set.mac);
        tags.append(object);
    }
    root.insert(QLatin1String("portTags"), tags);
    QJsonObject edid;
    for (std::size_t i = 0; i < EdidKeys.size(); ++i)
        edid.insert(QLatin1String(EdidKeys[i]), setup.edid.lists[i]);
    edid.insert(QLatin1String("saveFile"), setup.edid.saveFile);
    edid.insert(QLatin1String("openFile"), setup.edid.openFile);
    root.insert(QLatin1String("edidSelections"), edid);
    root.insert(QLatin1String("networkDevices"),
                QJsonObject{{QLatin1String("selected"), setup.device},
                            {QLatin1String("list"), Texts(setup.devices)}});
    if (setup.userEdid) {
        QJsonObject memories;
        for (std::size_t i = 0; i < UserEdidKeys.size(); ++i)
            memories.insert(QLatin1String(UserEdidKeys[i]),
                            QString::fromLatin1((*setup.userEdid)[i].toHex()));
        root.insert(QLatin1String("userEdid"), memories);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Parsed Parse(QByteArrayView bytes)
{
    if (bytes.size() > MaxBytes)
        return Fail(Problem::Unreadable, QStringLiteral("it is larger than 1 MiB"));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes.toByteArray(), &error);
    const bool ours = bytes.toByteArray().contains(Format);
    if (error.error != QJsonParseError::NoError) {
        if (!ours)
            return Fail(Problem::Foreign, {});
        return Fail(Problem::Damaged, error.errorString() + QStringLiteral(" at byte ") +
                                          QString::number(error.offset));
    }
    if (!document.isObject() ||
        document.object().value(QLatin1String("format")).toString() != QLatin1String(Format))
        return Fail(Problem::Foreign, {});
    const QJsonObject root = document.object();
    const QJsonValue version = root.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() < 1 || version.toDouble() != version.toInt())
        return Fail(Problem::Damaged, QStringLiteral("version is not a format number"));
    if (version.toInt() > Version)
        return Fail(Problem::Newer, QString::number(version.toInt()));

    Reader reader;
    Setup setup;
    setup.routing = ReadRouting(reader, root.value(QLatin1String("routing")));
    if (!reader.failed())
        setup.presets = ReadPresets(reader, root.value(QLatin1String("presets")));
    if (!reader.failed())
        setup.tags = ReadTags(reader, root.value(QLatin1String("portTags")));
    if (!reader.failed())
        setup.edid = ReadEdid(reader, root.value(QLatin1String("edidSelections")));
    if (!reader.failed()) {
        const QJsonObject devices = reader.object(root.value(QLatin1String("networkDevices")),
                                                  QStringLiteral("networkDevices"));
        setup.device = reader.text(devices.value(QLatin1String("selected")),
                                   QStringLiteral("networkDevices.selected"));
        setup.devices = reader.texts(devices.value(QLatin1String("list")),
                                     QStringLiteral("networkDevices.list"), 0, MaxEntries);
    }
    if (!reader.failed())
        setup.userEdid = ReadUserEdid(reader, root.value(QLatin1String("userEdid")));
    if (reader.failed())
        return Fail(Problem::Damaged, reader.error());
    return {setup, Problem::None, {}};
}

Parsed Read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(Problem::Unreadable, file.errorString());
    if (file.size() > MaxBytes)
        return Fail(Problem::Unreadable, QStringLiteral("it is larger than 1 MiB"));
    return Parse(file.read(MaxBytes + 1));
}

QString ProblemText(const QString &path, const Parsed &parsed)
{
    const QString unchanged = QStringLiteral(" Nothing was changed.");
    switch (parsed.problem) {
    case Problem::None:
        return {};
    case Problem::Unreadable:
        return QStringLiteral("The file ") + path + QStringLiteral(" cannot be read: ") +
               parsed.detail + QLatin1Char('.') + unchanged;
    case Problem::Foreign:
        return QStringLiteral("The file ") + path +
               QStringLiteral(" is not a setup file of this program.") + unchanged;
    case Problem::Newer:
        return QStringLiteral("The setup file ") + path +
               QStringLiteral(" was written by a newer version of the program (format ") +
               parsed.detail + QStringLiteral("); this version reads format ") +
               QString::number(Version) + QLatin1Char('.') + unchanged;
    case Problem::Damaged:
        return QStringLiteral("The setup file ") + path + QStringLiteral(" is damaged: ") +
               parsed.detail + QLatin1Char('.') + unchanged;
    }
    return {};
}

} // namespace SetupFile
