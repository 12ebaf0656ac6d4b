#pragma once

#include "Command.h"

#include <QCommandLineOption>
#include <QList>

#include <vector>

/// Every command, in the order of the command list.
const std::vector<CommandEntry> &Commands();
/// The options every command takes: connection, output, confirmation, help.
QList<QCommandLineOption> GlobalOptions();
/// A command's own option, by name.
QCommandLineOption CommandOption(const QString &name);
/// The options of all commands, each once.
QList<QCommandLineOption> AllCommandOptions();

/// The EDID modes for the help of "edid mode".
QString EdidModeHelp();

// The commands, one file per group.
int RunStatus(CommandContext &context);
int RunRouting(CommandContext &context);
int RunRoute(CommandContext &context);
int RunMonitor(CommandContext &context);
int RunPresetList(CommandContext &context);
int RunPresetApply(CommandContext &context);
int RunPresetSave(CommandContext &context);
int RunTags(CommandContext &context);
int RunEdidRead(CommandContext &context);
int RunEdidWrite(CommandContext &context);
int RunEdidMode(CommandContext &context);
int RunEdidCopy(CommandContext &context);
int RunIr(CommandContext &context);
int RunFirmwareMerge(CommandContext &context);
int RunFirmwareUpload(CommandContext &context);
int RunModuleDiscover(CommandContext &context);
int RunModuleQuery(CommandContext &context);
int RunModuleReset(CommandContext &context);
