// The control page's server on real sockets, with the bridge's core on the virtual clock and
// the simulated switcher behind the fake serial port: its HTTP routes, the login, and the
// WebSocket messages, malformed and oversized ones included.
#include "BridgeRig.h"

#include "LoginThrottle.h"
#include "PageHub.h"
#include "WebAccess.h"
#include "WebServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>

using namespace Bridge::Web;
using namespace std::chrono_literals;

namespace {

constexpr quint16 Port = 8080;
const QString OpenAddress = QStringLiteral("127.0.0.63");
const QString TokenAddress = QStringLiteral("127.0.0.64");
const QByteArray Token = "the-token-of-this-test";

/// One HTTP exchange as the server answered it.
struct Answer
{
    int status = 0;
    QByteArray head;
    QByteArray body;

    QByteArray field(const QByteArray &name) const
    {
        for (const QByteArray &line : head.split('\n')) {
            if (line.toLower().startsWith(name.toLower() + ": "))
                return line.mid(name.size() + 2).trimmed();
        }
        return {};
    }
};

/// The page's server in front of the core, on `address`:8080, with or without a token.
struct WebRig : BridgeRig
{
    explicit WebRig(const QString &address, const QByteArray &token = {})
        : address(address), access(token, Port)
    {
        QVERIFY(server.listen(QHostAddress(address), Port));
        QObject::connect(&server, &WebServer::logLine, &server,
                         [this](const QString &line) { log << line; });
    }

    /// Sends `request` and waits for the whole answer (the server closes every connection).
    Answer exchange(const QByteArray &request, bool advanceClock = false)
    {
        QTcpSocket socket;
        socket.connectToHost(address, Port);
        socket.write(request);
        QByteArray bytes;
        waitFor(
            [&] {
                if (advanceClock)
                    advance(100ms);
                bytes += socket.readAll();
                return socket.state() == QAbstractSocket::UnconnectedState;
            },
            10000);
        bytes += socket.readAll();
        Answer answer;
        const qsizetype end = bytes.indexOf("\r\n\r\n");
        answer.head = bytes.first(std::max<qsizetype>(end, 0));
        answer.body = bytes.mid(end + 4);
        answer.status = bytes.mid(9, 3).toInt();
        return answer;
    }
    QByteArray host() const { return "Host: " + address.toLatin1() + ":8080\r\n"; }
    QByteArray origin() const { return "Origin: http://" + address.toLatin1() + ":8080\r\n"; }
    QByteArray get(const QByteArray &path, const QByteArray &fields = {}) const
    {
        return "GET " + path + " HTTP/1.1\r\n" + host() + fields + "\r\n";
    }
    QByteArray login(const QByteArray &token) const
    {
        const QByteArray body = "token=" + token.toPercentEncoding();
        return "POST /login HTTP/1.1\r\n" + host() + origin() +
               "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
               QByteArray::number(body.size()) + "\r\n\r\n" + body;
    }
    QByteArray upgrade(const QByteArray &fields) const
    {
        return get("/ws", "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                          "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                          "Sec-WebSocket-Version: 13\r\n" +
                              fields);
    }
    /// The status line the server answers an upgrade with (101 keeps the socket open).
    QByteArray upgradeStatus(const QByteArray &fields)
    {
        QTcpSocket socket;
        socket.connectToHost(address, Port);
        socket.write(upgrade(fields));
        QByteArray bytes;
        waitFor([&] {
            bytes += socket.readAll();
            return bytes.contains("\r\n") || socket.state() == QAbstractSocket::UnconnectedState;
        });
        return bytes.left(bytes.indexOf("\r\n"));
    }

    QString address;
    WebAccess access;
    LoginThrottle throttle;
    PageHub hub{bridge, settingsPath()};
    WebServer server{hub, access, throttle, timers};
};

/// A page's WebSocket: the messages it receives, parsed.
struct PageClient
{
    explicit PageClient(const WebRig &rig)
        : socket(QStringLiteral("http://") + rig.address + ":8080")
    {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, &socket,
                         [this](const QString &text) {
                             messages << QJsonDocument::fromJson(text.toUtf8()).object();
                         });
        socket.open(QUrl(QStringLiteral("ws://") + rig.address + QStringLiteral(":8080/ws")));
    }
    /// Sends `text` and waits for the next message that is not the state.
    QJsonObject ask(const QByteArray &text)
    {
        const qsizetype before = messages.size();
        socket.sendTextMessage(QString::fromUtf8(text));
        QJsonObject answer;
        BridgeRig::waitFor([&] {
            for (qsizetype i = before; i < messages.size(); ++i) {
                if (messages[i][QStringLiteral("type")] != QLatin1String("state")) {
                    answer = messages[i];
                    return true;
                }
            }
            return false;
        });
        return answer;
    }

    QWebSocket socket;
    QList<QJsonObject> messages;
};

} // namespace

