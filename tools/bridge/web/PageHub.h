#pragma once

#include "PageMessages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace Bridge {
class VideohubBridge;
}

namespace Bridge::Web {

/// Where the hub's messages to one page go: a WebSocket in the program, a recorder in the
/// tests. The channel never calls back into the hub from send().
class PageChannel
{
public:
    virtual ~PageChannel() = default;
    /// One text message.
    virtual void send(const QByteArray &message) = 0;
    /// The peer's address, for the log.
    virtual QString peer() const = 0;
};

/// The control pages' side of the bridge. Every open page is shown the whole state when it
/// opens and after every change, whoever made it. A page's taps (a route, a preset) go
/// through the bridge's queue behind the Videohub clients' changes; the page that asked is
/// told when the switcher has taken them, or why not. The presets are the desktop program's,
/// read from Settings.ini when a page opens and when one is applied. No sockets here.
class PageHub : public QObject
{
    Q_OBJECT
public:
    using PageId = int;
    /// Commands of one page waiting in the queue at most; more are refused until they are
    /// done.
    static constexpr int MaxWaiting = 16;

    PageHub(VideohubBridge &bridge, QString settingsPath, QObject *parent = nullptr);
    ~PageHub() override;

    /// A new page: it is sent the state at once.
    PageId addPage(PageChannel &channel);
    /// One text message from a page.
    void receive(PageId page, QByteArrayView message);
    /// The page has gone; its commands already queued still run.
    void removePage(PageId page);

    std::size_t pageCount() const { return m_pages.size(); }
    /// What a page is shown now.
    QByteArray stateMessage() const;

signals:
    /// One line for the log (no time stamp, no line end).
    void logLine(const QString &text);

private:
    struct Page
    {
        PageChannel *channel = nullptr;
        int waiting = 0;
    };

    void send(PageId page, const QByteArray &message);
    /// Sends the state to every page when it differs from what they were shown.
    void pushState();
    void reloadPresets();
    void run(PageId page, const PageCommand &command);
    /// Queues `routes`; once they have been tried the page is told which were not applied,
    /// and `skipped`: what was left out before.
    void queue(PageId page, std::optional<qint64> id, std::vector<Videohub::Route> routes,
               QString skipped);

    VideohubBridge &m_bridge;
    QString m_settingsPath;
    std::map<PageId, Page> m_pages;
    PageId m_nextPage = 1;
    QList<PresetView> m_presets;
    QByteArray m_shown;
};

} // namespace Bridge::Web
