#include "shell/settings/SharedIniFile.h"

#include "shell/settings/IniMerge.h"
#include "shell/settings/SettingsTexts.h"

#include <QLockFile>

namespace {

SettingsFileResult failure(SettingsFileResult::Status status, const QString &error,
                           const QString &detail = {})
{
    return {status, error, detail, {}};
}

QString noticeOf(const IniSaveReport &report, const QString &path)
{
    switch (report.copy) {
    case IniSaveReport::Copy::UnreadableLines:
        return SettingsTexts::UnreadableLinesKept(path, report.copyPath);
    case IniSaveReport::Copy::EncodingChange:
        return SettingsTexts::SwitchedToUtf8(path, report.copyPath);
    case IniSaveReport::Copy::None:
        break;
    }
    return {};
}

} // namespace

QString SettingsFileResult::notWrittenText(const QString &path) const
{
    return status == Status::Locked ? error : SettingsTexts::UnableToWrite(path);
}

SharedIniFile::SharedIniFile(const QString &path) : SharedIniFile(path, Options{}) {}

SharedIniFile::SharedIniFile(const QString &path, const Options &options)
    : m_path(path), m_options(options)
{
}

SettingsFileResult SharedIniFile::read()
{
    QString error;
    m_hasRead = m_asRead.load(m_path, &error);
    if (!m_hasRead) {
        m_readFailure = failure(SettingsFileResult::Status::ReadFailed, error);
        return *m_readFailure;
    }
    m_readFailure.reset();
    return {};
}

SettingsFileResult SharedIniFile::update(const Change &change)
{
    if (!m_hasRead && !m_readFailure) {
        const SettingsFileResult read = this->read();
        if (!read.ok())
            return read;
    }
    if (m_readFailure)
        return *m_readFailure;
    IniDocument changed = m_asRead;
    if (!change(changed))
        return {};
    return save(changed);
}

SettingsFileResult SharedIniFile::save(const IniDocument &changed)
{
    // What was not read is not replaced by what the program made up without it.
    if (m_readFailure)
        return *m_readFailure;
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(int(m_options.staleLockAge.count()));
    if (!lock.tryLock(int(m_options.lockTimeout.count()))) {
        if (lock.error() == QLockFile::LockFailedError)
            return failure(SettingsFileResult::Status::Locked, SettingsTexts::Locked(m_path));
        return failure(SettingsFileResult::Status::WriteFailed,
                       SettingsTexts::UnableToWrite(m_path),
                       QStringLiteral("cannot create ") + lock.fileName());
    }

    IniDocument current;
    QString error;
    if (!current.load(m_path, &error))
        return failure(SettingsFileResult::Status::ReadFailed, error);

    // The file being replaced decides on the encoding and on keeping a copy of it.
    const IniFileState replaced = current.fileState();
    const bool changedByOthers = !current.sameContent(m_asRead);
    IniDocument toWrite = changedByOthers ? std::move(current) : changed;
    if (changedByOthers)
        IniMerge::applyChanges(m_asRead, changed, toWrite, m_options.wholeSections);
    toWrite.setFileState(replaced);
    IniSaveReport report;
    if (!toWrite.save(m_path, &error, &report)) {
        return failure(SettingsFileResult::Status::WriteFailed,
                       SettingsTexts::UnableToWrite(m_path), error);
    }
    m_asRead = changed;
    m_asRead.setFileState({report.written, 0});
    m_hasRead = true;
    return {SettingsFileResult::Status::Ok, {}, {}, noticeOf(report, m_path)};
}
