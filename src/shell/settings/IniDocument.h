#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

enum class IniEncoding { Utf8, Windows1252 };

/// How the file behind a document was read.
struct IniFileState
{
    /// The encoding of the file; the document is written back in it while its text fits.
    IniEncoding encoding = IniEncoding::Utf8;
    /// Lines of binary data that were left out (see IniLines::textLines).
    qsizetype unreadableLines = 0;
};

/// What IniDocument::save() did besides writing the file.
struct IniSaveReport
{
    /// Why the file that was replaced was copied first.
    enum class Copy { None, UnreadableLines, EncodingChange };
    Copy copy = Copy::None;
    /// The copy of the replaced file, when one was made.
    QString copyPath;
    IniEncoding written = IniEncoding::Utf8;
};

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
/// - A file that is valid UTF-8 is read as UTF-8, any other as Windows-1252 (files written by
///   older Windows programs), and the document is written back in the encoding it was read in,
///   so that every byte of such a file survives. When a text has no Windows-1252 byte, the
///   whole document is written in UTF-8 instead; new documents are UTF-8.
/// - Binary data (lines holding control characters other than tab, and stray text among such
///   lines) is left out and counted; save() keeps the file it replaces in a copy.
/// - Byte order marks in front of the text are dropped. Lines may end in CR LF, LF or CR; the
///   document is written with CR LF.
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
    /// content reached the disk. Before replacing a file that had unreadable lines, or one
    /// read as Windows-1252 that is now written in UTF-8, a copy of it is kept beside it
    /// ("<file>.unreadable-<date>-<time>", "<file>.windows-1252-<date>-<time>"); `report`
    /// says so. On failure returns false, with the reason in `error`, and the file unchanged.
    bool save(const QString &path, QString *error = nullptr, IniSaveReport *report = nullptr) const;

    void fromBytes(const QByteArray &bytes);
    /// The document in the encoding of fileState(), or in UTF-8 when a text does not fit;
    /// `written` tells which.
    QByteArray toBytes(IniEncoding *written = nullptr) const;
    void clear();

    const IniFileState &fileState() const { return m_fileState; }
    /// Makes the document stand for a file read in another way (save() uses it to decide on
    /// the encoding and on keeping a copy).
    void setFileState(const IniFileState &state) { m_fileState = state; }
    /// Whether both hold the same lines, whatever their file states.
    bool sameContent(const IniDocument &other) const;
    /// Whether the section has the same lines in both (or is missing in both).
    bool sameSection(const IniDocument &other, const QString &section) const;

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
    /// Makes the section hold exactly these keys with these values, in this order: its old
    /// keys go, its other lines and its place in the file stay; a new section goes at the end.
    /// Returns false, changing nothing, when a name could not be written (see writeString).
    bool writeSection(const QString &section, const QStringList &keys, const QStringList &values);

    /// `text` with every control character replaced by a blank, so that it stays on one line.
    /// The five characters that stand for the bytes Windows-1252 leaves undefined are kept, so
    /// that those bytes survive in names read from such files.
    static QString sanitized(const QString &text);

private:
    struct Line
    {
        QString text; // the whole line as written
        // Entries: where the key (without its surrounding blanks) and the value lie in text.
        qsizetype keyBegin = 0;
        qsizetype keyLength = 0; // 0 for lines that are not entries
        qsizetype valueBegin = 0;

        bool isEntry() const { return keyLength > 0; }
        QStringView key() const { return QStringView(text).mid(keyBegin, keyLength); }
        QStringView value() const { return QStringView(text).mid(valueBegin); }
        bool operator==(const Line &other) const { return text == other.text; }
        static Line entry(const QString &key, const QString &value);
    };
    struct Section
    {
        QString name;
        std::vector<Line> lines;
        bool operator==(const Section &) const = default;
    };

    static QString foldName(const QString &name);
    static constexpr std::size_t NoSection = std::size_t(-1);
    /// Parses one line; `current` is the section it belongs to (NoSection: the preamble).
    void appendLine(const QString &line, std::size_t &current);
    /// Decodes and appends the lines; false, stopping there, at the first byte sequence that
    /// is not UTF-8 when `encoding` is UTF-8.
    bool appendLines(const std::vector<QByteArrayView> &lines, IniEncoding encoding);
    Section &sectionForWriting(const QString &sectionName);
    static std::vector<Line>::iterator afterLastText(std::vector<Line> &lines);
    Section *findSection(const QString &section);
    const Section *findSection(const QString &section) const;
    void rebuildIndex();
    static const Line *findEntry(const Section &section, QStringView key);
    static Line *findEntry(Section &section, QStringView key);
    /// The first entry of every key of the section, in file order.
    std::vector<const Line *> firstEntries(const QString &section) const;

    std::vector<Line> m_preamble; // lines before the first section
    std::vector<Section> m_sections;
    QHash<QString, std::size_t> m_index; // folded section name -> position in m_sections
    IniFileState m_fileState;
};
