#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class Dialogs;
class QWidget;
class RoutingController;
class SetupTransfer;
class ShellContext;
struct SetupStep;

/// File > Export setup... and File > Import setup...: the dialogs around SetupTransfer. An
/// import shows what it would change, applies only after OK, with a progress bar, and when
/// a change fails halfway it stops, lists what was applied and offers to undo it.
class SetupCommands : public QObject
{
    Q_OBJECT
public:
    /// `saveSettings` writes Settings.ini after an import.
    SetupCommands(ShellContext &context, SetupTransfer &transfer, RoutingController &routing,
                  Dialogs &dialogs, QWidget &window, std::function<void()> saveSettings,
                  QObject *parent = nullptr);

    void exportSetup();
    void importSetup();

private:
    /// Makes the changes; on a failure asks whether to undo those made.
    void apply(std::vector<SetupStep> &steps, const QString &path);
    void undo(const std::vector<SetupStep> &steps, std::size_t applied);

    ShellContext &m_context;
    SetupTransfer &m_transfer;
    RoutingController &m_routing;
    Dialogs &m_dialogs;
    QWidget &m_window;
    std::function<void()> m_saveSettings;
};
