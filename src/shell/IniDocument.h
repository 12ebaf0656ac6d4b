#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

/// An INI document held in memory, in the traditional Windows layout: "[Section]" lines open
/// a section, "key=value" lines follow.
///
/// - Section and key names are matched without regard to letter case and without their
///   surrounding blanks; values are kept exactly as written (no quoting, no trimming).
/// - A line is split at its first "="; lines without "=", comment lines (";" or "#") and any
///   other text are kept untouched in their place.
/// - A section that appears more than once is one section: the keys of later copies join the
///   first copy. When a key appears more than once in a section, the first one counts; it is
///   the one read and the one updated, and deleteKey removes every copy.
/// - Existing keys are updated in place, new keys go after the last key of their section, new
///   sections at the end of the document.
/// - Text is read as UTF-8 (invalid sequences become U+FFFD) and written as UTF-8. Lines may end
///   in CR LF, LF or CR; the document is written with CR LF.
class IniDocument
{
public:
    /// Largest file load() accepts. A settings file is a few kilobytes; this leaves room for
    /// files that grew by hand or by other programs, and bounds the memory it takes.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    /// Replaces the document with the file's content. A missing file gives an empty document
    /// and true; a file that cannot be read (or is larger than MaxFileSize) gives an empty
    /// document, false and the operator's text in `error`, naming the file (and for a file
    /// too large, its size and the limit).
    bool load(const QString &path, QString *error = nullptr);
    /// Writes the document atomically: the old file stays as it was unless the whole new
    /// content reached the disk. On failure returns false with the reason in `error`.
    bool save(const QString &path, QString *error = nullptr) const;

    void fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const;
    void clear();

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = {}) const;
    /// Sets the value, creating the section and key when needed. Control characters in the
    /// value and the names are written as blanks (see sanitized()). Returns false, changing
    /// nothing, for a name that could not be read back as written: an empty section or key,
    /// a key containing "=" or starting with "[", ";" or "#".
    bool writeString(const QString &section, const QString &key, const QString &value);

    /// True when the value is a non-zero integer; a missing key or a value that is not an
    /// integer reads as `defaultValue`.
    bool readBool(const QString &section, const QString &key, bool defaultValue = false) const;
    /// Writes 1 or 0.
    bool writeBool(const QString &section, const QString &key, bool value);
    /// The value as a decimal integer (blanks around it allowed); `defaultValue` when the key
    /// is missing or its value is not an integer.
    int readInteger(const QString &section, const QString &key, int defaultValue = 0) const;
    bool writeInteger(const QString &section, const QString &key, int value);

    bool sectionExists(const QString &section) const;
    bool keyExists(const QString &section, const QString &key) const;
    /// Section names in file order, each once, as first written.
    QStringList sectionNames() const;
    /// Key names of the section in file order, each once.
    QStringList keys(const QString &section) const;
    /// The values belonging to keys(section), in the same order.
    QStringList values(const QString &section) const;
    /// Removes the section with all its lines (of every copy). Returns whether it existed.
    bool eraseSection(const QString &section);
    /// Removes the key (every copy). Returns whether it existed.
    bool deleteKey(const QString &section, const QString &key);

    /// `text` with every control character replaced by a blank, so that it stays on one line.
    static QString sanitized(const QString &text);

private:
    struct Line
    {
        bool isEntry = false;
        QString key;   // trimmed, for entries
        QString value; // for entries
        QString text;  // the whole line, for everything that is not an entry
    };
    struct Section
    {
        QString name;
        std::vector<Line> lines;
    };

    static QString foldName(const QString &name);
    static constexpr std::size_t NoSection = std::size_t(-1);
    /// Parses one line; `current` is the section it belongs to (NoSection: the preamble).
    void appendLine(const QString &line, std::size_t &current);
    Section *findSection(const QString &section);
    const Section *findSection(const QString &section) const;
    void rebuildIndex();
    static const Line *findEntry(const Section &section, const QString &key);
    static Line *findEntry(Section &section, const QString &key);
    /// The first entry of every key of the section, in file order.
    std::vector<const Line *> firstEntries(const QString &section) const;

    std::vector<Line> m_preamble; // lines before the first section
    std::vector<Section> m_sections;
    QHash<QString, std::size_t> m_index; // folded section name -> position in m_sections
};
