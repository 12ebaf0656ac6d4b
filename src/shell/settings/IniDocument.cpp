#include "shell/settings/IniDocument.h"

#include "shell/settings/FileBackup.h"
#include "shell/settings/IniLines.h"
#include "shell/settings/SettingsTexts.h"
#include "shell/settings/Windows1252.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>

namespace {

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

bool isCommentStart(QChar c)
{
    return c == QLatin1Char(';') || c == QLatin1Char('#');
}

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

// A key that would be read back as something else (a section header, a comment, a different
// split at "=") cannot be written.
bool isWritableKey(const QString &key)
{
    return !key.isEmpty() && !key.contains(QLatin1Char('=')) && !key.startsWith(QLatin1Char('[')) &&
           !isCommentStart(key.front());
}

IniSaveReport::Copy copyNeeded(const IniFileState &read, IniEncoding written)
{
    if (read.unreadableLines > 0)
        return IniSaveReport::Copy::UnreadableLines;
    if (read.encoding != written)
        return IniSaveReport::Copy::EncodingChange;
    return IniSaveReport::Copy::None;
}

} // namespace

IniDocument::Line IniDocument::Line::entry(const QString &key, const QString &value)
{
    return Line{key + QLatin1Char('=') + value, 0, key.size(), key.size() + 1};
}

QString IniDocument::sanitized(const QString &text)
{
    // Values come from the operator and from network modules (device tags end up in device
    // entries). A CR or LF in them would let such text add keys or whole sections to the file,
    // so every control character is written as a blank instead.
    QString result = text;
    for (QChar &c : result) {
        const char16_t u = c.unicode();
        const bool control = u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
        if (control && !Windows1252::isUndefinedByte(c))
            c = QLatin1Char(' ');
    }
    return result;
}

QString IniDocument::foldName(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

void IniDocument::clear()
{
    m_preamble.clear();
    m_sections.clear();
    m_index.clear();
    m_fileState = {};
}

bool IniDocument::sameContent(const IniDocument &other) const
{
    return m_preamble == other.m_preamble && m_sections == other.m_sections;
}

bool IniDocument::sameSection(const IniDocument &other, const QString &section) const
{
    const Section *mine = findSection(section);
    const Section *theirs = other.findSection(section);
    return mine && theirs ? *mine == *theirs : mine == theirs;
}

bool IniDocument::load(const QString &path, QString *error)
{
    clear();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;

    auto fail = [&](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (!info.isFile())
        return fail(SettingsTexts::UnableToRead(path, QStringLiteral("not a regular file")));
    if (info.size() > MaxFileSize)
        return fail(SettingsTexts::TooLarge(path, info.size(), MaxFileSize));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(SettingsTexts::UnableToRead(path, file.errorString()));
    // The file may have grown since it was looked at.
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(SettingsTexts::UnableToRead(path, file.errorString()));
    if (bytes.size() > MaxFileSize)
        return fail(SettingsTexts::TooLarge(path, file.size(), MaxFileSize));
    fromBytes(bytes);
    return true;
}

bool IniDocument::save(const QString &path, QString *error, IniSaveReport *report) const
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QFileInfo info(path);
    if (info.exists() && !info.isWritable())
        return fail(QStringLiteral("%1 is read-only").arg(path));

    IniSaveReport done;
    const QByteArray bytes = toBytes(&done.written);
    // What the new content loses of the old file is kept in a copy beside it first.
    done.copy = info.exists() ? copyNeeded(m_fileState, done.written) : IniSaveReport::Copy::None;
    if (done.copy != IniSaveReport::Copy::None) {
        const QString label = done.copy == IniSaveReport::Copy::UnreadableLines
                                  ? QStringLiteral("unreadable")
                                  : QStringLiteral("windows-1252");
        done.copyPath = KeepCopyBeside(path, label, QDateTime::currentDateTime());
        if (done.copyPath.isEmpty())
            return fail(QStringLiteral("no copy of %1 could be kept").arg(path));
    }

    // QSaveFile writes to a temporary file beside the target and renames it over the target
    // only after everything was written, so a full disk or a crash never leaves a cut file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    if (report)
        *report = done;
    return true;
}

void IniDocument::fromBytes(const QByteArray &bytes)
{
    clear();
    qsizetype unreadable = 0;
    const std::vector<QByteArrayView> lines = IniLines::textLines(bytes, unreadable);
    // Text that is not UTF-8 throughout comes from an older Windows program or editor.
    if (!appendLines(lines, IniEncoding::Utf8)) {
        clear();
        appendLines(lines, IniEncoding::Windows1252);
    }
    m_fileState.unreadableLines = unreadable;
}

bool IniDocument::appendLines(const std::vector<QByteArrayView> &lines, IniEncoding encoding)
{
    m_fileState.encoding = encoding;
    // A byte order mark inside the text is a character like any other and is kept.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    std::size_t current = NoSection;
    for (const QByteArrayView line : lines) {
        if (encoding == IniEncoding::Windows1252) {
            appendLine(Windows1252::decode(line), current);
            continue;
        }
        const QString text = utf8(line);
        if (utf8.hasError())
            return false;
        appendLine(text, current);
    }
    return true;
}

void IniDocument::appendLine(const QString &line, std::size_t &current)
{
    const qsizetype length = line.size();
    qsizetype first = 0;
    while (first < length && line[first].isSpace())
        ++first;

    if (first < length && line[first] == QLatin1Char('[')) {
        const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
        if (close > first) {
            const QString name = line.mid(first + 1, close - first - 1).trimmed();
            const QString folded = foldName(name);
            const auto found = m_index.constFind(folded);
            if (found != m_index.constEnd()) {
                current = found.value();
            } else {
                current = m_sections.size();
                m_sections.push_back(Section{name, {}});
                m_index.insert(folded, current);
            }
            return;
        }
    }

    Line parsed{line};
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq >= 0 && !(first < length && isCommentStart(line[first]))) {
        qsizetype keyEnd = eq;
        while (keyEnd > first && line[keyEnd - 1].isSpace())
            --keyEnd;
        if (keyEnd > first) {
            parsed.keyBegin = first;
            parsed.keyLength = keyEnd - first;
            parsed.valueBegin = eq + 1;
        }
    }
    if (current == NoSection)
        m_preamble.push_back(std::move(parsed));
    else
        m_sections[current].lines.push_back(std::move(parsed));
}

