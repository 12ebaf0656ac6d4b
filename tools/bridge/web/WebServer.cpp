#include "WebServer.h"

#include "HttpRequestHead.h"
#include "HttpResponse.h"
#include "LoginThrottle.h"
#include "WebAccess.h"
#include "shell/Timers.h"

#include <QFile>
#include <QPointer>
#include <QTcpSocket>
#include <QWebSocket>

namespace Bridge::Web {

namespace {

QString Seconds(std::chrono::milliseconds delay)
{
    return QString::number(double(delay.count()) / 1000.0) + QStringLiteral(" s");
}

template <typename Socket> QString PeerOf(const Socket &socket)
{
    return socket.peerAddress().toString() + QLatin1Char(':') + QString::number(socket.peerPort());
}

/// A file of the page from the program's resources.
HttpResponse Resource(const QString &name, const QByteArray &type)
{
    QFile file(QStringLiteral(":/web/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return HttpResponse::Text(404, "No such page.");
    HttpResponse response;
    response.contentType = type;
    response.body = file.readAll();
    return response;
}

/// The few texts the login page shows, safe inside HTML.
QByteArray Escaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

/// One HTTP connection until it is answered or handed to the WebSocket server.
class HttpConnection final : public QObject
{
public:
    enum class Stage { Reading, Held, Answered };

    HttpConnection(QTcpSocket *socket, QObject *parent) : QObject(parent), socket(socket)
    {
        socket->setParent(this);
    }

    QTcpSocket *socket;
    Stage stage = Stage::Reading;
    /// The head of a login request whose body is still arriving.
    qsizetype bodyStart = -1;
    qint64 bodyLength = 0;
};

/// One open page: its WebSocket as the hub's channel.
class PageSocket final : public QObject, public PageChannel
{
public:
    PageSocket(QWebSocket *socket, QObject *parent)
        : QObject(parent), socket(socket), m_peer(PeerOf(*socket))
    {
        socket->setParent(this);
    }

    void send(const QByteArray &message) override
    {
        if (closing)
            return;
        socket->sendTextMessage(QString::fromUtf8(message));
        if (socket->bytesToWrite() > WebServer::MaxUnsentBytes) {
            closing = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    socket->close(QWebSocketProtocol::CloseCodePolicyViolated,
                                  QStringLiteral("the page does not read what it is sent"));
                },
                Qt::QueuedConnection);
        }
    }
    QString peer() const override { return m_peer; }

    QWebSocket *socket;
    PageHub::PageId id = 0;
    bool closing = false;

private:
    QString m_peer;
};

WebServer::WebServer(PageHub &hub, WebAccess &access, LoginThrottle &throttle, Timers &timers,
                     QObject *parent)
    : QObject(parent), m_hub(hub), m_access(access), m_throttle(throttle), m_timers(timers),
      m_webSockets(QStringLiteral("matrix-bridge"), QWebSocketServer::NonSecureMode)
{
    connect(&m_server, &QTcpServer::pendingConnectionAvailable, this,
            &WebServer::acceptConnections);
    connect(&m_webSockets, &QWebSocketServer::newConnection, this, &WebServer::acceptPages);
}

WebServer::~WebServer()
{
    m_server.close();
    // Pages first: their WebSockets use sockets that the WebSocket server may still own.
    for (const auto &[id, page] : m_pages) {
        m_hub.removePage(id);
        delete page;
    }
}

bool WebServer::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

void WebServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_connections >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_connections;
        socket->setReadBufferSize(MaxHeadBytes + MaxLoginBody);
        auto *connection = new HttpConnection(socket, this);
        connect(connection, &QObject::destroyed, this, [this] { --m_connections; });
        connect(socket, &QTcpSocket::readyRead, connection,
                [this, connection] { readRequest(*connection); });
        connect(socket, &QTcpSocket::disconnected, connection, &QObject::deleteLater);
        if (socket->state() != QAbstractSocket::ConnectedState)
            connection->deleteLater();
        m_timers.after(RequestTimeout, connection, [this, connection] {
            if (connection->stage == HttpConnection::Stage::Reading)
                answer(*connection, HttpResponse::Text(408, "The request took too long."));
        });
        if (socket->bytesAvailable() > 0)
            readRequest(*connection);
    }
}

