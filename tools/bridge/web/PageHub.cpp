#include "PageHub.h"

#include "VideohubBridge.h"

#include "shell/presets/PresetRouting.h"
#include "shell/settings/IniDocument.h"
#include "shell/settings/SettingsStore.h"

#include <QPointer>

namespace Bridge::Web {

namespace {

/// "Output2", as the desktop program names the outputs.
QStringList Names(const std::vector<int> &outputs)
{
    QStringList names;
    for (int output : outputs)
        names << VideohubBridge::ShortLabel(Videohub::PortKind::Output, output);
    return names;
}

} // namespace

PageHub::PageHub(VideohubBridge &bridge, QString settingsPath, QObject *parent)
    : QObject(parent), m_bridge(bridge), m_settingsPath(std::move(settingsPath))
{
    reloadPresets();
    m_shown = stateMessage();
    connect(&m_bridge, &VideohubBridge::stateChanged, this, &PageHub::pushState);
}

PageHub::~PageHub() = default;

QByteArray PageHub::stateMessage() const
{
    return StateMessage(m_bridge.state(), m_presets);
}

PageHub::PageId PageHub::addPage(PageChannel &channel)
{
    const PageId id = m_nextPage++;
    m_pages.emplace(id, Page{&channel, 0});
    emit logLine(QStringLiteral("web page ") + channel.peer() + QStringLiteral(" opened (") +
                 QString::number(m_pages.size()) + QStringLiteral(" open)"));
    // The desktop program may have changed the presets since.
    reloadPresets();
    pushState();
    channel.send(m_shown);
    return id;
}

void PageHub::removePage(PageId page)
{
    const auto it = m_pages.find(page);
    if (it == m_pages.end())
        return;
    const QString peer = it->second.channel->peer();
    m_pages.erase(it);
    emit logLine(QStringLiteral("web page ") + peer + QStringLiteral(" closed (") +
                 QString::number(m_pages.size()) + QStringLiteral(" open)"));
}

void PageHub::send(PageId page, const QByteArray &message)
{
    if (const auto it = m_pages.find(page); it != m_pages.end())
        it->second.channel->send(message);
}

void PageHub::pushState()
{
    QByteArray state = stateMessage();
    if (state == m_shown)
        return;
    m_shown = std::move(state);
    for (const auto &[id, page] : m_pages)
        page.channel->send(m_shown);
}

void PageHub::reloadPresets()
{
    IniDocument ini;
    QString error;
    if (!ini.load(m_settingsPath, &error)) {
        emit logLine(QStringLiteral("presets not read: ") + error);
        return;
    }
    m_presets = PresetViews(SettingsStore::read(ini).presets.mid(0, PresetCount));
}

void PageHub::receive(PageId page, QByteArrayView message)
{
    const auto it = m_pages.find(page);
    if (it == m_pages.end())
        return;
    const PageCommand command = ParsePageCommand(message);
    if (command.kind == PageCommand::Kind::Invalid) {
        send(page, ErrorMessage(command.id, command.error));
        return;
    }
    if (it->second.waiting >= MaxWaiting) {
        send(page, ErrorMessage(command.id, QStringLiteral("too many commands waiting (") +
                                                QString::number(MaxWaiting) +
                                                QStringLiteral("); try again when they are done")));
        return;
    }
    run(page, command);
}

void PageHub::run(PageId page, const PageCommand &command)
{
    const Videohub::PortCounts ports = m_bridge.ports();
    if (!m_bridge.online()) {
        send(page, DoneMessage(command.id, QStringLiteral("the switcher is not reached; "
                                                          "nothing was changed")));
        return;
    }
    if (command.kind == PageCommand::Kind::Route) {
        if (command.output > ports.outputs || command.input > ports.inputs) {
            send(page,
                 ErrorMessage(command.id,
                              QStringLiteral("the switcher has ") + QString::number(ports.inputs) +
                                  QStringLiteral(" inputs and ") + QString::number(ports.outputs) +
                                  QStringLiteral(" outputs")));
            return;
        }
        queue(page, command.id, {{command.output, command.input}}, {});
        return;
    }

    // The preset as stored now: the desktop program may have changed it since.
    reloadPresets();
    pushState();
    const PresetView preset = m_presets.value(command.preset - 1);
    std::vector<Videohub::Route> routes;
    std::vector<int> skipped;
    for (int output = 1; output <= int(preset.routing.size()) && output <= ports.outputs;
         ++output) {
        const int input = preset.routing[output - 1];
        if (input >= 1 && input <= ports.inputs)
            routes.push_back({output, input});
        else
            skipped.push_back(output);
    }
    const QString skippedText =
        skipped.empty() ? QString() : SkippedOutputsText(preset.name, Names(skipped));
    if (routes.empty()) {
        send(page, DoneMessage(command.id, skippedText));
        return;
    }
    queue(page, command.id, std::move(routes), skippedText);
}

void PageHub::queue(PageId page, std::optional<qint64> id, std::vector<Videohub::Route> routes,
                    QString skipped)
{
    ++m_pages[page].waiting;
    const bool queued =
        m_bridge.queueRoutes(std::move(routes), [self = QPointer<PageHub>(this), page, id,
                                                 skipped](const std::vector<int> &notApplied) {
            if (!self)
                return;
            const auto it = self->m_pages.find(page);
            if (it == self->m_pages.end())
                return;
            --it->second.waiting;
            QString failure = skipped;
            if (!notApplied.empty())
                failure = QStringLiteral("the switcher did not take the change of ") +
                          Names(notApplied).join(QStringLiteral(", ")) +
                          (skipped.isEmpty() ? QString() : QStringLiteral("; ") + skipped);
            self->send(page, DoneMessage(id, failure));
        });
    if (!queued) {
        --m_pages[page].waiting;
        send(page, DoneMessage(id, QStringLiteral("the switcher is not reached; nothing was "
                                                  "changed")));
    }
}

} // namespace Bridge::Web
