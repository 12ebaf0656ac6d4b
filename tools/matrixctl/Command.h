#pragma once

#include "ConnectionTarget.h"
#include "DesktopSettings.h"

#include "shell/settings/AppSettings.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class Output;
class Session;
struct Environment;
struct SwitcherSize;

/// What a command is given: its arguments and options, where to write, and the way to the
/// switcher and to the desktop program's settings.
class CommandContext
{
public:
    CommandContext(Environment &env, Output &out, const QCommandLineParser &options,
                   const QString &command, const QStringList &arguments);
    ~CommandContext();

    Environment &env() const { return m_env; }
    Output &out() const { return m_out; }
    const QStringList &arguments() const { return m_arguments; }
    QString argument(int index) const { return m_arguments.value(index); }
    bool isSet(const QString &option) const { return m_options.isSet(option); }
    QString value(const QString &option) const { return m_options.value(option); }
    bool yes() const;

    /// Settings.ini of the desktop program, read once (defaults when it is missing); null,
    /// with the failure written and its exit code in `exitCode`, when it cannot be read.
    const AppSettings *desktop(int &exitCode);
    const IniDocument *desktopIni(int &exitCode);
    /// The same file, for writing what this command changes.
    SharedIniFile &desktopFile() { return m_desktop.file(); }
    QString settingsPath() const { return m_desktop.path(); }

    /// The switcher of the command line, or of the desktop program's settings.
    std::optional<ConnectionTarget> target(int &exitCode);
    /// A session on that switcher with the link open; nothing, with the failure written and
    /// its exit code in `exitCode`, when it cannot be opened.
    std::unique_ptr<Session> connect(int &exitCode);
    /// The same, once the switcher has said its size, which is written to `size`.
    std::unique_ptr<Session> connectSized(int &exitCode, SwitcherSize &size);

    /// A usage error of this command: the text, a pointer to its help, exit code 2.
    int usage(const QString &text) const;

private:
    /// The reason the desktop program's settings cannot be read, as a failure of the command.
    int failToRead();

    Environment &m_env;
    Output &m_out;
    const QCommandLineParser &m_options;
    QString m_command;
    QStringList m_arguments;
    DesktopSettings m_desktop;
};

/// One command of the table.
struct CommandEntry
{
    QString name;    ///< "route", "preset apply"
    QString syntax;  ///< its arguments, "IN OUT..."
    QString summary; ///< one line for the command list
    QString details; ///< more for its own --help
    QStringList options;
    int minArguments = 0;
    int maxArguments = 0; ///< -1: any number
    int (*run)(CommandContext &context) = nullptr;
};

/// Parses a port number argument; nothing for text that is not a number from 1.
std::optional<int> PortNumber(const QString &text);