class tst_WebPage : public QObject
{
    Q_OBJECT

private slots:
    void routes_data();
    void routes();
    void login();
    void slowRequestTimesOut();
    void upgradeChecks();
    void webSocketMessages();
};

void tst_WebPage::routes_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("body"); // a piece of it
    const QByteArray host = "Host: 127.0.0.63:8080\r\n";
    const auto get = [&](const QByteArray &path, const QByteArray &fields = {}) {
        return "GET " + path + " HTTP/1.1\r\n" + host + fields + "\r\n";
    };
    QTest::newRow("the page") << get("/") << 200 << QByteArray("text/html; charset=utf-8")
                              << QByteArray("<div id=\"grid\"");
    QTest::newRow("its script") << get("/app.js?v=1") << 200
                                << QByteArray("text/javascript; charset=utf-8")
                                << QByteArray("new WebSocket(");
    QTest::newRow("its style") << get("/style.css") << 200 << QByteArray("text/css; charset=utf-8")
                               << QByteArray(".cell");
    QTest::newRow("nothing else") << get("/etc/passwd") << 404 << QByteArray() << QByteArray();
    QTest::newRow("no login form without a token")
        << get("/login") << 404 << QByteArray() << QByteArray();
    QTest::newRow("POST") << "POST / HTTP/1.1\r\n" + host + "Content-Length: 0\r\n\r\n"
                          << 405 << QByteArray() << QByteArray("Only GET is served here.");
    QTest::newRow("another site's name") << QByteArray("GET / HTTP/1.1\r\nHost: evil:8080\r\n\r\n")
                                         << 403 << QByteArray() << QByteArray("localhost only");
    QTest::newRow("not HTTP") << QByteArray("HELLO\r\n\r\n") << 400 << QByteArray()
                              << QByteArray("Not a request: not an HTTP/1.x request line.");
    QTest::newRow("head too large")
        << "GET / HTTP/1.1\r\n" + host + "X: " + QByteArray(MaxHeadBytes, 'x') << 431
        << QByteArray() << QByteArray();
    QTest::newRow("socket path without an upgrade")
        << get("/ws", "Origin: http://127.0.0.63:8080\r\n") << 400 << QByteArray()
        << QByteArray("WebSocket only.");
}

void tst_WebPage::routes()
{
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, body);
    WebRig rig(OpenAddress);
    const Answer answer = rig.exchange(request);
    QCOMPARE(answer.status, status);
    if (!type.isEmpty())
        QCOMPARE(answer.field("Content-Type"), type);
    QVERIFY2(answer.body.contains(body), answer.body.constData());
    QCOMPARE(answer.field("Content-Length").toInt(), answer.body.size());
    QCOMPARE(answer.field("Connection"), QByteArray("close"));
    QCOMPARE(answer.field("Cache-Control"), QByteArray("no-store"));
    QCOMPARE(answer.field("X-Content-Type-Options"), QByteArray("nosniff"));
    QVERIFY(answer.field("Content-Security-Policy").contains("frame-ancestors 'none'"));
}

void tst_WebPage::login()
{
    WebRig rig(TokenAddress, Token);
    for (const char *path : {"/", "/app.js", "/style.css", "/ws", "/nothing"})
        QCOMPARE(rig.exchange(rig.get(path)).status, 401);
    const Answer form = rig.exchange(rig.get("/"));
    QVERIFY(form.body.contains("<form method=\"post\" action=\"/login\">"));
    QVERIFY(form.field("Content-Security-Policy").startsWith("default-src 'none'"));

    // A wrong token is answered a second later; meanwhile that address is refused.
    QTcpSocket wrong;
    wrong.connectToHost(TokenAddress, Port);
    wrong.write(rig.login("guess-guess-guess"));
    QVERIFY(rig.waitFor(
        [&] { return rig.throttle.holding(QHostAddress(QStringLiteral("127.0.0.1"))); }));
    const Answer refused = rig.exchange(rig.login(Token));
    QCOMPARE(refused.status, 429);
    QCOMPARE(refused.field("Retry-After"), QByteArray("30"));
    rig.advance(900ms);
    QCOMPARE(wrong.bytesAvailable(), 0);
    rig.advance(100ms);
    QVERIFY(rig.waitFor([&] { return wrong.bytesAvailable() > 0; }));
    const QByteArray held = wrong.readAll();
    QVERIFY2(held.startsWith("HTTP/1.1 401 Unauthorized\r\n"), held.constData());
    QVERIFY(held.contains("That token is not right."));
    QCOMPARE(rig.log.filter(QStringLiteral("wrong token from")),
             QStringList{"web: wrong token from 127.0.0.1 (1 in a row); answered after 1 s"});

    const Answer admitted = rig.exchange(rig.login(Token));
    QCOMPARE(admitted.status, 303);
    QCOMPARE(admitted.field("Location"), QByteArray("/"));
    const QByteArray cookie = admitted.field("Set-Cookie");
    QVERIFY2(cookie.endsWith("; HttpOnly; SameSite=Strict; Path=/"), cookie.constData());
    QVERIFY(!cookie.contains(Token));
    const QByteArray session = "Cookie: " + cookie.left(cookie.indexOf(';')) + "\r\n";
    QCOMPARE(rig.exchange(rig.get("/", session)).status, 200);
    QCOMPARE(rig.exchange(rig.get("/app.js", session)).status, 200);

    const QByteArray post = "POST /login HTTP/1.1\r\n" + rig.host();
    QCOMPARE(rig.exchange(post + "\r\n").status, 411);
    QCOMPARE(rig.exchange(post + "Content-Length: 5000\r\n\r\n").status, 413);
    QCOMPARE(rig.exchange(post + "Transfer-Encoding: chunked\r\n\r\n").status, 501);
    QCOMPARE(rig.exchange(post + "Origin: http://evil\r\nContent-Length: 0\r\n\r\n").status, 403);
}

