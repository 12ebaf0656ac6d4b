#pragma once

#include <QStringList>

#include <optional>

/// The controller's command line: -h/--help and -v/--version, besides Qt's own options
/// (-platform, -style, ...), which QApplication takes out of the arguments.
namespace CommandLine {

/// Before the application object exists, so it needs no display: prints the help or the
/// version when asked and returns the exit code. std::nullopt: start the program.
std::optional<int> handleBeforeApplication(int argc, char *argv[]);

/// With the arguments QApplication left (its own options removed): returns the exit code
/// after reporting an unknown option or argument. std::nullopt: all known.
std::optional<int> rejectUnknown(const QStringList &arguments);

} // namespace CommandLine
