#pragma once

#include "Target.h"

#include "shell/settings/AppSettings.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class IniDocument;
class Output;
class Session;
struct Environment;

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

    /// Settings.ini of the desktop program, read once (defaults when it is missing).
    const AppSettings &desktop();
    const IniDocument &desktopIni();
    QString settingsPath() const;

    /// The switcher of the command line, or of the desktop program's settings.
    std::optional<Target> target(int &exitCode);
    /// A session on that switcher with the link open; nothing, with the failure written and
    /// its exit code in `exitCode`, when it cannot be opened.
    std::unique_ptr<Session> connect(int &exitCode);

    /// A usage error of this command: the text, a pointer to its help, exit code 2.
    int usage(const QString &text) const;

private:
    void readDesktop();

    Environment &m_env;
    Output &m_out;
    const QCommandLineParser &m_options;
    QString m_command;
    QStringList m_arguments;
    std::unique_ptr<IniDocument> m_ini;
    AppSettings m_desktop;
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