QByteArray IniDocument::toBytes(IniEncoding *written) const
{
    auto lineTexts = [this](auto &&take) {
        for (const Line &line : m_preamble) {
            if (!take(line.text))
                return false;
        }
        for (const Section &section : m_sections) {
            if (!take(QLatin1Char('[') + section.name + QLatin1Char(']')))
                return false;
            for (const Line &line : section.lines) {
                if (!take(line.text))
                    return false;
            }
        }
        return true;
    };

    QByteArray out;
    if (m_fileState.encoding == IniEncoding::Windows1252) {
        const bool fits = lineTexts([&out](const QString &text) {
            const bool encoded = Windows1252::encode(text, out);
            out += LineEnd;
            return encoded;
        });
        if (fits) {
            if (written)
                *written = IniEncoding::Windows1252;
            return out;
        }
        out.clear();
    }
    lineTexts([&out](const QString &text) {
        out += text.toUtf8() + LineEnd;
        return true;
    });
    if (written)
        *written = IniEncoding::Utf8;
    return out;
}

IniDocument::Section *IniDocument::findSection(const QString &section)
{
    const auto found = m_index.constFind(foldName(section));
    return found == m_index.constEnd() ? nullptr : &m_sections[found.value()];
}

const IniDocument::Section *IniDocument::findSection(const QString &section) const
{
    const auto found = m_index.constFind(foldName(section));
    return found == m_index.constEnd() ? nullptr : &m_sections[found.value()];
}

void IniDocument::rebuildIndex()
{
    m_index.clear();
    for (std::size_t i = 0; i < m_sections.size(); ++i)
        m_index.insert(foldName(m_sections[i].name), i);
}

const IniDocument::Line *IniDocument::findEntry(const Section &section, QStringView key)
{
    const QStringView wanted = key.trimmed();
    for (const Line &line : section.lines) {
        if (line.isEntry() && line.key().compare(wanted, Qt::CaseInsensitive) == 0)
            return &line;
    }
    return nullptr;
}

IniDocument::Line *IniDocument::findEntry(Section &section, QStringView key)
{
    return const_cast<Line *>(findEntry(std::as_const(section), key));
}

QString IniDocument::readString(const QString &section, const QString &key,
                                const QString &defaultValue) const
{
    const Section *found = findSection(section);
    const Line *entry = found ? findEntry(*found, key) : nullptr;
    return entry ? entry->value().toString() : defaultValue;
}

