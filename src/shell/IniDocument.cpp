#include "shell/IniDocument.h"

#include "shell/settings/SettingsTexts.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace {

bool isCommentLine(const QString &trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
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
           !isCommentLine(key);
}

} // namespace

QString IniDocument::sanitized(const QString &text)
{
    // Values come from the operator and from network modules (device tags end up in device
    // entries). A CR or LF in them would let such text add keys or whole sections to the file,
    // so every control character is written as a blank instead.
    QString result = text;
    for (QChar &c : result) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029)
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

bool IniDocument::save(const QString &path, QString *error) const
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QFileInfo info(path);
    if (info.exists() && !info.isWritable())
        return fail(QStringLiteral("%1 is read-only").arg(path));

    // QSaveFile writes to a temporary file beside the target and renames it over the target
    // only after everything was written, so a full disk or a crash never leaves a cut file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

void IniDocument::fromBytes(const QByteArray &bytes)
{
    clear();
    qsizetype pos = 0;
    const qsizetype size = bytes.size();
    // Byte order marks in front of the text are dropped (more than one if an editor added
    // its own), so they never become part of the first line.
    while (bytes.mid(pos, 3) == QByteArrayLiteral("\xEF\xBB\xBF"))
        pos += 3;

    // The text is decoded as a whole: decoding line by line would drop a byte order mark at
    // the start of every line, and a document would not read back as it was written.
    const QString text = QString::fromUtf8(bytes.constData() + pos, size - pos);
    const qsizetype length = text.size();
    std::size_t current = NoSection;
    qsizetype at = 0;
    while (at < length) {
        qsizetype end = at;
        while (end < length && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
            ++end;
        appendLine(text.mid(at, end - at), current);
        if (end + 1 < length && text[end] == QLatin1Char('\r') &&
            text[end + 1] == QLatin1Char('\n'))
            ++end;
        at = end + 1;
    }
}

void IniDocument::appendLine(const QString &line, std::size_t &current)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.lastIndexOf(QLatin1Char(']'));
        if (close > 0) {
            const QString name = trimmed.mid(1, close - 1).trimmed();
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

    Line parsed;
    parsed.text = line;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq >= 0 && !isCommentLine(trimmed)) {
        parsed.key = line.left(eq).trimmed();
        parsed.value = line.mid(eq + 1);
        parsed.isEntry = !parsed.key.isEmpty();
    }
    if (current == NoSection)
        m_preamble.push_back(std::move(parsed));
    else
        m_sections[current].lines.push_back(std::move(parsed));
}

QByteArray IniDocument::toBytes() const
{
    static const QByteArray lineEnd = QByteArrayLiteral("\r\n");
    QByteArray out;
    for (const Line &line : m_preamble)
        out += line.text.toUtf8() + lineEnd;
    for (const Section &section : m_sections) {
        out += '[' + section.name.toUtf8() + ']' + lineEnd;
        for (const Line &line : section.lines)
            out += line.text.toUtf8() + lineEnd;
    }
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

const IniDocument::Line *IniDocument::findEntry(const Section &section, const QString &key)
{
    const QString wanted = key.trimmed();
    for (const Line &line : section.lines) {
        if (line.isEntry && line.key.compare(wanted, Qt::CaseInsensitive) == 0)
            return &line;
    }
    return nullptr;
}

IniDocument::Line *IniDocument::findEntry(Section &section, const QString &key)
{
    return const_cast<Line *>(findEntry(std::as_const(section), key));
}

QString IniDocument::readString(const QString &section, const QString &key,
                                const QString &defaultValue) const
{
    const Section *found = findSection(section);
    const Line *entry = found ? findEntry(*found, key) : nullptr;
    return entry ? entry->value : defaultValue;
}

bool IniDocument::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = sanitized(section).trimmed();
    const QString keyName = sanitized(key).trimmed();
    if (sectionName.isEmpty() || !isWritableKey(keyName))
        return false;
    const QString text = sanitized(value);

    Section *target = findSection(sectionName);
    if (!target) {
        // A blank line in front of a new section, as people write INI files by hand.
        std::vector<Line> &last = m_sections.empty() ? m_preamble : m_sections.back().lines;
        const bool documentEmpty = m_sections.empty() && m_preamble.empty();
        if (!documentEmpty && (last.empty() || !isBlank(last.back().text)))
            last.push_back(Line{});
        m_index.insert(foldName(sectionName), m_sections.size());
        m_sections.push_back(Section{sectionName, {}});
        target = &m_sections.back();
    }

    if (Line *entry = findEntry(*target, keyName)) {
        entry->value = text;
        entry->text = entry->key + QLatin1Char('=') + text;
        return true;
    }
    // New keys go after the last non-blank line, so that the blank line separating this
    // section from the next one stays at the end.
    auto &lines = target->lines;
    auto insertAt = lines.end();
    while (insertAt != lines.begin() && isBlank((insertAt - 1)->text))
        --insertAt;
    lines.insert(insertAt, Line{true, keyName, text, keyName + QLatin1Char('=') + text});
    return true;
}

bool IniDocument::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    const Section *found = findSection(section);
    const Line *entry = found ? findEntry(*found, key) : nullptr;
    if (!entry)
        return defaultValue;
    bool ok = false;
    const qlonglong number = entry->value.trimmed().toLongLong(&ok);
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
    const int number = entry->value.trimmed().toInt(&ok);
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
        if (!line.isEntry)
            continue;
        const QString folded = line.key.toCaseFolded();
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
        result.append(line->key);
    return result;
}

QStringList IniDocument::values(const QString &section) const
{
    QStringList result;
    for (const Line *line : firstEntries(section))
        result.append(line->value);
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
    const QString wanted = key.trimmed();
    const auto removed = std::erase_if(found->lines, [&](const Line &line) {
        return line.isEntry && line.key.compare(wanted, Qt::CaseInsensitive) == 0;
    });
    return removed > 0;
}
