#include "Command.h"

#include "ExitCodes.h"
#include "Matrixctl.h"
#include "Output.h"
#include "Session.h"
#include "shell/devicestatus/SwitcherQueries.h"

CommandContext::CommandContext(Environment &env, Output &out, const QCommandLineParser &options,
                               const QString &command, const QStringList &arguments)
    : m_env(env), m_out(out), m_options(options), m_command(command), m_arguments(arguments),
      m_desktop(env.settings)
{
}

CommandContext::~CommandContext() = default;

bool CommandContext::yes() const
{
    return m_options.isSet(QStringLiteral("yes"));
}

int CommandContext::failToRead()
{
    return m_out.fail(LinkFailures::BadInput, m_desktop.error());
}

const AppSettings *CommandContext::desktop(int &exitCode)
{
    const AppSettings *settings = m_desktop.values();
    if (!settings)
        exitCode = failToRead();
    return settings;
}

const IniDocument *CommandContext::desktopIni(int &exitCode)
{
    const IniDocument *document = m_desktop.document();
    if (!document)
        exitCode = failToRead();
    return document;
}

std::optional<ConnectionTarget> CommandContext::target(int &exitCode)
{
    const ConnectionOptions options{
        value(QStringLiteral("port")), value(QStringLiteral("host")), {}};
    Connection::Unresolved unresolved;
    std::optional<ConnectionTarget> chosen = Connection::Resolve(options, m_desktop, &unresolved);
    if (!chosen)
        exitCode = m_out.fail(unresolved.exitCode, unresolved.text);
    return chosen;
}

std::unique_ptr<Session> CommandContext::connect(int &exitCode)
{
    const std::optional<ConnectionTarget> chosen = target(exitCode);
    if (!chosen)
        return nullptr;
    auto session = std::make_unique<Session>(m_env, *chosen);
    if (!session->open()) {
        exitCode = session->report(m_out, LinkFailures::CannotOpen);
        return nullptr;
    }
    return session;
}

std::unique_ptr<Session> CommandContext::connectSized(int &exitCode, SwitcherSize &size)
{
    std::unique_ptr<Session> session = connect(exitCode);
    if (!session)
        return nullptr;
    const std::optional<SwitcherSize> read = ReadSize(session->gate());
    if (!read) {
        exitCode = session->report(m_out);
        return nullptr;
    }
    size = *read;
    return session;
}

int CommandContext::usage(const QString &text) const
{
    return m_out.fail(LinkFailures::Usage, text,
                      QStringLiteral("matrixctl ") + m_command + QStringLiteral(" --help"));
}

std::optional<int> PortNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 1)
        return std::nullopt;
    return value;
}