void tst_WebPage::slowRequestTimesOut()
{
    WebRig rig(OpenAddress);
    const Answer answer = rig.exchange("GET / HTTP/1.1\r\n", true);
    QCOMPARE(answer.status, 408);
}

void tst_WebPage::upgradeChecks()
{
    WebRig rig(TokenAddress, Token);
    const QByteArray cookie = rig.exchange(rig.login(Token)).field("Set-Cookie");
    const QByteArray session = "Cookie: " + cookie.left(cookie.indexOf(';')) + "\r\n";
    QCOMPARE(rig.upgradeStatus(rig.origin()), QByteArray("HTTP/1.1 401 Unauthorized"));
    QCOMPARE(rig.upgradeStatus(session + "Cookie: matrix_session=forged\r\n" + rig.origin()),
             QByteArray("HTTP/1.1 101 Switching Protocols"));
    QCOMPARE(rig.upgradeStatus("Cookie: matrix_session=forged\r\n" + rig.origin()),
             QByteArray("HTTP/1.1 401 Unauthorized"));
    QCOMPARE(rig.upgradeStatus(session + "Origin: http://evil.example\r\n"),
             QByteArray("HTTP/1.1 403 Forbidden"));
    QCOMPARE(rig.upgradeStatus(session), QByteArray("HTTP/1.1 403 Forbidden"));
    QCOMPARE(rig.log.filter(QStringLiteral("refused")).size(), 4);
    const QString evil = rig.log.filter(QStringLiteral("evil")).value(0);
    QVERIFY2(evil.startsWith(QStringLiteral("web: WebSocket from 127.0.0.1:")) &&
                 evil.endsWith(QStringLiteral(" refused: Origin \"http://evil.example\" is not "
                                              "this page's")),
             qPrintable(evil));
}

void tst_WebPage::webSocketMessages()
{
    WebRig rig(OpenAddress);
    QVERIFY(rig.start());
    PageClient page(rig);
    QVERIFY(rig.waitFor([&] { return !page.messages.isEmpty(); }));
    QCOMPARE(page.messages.first()[QStringLiteral("type")].toString(), QStringLiteral("state"));
    QCOMPARE(rig.server.pageCount(), std::size_t(1));

    const auto error = [](const QJsonObject &answer) {
        return answer[QStringLiteral("type")].toString() + QStringLiteral(": ") +
               answer[QStringLiteral("message")].toString();
    };
    QCOMPARE(error(page.ask("{\"type\":")),
             QStringLiteral("error: not JSON: unterminated object at byte 8"));
    QCOMPARE(error(page.ask(R"({"type":"shutdown","id":1})")),
             QStringLiteral("error: unknown command \"shutdown\""));
    QCOMPARE(error(page.ask(QByteArray(2000, ' '))),
             QStringLiteral("error: message too long: 2000 bytes, at most 1024"));
    const QJsonObject done = page.ask(R"({"type":"route","output":4,"input":1,"id":9})");
    QCOMPARE(done, (QJsonObject{{"type", "done"}, {"ok", true}, {"id", 9}}));
    QCOMPARE(rig.simRouting(), QStringLiteral("1,2,3,1"));

    page.socket.sendBinaryMessage("x");
    QVERIFY(rig.waitFor([&] {
        return page.messages.last()[QStringLiteral("message")] ==
               QLatin1String("binary messages are not read; send JSON as text");
    }));
    QCOMPARE(page.socket.state(), QAbstractSocket::ConnectedState);

    // Beyond what a page may send at all, the connection is closed with a reason.
    page.socket.sendTextMessage(QString(int(WebServer::MaxMessageBytes) + 1, QLatin1Char('x')));
    QVERIFY(rig.waitFor([&] { return page.socket.state() == QAbstractSocket::UnconnectedState; }));
    QCOMPARE(page.socket.closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);
    QVERIFY(rig.waitFor([&] { return rig.server.pageCount() == 0; }));
    QCOMPARE(rig.hub.pageCount(), std::size_t(0));
}

QTEST_GUILESS_MAIN(tst_WebPage)
#include "tst_webpage.moc"