void WebServer::readRequest(HttpConnection &connection)
{
    if (connection.stage != HttpConnection::Stage::Reading)
        return;
    QTcpSocket &socket = *connection.socket;
    if (connection.bodyStart >= 0) {
        if (socket.bytesAvailable() < connection.bodyStart + connection.bodyLength)
            return;
        socket.skip(connection.bodyStart);
        checkToken(connection, socket.read(connection.bodyLength));
        return;
    }
    // Peeked, not read: an upgrade leaves the head for the WebSocket server to read.
    const ParsedHead parsed = ParseRequestHead(socket.peek(MaxHeadBytes));
    switch (parsed.status) {
    case HeadStatus::Incomplete:
        return;
    case HeadStatus::TooLarge:
        answer(connection, HttpResponse::Text(431, "The request's header is too large."));
        return;
    case HeadStatus::Malformed:
        answer(connection, HttpResponse::Text(400, "Not a request: " + parsed.reason + '.'));
        return;
    case HeadStatus::Complete:
        dispatch(connection, parsed.head);
        return;
    }
}

void WebServer::dispatch(HttpConnection &connection, const HttpRequestHead &head)
{
    const QByteArray path = head.path();
    const bool get = head.method == "GET";
    if (!m_access.hostAllowed(head)) {
        // Another site's name for this machine: a browser led here from that site.
        answer(connection, HttpResponse::Text(403, "This page answers to a loopback address "
                                                   "or localhost only."));
        return;
    }
    if (m_access.loginRequired() && path == "/login") {
        if (head.method == "POST")
            login(connection, head);
        else
            answer(connection, loginPage(401, {}));
        return;
    }
    if (!m_access.admitted(head)) {
        if (path == SocketPath)
            emit logLine(QStringLiteral("web: WebSocket from ") + PeerOf(*connection.socket) +
                         QStringLiteral(" refused: no valid session"));
        answer(connection,
               path == "/" && get ? loginPage(401, {}) : HttpResponse::Text(401, "Log in first."));
        return;
    }
    if (!get) {
        HttpResponse refused = HttpResponse::Text(405, "Only GET is served here.");
        refused.fields.emplace_back("Allow", "GET");
        answer(connection, refused);
        return;
    }
    if (path == SocketPath) {
        upgrade(connection, head);
    } else if (path == "/" || path == "/index.html") {
        answer(connection, Resource(QStringLiteral("index.html"), "text/html; charset=utf-8"));
    } else if (path == "/app.js") {
        answer(connection, Resource(QStringLiteral("app.js"), "text/javascript; charset=utf-8"));
    } else if (path == "/style.css") {
        answer(connection, Resource(QStringLiteral("style.css"), "text/css; charset=utf-8"));
    } else {
        answer(connection, HttpResponse::Text(404, "No such page."));
    }
}

void WebServer::login(HttpConnection &connection, const HttpRequestHead &head)
{
    const QHostAddress peer = connection.socket->peerAddress();
    if (head.fieldCount("origin") > 0 && !m_access.originAllowed(head)) {
        answer(connection, HttpResponse::Text(403, "The login form is not this page's."));
        return;
    }
    if (m_throttle.holding(peer)) {
        emit logLine(QStringLiteral("web: login from ") + peer.toString() +
                     QStringLiteral(" refused: its last wrong token is still being answered"));
        HttpResponse busy = loginPage(429, QStringLiteral("Too many tries. Wait a moment, "
                                                          "then try again."));
        busy.fields.emplace_back("Retry-After", "30");
        answer(connection, busy);
        return;
    }
    if (head.fieldCount("transfer-encoding") > 0) {
        answer(connection, HttpResponse::Text(501, "Send the form with a Content-Length."));
        return;
    }
    bool ok = false;
    const qint64 length = head.field("content-length").toLongLong(&ok, 10);
    if (head.fieldCount("content-length") != 1 || !ok || length < 0) {
        answer(connection, HttpResponse::Text(411, "Send the form with a Content-Length."));
        return;
    }
    if (length > MaxLoginBody) {
        answer(connection, HttpResponse::Text(413, "The form is too large."));
        return;
    }
    connection.bodyStart = head.size;
    connection.bodyLength = length;
    readRequest(connection);
}

