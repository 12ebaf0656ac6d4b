#pragma once

#include "PageHub.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QWebSocketServer>

#include <chrono>
#include <map>

class Timers;

namespace Bridge::Web {

class HttpConnection;
class LoginThrottle;
class PageSocket;
class WebAccess;
struct HttpRequestHead;
struct HttpResponse;

/// The control page's HTTP side. It reads each request's head itself, so that it decides
/// on every request, the WebSocket upgrade included, before anything is served: a request
/// without a session when one is needed gets 401, an upgrade from another site's page 403.
/// Only then is the socket handed to the WebSocket server. Serves the page from the
/// program's resources, exchanges the posted token for a session cookie, and bounds what a
/// client may cost: connections, head and body sizes, time to send a request, message sizes
/// and unread output.
class WebServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxConnections = 64;
    static constexpr int MaxPages = 32;
    static constexpr qint64 MaxLoginBody = 1024;
    static constexpr std::chrono::milliseconds RequestTimeout{10000};
    /// A page's message or frame beyond this closes its connection (code 1009); shorter ones
    /// beyond the longest command are answered with an error and the page stays.
    static constexpr quint64 MaxMessageBytes = 64 * 1024;
    /// A page that does not read what it is sent is closed beyond this.
    static constexpr qint64 MaxUnsentBytes = 1024 * 1024;
    static constexpr QByteArrayView SocketPath = "/ws";

    WebServer(PageHub &hub, WebAccess &access, LoginThrottle &throttle, Timers &timers,
              QObject *parent = nullptr);
    ~WebServer() override;

    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const { return m_server.errorString(); }
    quint16 port() const { return m_server.serverPort(); }
    std::size_t pageCount() const { return m_pages.size(); }

signals:
    void logLine(const QString &text);

private:
    void acceptConnections();
    void readRequest(HttpConnection &connection);
    void dispatch(HttpConnection &connection, const HttpRequestHead &head);
    void login(HttpConnection &connection, const HttpRequestHead &head);
    void checkToken(HttpConnection &connection, const QByteArray &body);
    void upgrade(HttpConnection &connection, const HttpRequestHead &head);
    void acceptPages();
    void forgetPage(PageHub::PageId id);
    void answer(HttpConnection &connection, const HttpResponse &response);
    /// The login form with `message` above it (plain text).
    HttpResponse loginPage(int status, const QString &message) const;

    PageHub &m_hub;
    WebAccess &m_access;
    LoginThrottle &m_throttle;
    Timers &m_timers;
    QTcpServer m_server;
    QWebSocketServer m_webSockets;
    int m_connections = 0;
    std::map<PageHub::PageId, PageSocket *> m_pages;
};

} // namespace Bridge::Web
