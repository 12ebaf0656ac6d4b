#pragma once

#include "shell/settings/IniDocument.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

/// What became of reading or writing the settings file, with the operator's texts.
struct SettingsFileResult
{
    enum class Status {
        Ok,
        /// The file exists but could not be read, or is larger than IniDocument::MaxFileSize;
        /// it is left as it is.
        ReadFailed,
        /// Another program held the lock longer than the writer waits; nothing was written.
        Locked,
        /// The file could not be written; it keeps its previous content.
        WriteFailed,
    };
    Status status = Status::Ok;
    /// For an error box; empty when Ok. ReadFailed: "Unable to read <path>: <reason>" (for a
    /// file too large: its size in bytes and the limit); Locked: "Unable to write to <path>
    /// (locked by another program)"; WriteFailed: "Unable to write to <path>".
    QString error;
    /// The system's reason behind WriteFailed, for a log; may be empty.
    QString detail;
    /// Something the operator should know although the save worked (status panel 3): a copy
    /// of the old file was kept because lines of it were not text, or because it changed from
    /// Windows-1252 to UTF-8 (see SettingsTexts). Empty when there is nothing to tell.
    QString notice;

    bool ok() const { return status == Status::Ok; }
    /// For the error box of a save that wrote nothing: "Unable to write to <path>", with the
    /// reason when another program holds the lock. A save refused because the file could not
    /// be read says so too (the read error itself was shown when it was read).
    QString notWrittenText(const QString &path) const;
};

/// Settings.ini as several programs share it (the window, matrixctl, matrix-bridge): each
/// writes only what it changed, so that one program's save does not undo another's.
///
/// It keeps the document as it was read. save() takes a lock file beside the settings file
/// (<file>.lock), reads the file again and, if another program changed it in between,
/// applies this program's changes (the difference between the document as read and the one
/// to save) onto the file as it is now; otherwise it writes the document to save as it is.
/// The file is replaced atomically.
///
/// Every program writes through update(): the window reads the file once when it is shown
/// (read()), and each of its saves (the whole settings, the port tags) changes that document;
/// a program that never called read() reads the file at its first update(). After a read that
/// failed, nothing is written: the file is left as it is.
class SharedIniFile
{
public:
    struct Options
    {
        /// How long save() waits for another program's lock.
        std::chrono::milliseconds lockTimeout{5000};
        /// A lock older than this is taken over even when its program still runs (a hung
        /// program, or one on another machine); a dead program's lock is taken over at once.
        std::chrono::milliseconds staleLockAge{30000};
        /// Sections rewritten as a whole on every save: when the program changed anything in
        /// them, its version replaces the file's.
        QStringList wholeSections{QStringLiteral("TCP control device list"),
                                  QStringLiteral("In device name"),
                                  QStringLiteral("Out display name")};
    };

    explicit SharedIniFile(const QString &path);
    SharedIniFile(const QString &path, const Options &options);

    QString path() const { return m_path; }

    /// Reads the file (a missing file is an empty document). On failure the document is
    /// empty and the result says why.
    SettingsFileResult read();
    /// Whether the file has been read (successfully).
    bool hasRead() const { return m_hasRead; }
    /// The document as read, or as this program last saved it. Start each save from a copy.
    const IniDocument &document() const { return m_asRead; }

    /// Saves `changed` (a copy of document() with this program's changes) as described above.
    /// Waits at most Options::lockTimeout for the lock. On success document() becomes
    /// `changed`. After a failed read() it refuses with that read's result.
    SettingsFileResult save(const IniDocument &changed);

    /// A change to the document; false when it leaves nothing to write.
    using Change = std::function<bool(IniDocument &document)>;
    /// Applies `change` to a copy of document() (reading the file first when it was never
    /// read) and saves the result as save() does.
    SettingsFileResult update(const Change &change);

private:
    QString m_path;
    Options m_options;
    IniDocument m_asRead;
    bool m_hasRead = false;
    /// The result of a read() that failed, until the next read().
    std::optional<SettingsFileResult> m_readFailure;
};
