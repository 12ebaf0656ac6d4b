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

SharedIniFile::SharedIniFile(const QString &path) : SharedIniFile(path, Options{}) {}

SharedIniFile::SharedIniFile(const QString &path, const Options &options)
    : m_path(path), m_options(options)
{
}

SettingsFileResult SharedIniFile::read()
{
    QString error;
    if (!m_asRead.load(m_path, &error))
        return failure(SettingsFileResult::Status::ReadFailed, error);
    return {};
}

SettingsFileResult SharedIniFile::save(const IniDocument &changed)
{
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
    return {SettingsFileResult::Status::Ok, {}, {}, noticeOf(report, m_path)};
}
