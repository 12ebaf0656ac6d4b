#pragma once

#include <QString>

class CommandContext;

/// Whether an operation that cannot be undone may go on: --yes says so; otherwise a person
/// at a terminal types `answer`. Without a terminal and without --yes nothing waits: the
/// operation is refused with a usage error (written here, `exitCode` 2).
bool Confirmed(CommandContext &context, const QString &question, const QString &answer,
               int &exitCode);