IniDocument::Section &IniDocument::sectionForWriting(const QString &sectionName)
{
    if (Section *found = findSection(sectionName))
        return *found;
    // A blank line in front of a new section, as people write INI files by hand.
    std::vector<Line> &last = m_sections.empty() ? m_preamble : m_sections.back().lines;
    const bool documentEmpty = m_sections.empty() && m_preamble.empty();
    if (!documentEmpty && (last.empty() || !isBlank(last.back().text)))
        last.push_back(Line{});
    m_index.insert(foldName(sectionName), m_sections.size());
    m_sections.push_back(Section{sectionName, {}});
    return m_sections.back();
}

// New keys go after the last non-blank line, so that the blank line separating a section from
// the next one stays at the end.
std::vector<IniDocument::Line>::iterator IniDocument::afterLastText(std::vector<Line> &lines)
{
    auto at = lines.end();
    while (at != lines.begin() && isBlank((at - 1)->text))
        --at;
    return at;
}

bool IniDocument::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = sanitized(section).trimmed();
    const QString keyName = sanitized(key).trimmed();
    if (sectionName.isEmpty() || !isWritableKey(keyName))
        return false;
    const QString text = sanitized(value);

    Section &target = sectionForWriting(sectionName);
    if (Line *entry = findEntry(target, keyName)) {
        *entry = Line::entry(entry->key().toString(), text);
        return true;
    }
    target.lines.insert(afterLastText(target.lines), Line::entry(keyName, text));
    return true;
}

bool IniDocument::writeSection(const QString &section, const QStringList &keys,
                               const QStringList &values)
{
    const QString sectionName = sanitized(section).trimmed();
    if (sectionName.isEmpty() || keys.size() != values.size())
        return false;
    std::vector<Line> entries;
    entries.reserve(std::size_t(keys.size()));
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString keyName = sanitized(keys[i]).trimmed();
        if (!isWritableKey(keyName))
            return false;
        entries.push_back(Line::entry(keyName, sanitized(values[i])));
    }

    std::vector<Line> &lines = sectionForWriting(sectionName).lines;
    std::erase_if(lines, [](const Line &line) { return line.isEntry(); });
    lines.insert(afterLastText(lines), std::make_move_iterator(entries.begin()),
                 std::make_move_iterator(entries.end()));
    return true;
}

bool IniDocument::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    const Section *found = findSection(section);
    const Line *entry = found ? findEntry(*found, key) : nullptr;
    if (!entry)
        return defaultValue;
    bool ok = false;
    const qlonglong number = entry->value().trimmed().toLongLong(&ok);
    return ok ? number != 0 : defaultValue;
}

bool IniDocument::writeBool(const QString &section, const QString &key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

int IniDocument::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const Section *found = findSection(section);
    const Line *entry = found ? findEntry(*found, key) : nullptr;
    if (!entry)
        return defaultValue;
    bool ok = false;
    const int number = entry->value().trimmed().toInt(&ok);
    return ok ? number : defaultValue;
}

bool IniDocument::writeInteger(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool IniDocument::sectionExists(const QString &section) const
{
    return findSection(section) != nullptr;
}

bool IniDocument::keyExists(const QString &section, const QString &key) const
{
    const Section *found = findSection(section);
    return found && findEntry(*found, key);
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    names.reserve(qsizetype(m_sections.size()));
    for (const Section &section : m_sections)
        names.append(section.name);
    return names;
}

std::vector<const IniDocument::Line *> IniDocument::firstEntries(const QString &section) const
{
    std::vector<const Line *> result;
    const Section *found = findSection(section);
    if (!found)
        return result;
    QSet<QString> seen;
    for (const Line &line : found->lines) {
        if (!line.isEntry())
            continue;
        const QString folded = line.key().toString().toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        result.push_back(&line);
    }
    return result;
}

QStringList IniDocument::keys(const QString &section) const
{
    QStringList result;
    for (const Line *line : firstEntries(section))
        result.append(line->key().toString());
    return result;
}

QStringList IniDocument::values(const QString &section) const
{
    QStringList result;
    for (const Line *line : firstEntries(section))
        result.append(line->value().toString());
    return result;
}

bool IniDocument::eraseSection(const QString &section)
{
    const auto found = m_index.constFind(foldName(section));
    if (found == m_index.constEnd())
        return false;
    m_sections.erase(m_sections.begin() + std::ptrdiff_t(found.value()));
    rebuildIndex();
    return true;
}

bool IniDocument::deleteKey(const QString &section, const QString &key)
{
    Section *found = findSection(section);
    if (!found)
        return false;
    const QStringView wanted = QStringView(key).trimmed();
    const auto removed = std::erase_if(found->lines, [&](const Line &line) {
        return line.isEntry() && line.key().compare(wanted, Qt::CaseInsensitive) == 0;
    });
    return removed > 0;
}
