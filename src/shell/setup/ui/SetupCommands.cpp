#include "shell/setup/ui/SetupCommands.h"

#include "shell/ShellContext.h"
#include "shell/routing/RoutingController.h"
#include "shell/setup/SetupFile.h"
#include "shell/setup/SetupTransfer.h"
#include "shell/setup/ui/SetupDialogs.h"
#include "ui/Dialogs.h"

#include <QFileInfo>
#include <QSaveFile>

SetupCommands::SetupCommands(ShellContext &context, SetupTransfer &transfer,
                             RoutingController &routing, Dialogs &dialogs, QWidget &window,
                             std::function<void()> saveSettings, QObject *parent)
    : QObject(parent), m_context(context), m_transfer(transfer), m_routing(routing),
      m_dialogs(dialogs), m_window(window), m_saveSettings(std::move(saveSettings))
{
}

void SetupCommands::exportSetup()
{
    SetupExportDialog options(&m_window);
    if (m_dialogs.showModal(&options) != QDialog::Accepted)
        return;
    const QString path = m_dialogs.saveFile(&m_window, QLatin1String(SetupFile::Filter));
    if (path.isEmpty())
        return;
    Setup setup = m_transfer.localSetup();
    if (!m_transfer.readRouting(setup) &&
        !m_dialogs.confirm(&m_window, QStringLiteral("The routing could not be read from the "
                                                     "switcher. Export the setup without it?")))
        return;
    if (options.withUserEdid() && !m_transfer.readUserEdid(setup)) {
        m_dialogs.error(&m_window, QStringLiteral("The user EDID memories could not be read "
                                                  "from the switcher. Nothing was exported."));
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(SetupFile::Write(setup)) < 0 ||
        !file.commit()) {
        m_dialogs.error(&m_window, QStringLiteral("Unable to write to ") + path);
        return;
    }
    m_context.ShowStatus(StatusPanel::Hint,
                         QStringLiteral("Setup exported to ") + QFileInfo(path).fileName());
}

void SetupCommands::importSetup()
{
    const QString path = m_dialogs.openFile(&m_window, QLatin1String(SetupFile::Filter));
    if (path.isEmpty())
        return;
    const SetupFile::Parsed parsed = SetupFile::Read(path);
    if (!parsed.setup) {
        m_dialogs.error(&m_window, SetupFile::ProblemText(path, parsed));
        return;
    }
    const Setup &wanted = *parsed.setup;
    Setup current = m_transfer.localSetup();
    // What the switcher has now is read for the comparison; what cannot be read is shown as
    // not known and set anyway.
    if (!wanted.routing.isEmpty())
        m_transfer.readRouting(current);
    if (wanted.userEdid)
        m_transfer.readUserEdid(current);
    std::vector<SetupStep> steps = m_transfer.changes(current, wanted);
    if (steps.empty()) {
        m_dialogs.information(&m_window, QStringLiteral("The setup in ") + path +
                                             QStringLiteral(" is the one in use: nothing to "
                                                            "change."));
        return;
    }
    QStringList texts;
    for (const SetupStep &step : steps)
        texts.append(step.text);
    SetupImportDialog preview(texts, &m_window);
    if (m_dialogs.showModal(&preview) != QDialog::Accepted)
        return;
    apply(steps, path);
}

void SetupCommands::apply(std::vector<SetupStep> &steps, const QString &path)
{
    std::size_t applied = 0;
    {
        SetupProgressDialog progress(int(steps.size()), &m_window);
        progress.show();
        const RoutingController::Batch action(m_routing);
        for (; applied < steps.size(); ++applied) {
            progress.showStep(int(applied), steps[applied].text);
            if (!steps[applied].apply())
                break;
        }
        progress.showStep(int(applied), QString());
    }
    if (applied == steps.size()) {
        m_saveSettings();
        m_context.ShowStatus(StatusPanel::Hint,
                             QStringLiteral("Setup imported from ") + QFileInfo(path).fileName());
        return;
    }
    const QString stopped = QStringLiteral("The import stopped: \"") + steps[applied].text +
                            QStringLiteral("\" could not be made.");
    if (applied == 0) {
        m_dialogs.error(&m_window, stopped + QStringLiteral(" Nothing was changed."));
        return;
    }
    QStringList made;
    for (std::size_t i = 0; i < applied; ++i)
        made.append(steps[i].text);
    if (m_dialogs.confirm(&m_window, stopped + QStringLiteral("\nThese changes were made:\n") +
                                         made.join(QLatin1Char('\n')) +
                                         QStringLiteral("\n\nUndo them?")))
        undo(steps, applied);
    m_saveSettings();
}

void SetupCommands::undo(const std::vector<SetupStep> &steps, std::size_t applied)
{
    QStringList kept;
    const RoutingController::Batch action(m_routing);
    for (std::size_t i = applied; i-- > 0;) {
        if (!steps[i].undo || !steps[i].undo())
            kept.prepend(steps[i].text);
    }
    if (!kept.isEmpty())
        m_dialogs.error(&m_window, QStringLiteral("These changes could not be undone:\n") +
                                       kept.join(QLatin1Char('\n')));
}
