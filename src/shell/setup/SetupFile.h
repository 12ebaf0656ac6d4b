#pragma once

#include "shell/setup/Setup.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

/// The setup file: one JSON document, described in docs/setup-file.md. Reading checks every
/// part before anything is used, so a damaged or foreign file changes nothing.
namespace SetupFile {

inline constexpr const char *Format = "hdmi-matrix-controller setup";
/// The format this program writes and the newest it reads.
inline constexpr int Version = 1;
/// A setup file is a few kilobytes; anything far larger is not one.
inline constexpr qint64 MaxBytes = 1024 * 1024;
/// For the file dialogs.
inline constexpr const char *Filter = "Setup file(*.json)|*.json";

QByteArray Write(const Setup &setup);

/// Why a file could not be read.
enum class Problem {
    None,
    Unreadable, ///< the file could not be opened or is too large
    Foreign,    ///< not a setup file of this program
    Newer,      ///< a setup file of a newer format
    Damaged,    ///< a setup file whose content does not hold together
};

struct Parsed
{
    std::optional<Setup> setup;
    Problem problem = Problem::None;
    /// What is wrong, for the message: "presets[2].name is not a text", the newer version...
    QString detail;
};

Parsed Parse(QByteArrayView bytes);
/// Reads the file at `path` (at most MaxBytes) and parses it.
Parsed Read(const QString &path);
/// The message for the operator when a file could not be read; nothing was changed.
QString ProblemText(const QString &path, const Parsed &parsed);

} // namespace SetupFile
