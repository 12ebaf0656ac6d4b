#include "Command.h"

#include "ExitCodes.h"
#include "Matrixctl.h"
#include "Output.h"
#include "Session.h"

#include "shell/IniDocument.h"
#include "shell/settings/SettingsStore.h"

CommandContext::CommandContext(Environment &env, Output &out, const QCommandLineParser &options,
                               const QString &command, const QStringList &arguments)
    : m_env(env), m_out(out), m_options(options), m_command(command), m_arguments(arguments)
{
}

CommandContext::~CommandContext() = default;

bool CommandContext::yes() const
{
    return m_options.isSet(QStringLiteral("yes"));
}

QString CommandContext::settingsPath() const
{
    return m_env.settings.filePath();
}

void CommandContext::readDesktop()
{
    if (m_ini)
        return;
    m_ini = std::make_unique<IniDocument>();
    m_ini->load(settingsPath());
    m_desktop = SettingsStore::read(*m_ini);
}

const AppSettings &CommandContext::desktop()
{
    readDesktop();
    return m_desktop;
}

const IniDocument &CommandContext::desktopIni()
{
    readDesktop();
    return *m_ini;
}

std::optional<Target> CommandContext::target(int &exitCode)
{
    const QString port = value(QStringLiteral("port"));
    const QString host = value(QStringLiteral("host"));
    // The settings are read only when the command line names no switcher, or to find the
    // device a --host address stands for.
    AppSettings none;
    const AppSettings &settings = port.isEmpty() ? desktop() : none;
    QString error;
    std::optional<Target> chosen = ResolveTarget(port, host, settings, &error);
    if (!chosen)
        exitCode = m_out.fail(LinkFailures::Usage, error);
    return chosen;
}

std::unique_ptr<Session> CommandContext::connect(int &exitCode)
{
    const std::optional<Target> chosen = target(exitCode);
    if (!chosen)
        return nullptr;
    auto session = std::make_unique<Session>(m_env, *chosen);
    if (!session->open()) {
        exitCode = session->report(m_out, LinkFailures::CannotOpen);
        return nullptr;
    }
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