void WebServer::checkToken(HttpConnection &connection, const QByteArray &body)
{
    const QHostAddress peer = connection.socket->peerAddress();
    const auto token = FormValue(body, "token");
    if (token && m_access.tokenMatches(*token)) {
        m_throttle.succeeded(peer);
        emit logLine(QStringLiteral("web: ") + peer.toString() + QStringLiteral(" logged in"));
        HttpResponse admitted = HttpResponse::Text(303, "Logged in.");
        admitted.fields.emplace_back("Location", "/");
        admitted.fields.emplace_back("Set-Cookie", m_access.startSession());
        answer(connection, admitted);
        return;
    }
    const std::chrono::milliseconds delay = m_throttle.failed(peer);
    emit logLine(QStringLiteral("web: wrong token from ") + peer.toString() + QStringLiteral(" (") +
                 QString::number(m_throttle.failures(peer)) +
                 QStringLiteral(" in a row); answered after ") + Seconds(delay));
    connection.stage = HttpConnection::Stage::Held;
    // Held on a timer: the event loop goes on serving everyone else meanwhile.
    m_timers.after(delay, this, [this, peer, held = QPointer<HttpConnection>(&connection)] {
        m_throttle.released(peer);
        if (held)
            answer(*held, loginPage(401, QStringLiteral("That token is not right.")));
    });
}

void WebServer::upgrade(HttpConnection &connection, const HttpRequestHead &head)
{
    const QString peer = PeerOf(*connection.socket);
    if (!m_access.originAllowed(head)) {
        emit logLine(QStringLiteral("web: WebSocket from ") + peer +
                     QStringLiteral(" refused: Origin \"") +
                     QString::fromLatin1(head.field("origin").left(200)) +
                     QStringLiteral("\" is not this page's"));
        answer(connection, HttpResponse::Text(403, "Not from this page."));
        return;
    }
    if (!head.field("upgrade").toLower().contains("websocket")) {
        answer(connection, HttpResponse::Text(400, "WebSocket only."));
        return;
    }
    if (m_pages.size() >= std::size_t(MaxPages)) {
        answer(connection, HttpResponse::Text(503, "Too many pages are open."));
        return;
    }
    // From here the WebSocket server reads the head (still unread) and owns the socket: it
    // deletes it when it disconnects.
    QTcpSocket *socket = connection.socket;
    connection.stage = HttpConnection::Stage::Answered;
    socket->disconnect(&connection);
    socket->setParent(&m_webSockets);
    socket->setReadBufferSize(0);
    connection.deleteLater();
    m_webSockets.handleConnection(socket);
}

void WebServer::acceptPages()
{
    while (QWebSocket *socket = m_webSockets.nextPendingConnection()) {
        auto *page = new PageSocket(socket, this);
        socket->setMaxAllowedIncomingFrameSize(MaxMessageBytes);
        socket->setMaxAllowedIncomingMessageSize(MaxMessageBytes);
        if (m_pages.size() >= std::size_t(MaxPages)) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated,
                          QStringLiteral("too many pages are open"));
            page->deleteLater();
            continue;
        }
        page->id = m_hub.addPage(*page);
        m_pages.emplace(page->id, page);
        connect(socket, &QWebSocket::textMessageReceived, page,
                [this, page](const QString &message) {
                    if (!page->closing)
                        m_hub.receive(page->id, message.toUtf8());
                });
        connect(socket, &QWebSocket::binaryMessageReceived, page, [page] {
            page->send(ErrorMessage(std::nullopt, QStringLiteral("binary messages are not "
                                                                 "read; send JSON as text")));
        });
        connect(
            socket, &QWebSocket::disconnected, page, [this, id = page->id] { forgetPage(id); },
            Qt::QueuedConnection);
        if (socket->state() != QAbstractSocket::ConnectedState)
            QMetaObject::invokeMethod(
                this, [this, id = page->id] { forgetPage(id); }, Qt::QueuedConnection);
    }
}

void WebServer::forgetPage(PageHub::PageId id)
{
    const auto it = m_pages.find(id);
    if (it == m_pages.end())
        return;
    PageSocket *page = it->second;
    m_pages.erase(it);
    if (page->closing)
        emit logLine(QStringLiteral("web page ") + page->peer() +
                     QStringLiteral(" closed: it does not read what it is sent"));
    m_hub.removePage(id);
    page->socket->abort();
    page->deleteLater();
}

void WebServer::answer(HttpConnection &connection, const HttpResponse &response)
{
    if (connection.stage == HttpConnection::Stage::Answered)
        return;
    connection.stage = HttpConnection::Stage::Answered;
    connection.socket->write(response.bytes());
    connection.socket->disconnectFromHost();
}

HttpResponse WebServer::loginPage(int status, const QString &message) const
{
    HttpResponse page = Resource(QStringLiteral("login.html"), "text/html; charset=utf-8");
    page.status = status;
    page.body.replace("{{message}}", Escaped(message));
    // The login page stands alone: its style is inline, and it runs no script.
    page.policy = "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'; "
                  "frame-ancestors 'none'; base-uri 'none'";
    return page;
}

} // namespace Bridge::Web
