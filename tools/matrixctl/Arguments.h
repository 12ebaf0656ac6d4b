#pragma once

#include "Command.h"

#include <QCommandLineParser>
#include <QStringList>

#include <memory>
#include <variant>

class Output;

/// A command line taken apart: the command, its arguments after the command words, and the
/// parsed options.
struct Invocation
{
    const CommandEntry *command = nullptr;
    QStringList arguments;
    std::unique_ptr<QCommandLineParser> options;
};

/// Parses the command line (without the program name). Help, the version and usage errors
/// are written here and give their exit code instead of an invocation.
std::variant<Invocation, int> ParseArguments(const QStringList &arguments, Output &out);

/// The help of matrixctl and of one command.
QString ProgramHelp();
QString CommandHelp(const CommandEntry &command);
