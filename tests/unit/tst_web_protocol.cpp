// What the control page's server reads from the network and decides on its own: the page's
// JSON commands, HTTP request heads, cookies and forms, who is admitted, the back-off after
// wrong tokens, the token file and the page's command-line options.
#include "TestFiles.h"

#include "BridgeOptions.h"
#include "HttpRequestHead.h"
#include "LoginThrottle.h"
#include "PageMessages.h"
#include "TokenFile.h"
#include "WebAccess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Bridge::Web;
using namespace std::chrono_literals;

namespace {

/// "route 2<3 #7", "preset 3", or "error: ..." with the id when there is one.
QString Describe(const PageCommand &command)
{
    const QString id = command.id ? QStringLiteral(" #") + QString::number(*command.id) : QString();
    switch (command.kind) {
    case PageCommand::Kind::Route:
        return QStringLiteral("route %1<%2").arg(command.output).arg(command.input) + id;
    case PageCommand::Kind::Preset:
        return QStringLiteral("preset ") + QString::number(command.preset) + id;
    case PageCommand::Kind::Invalid:
        break;
    }
    return QStringLiteral("error: ") + command.error + id;
}

HttpRequestHead Head(const QByteArray &fields)
{
    return ParseRequestHead("GET /ws HTTP/1.1\r\n" + fields + "\r\n").head;
}

} // namespace

class tst_WebProtocol : public QObject
{
    Q_OBJECT

private slots:
    void pageCommands_data();
    void pageCommands();
    void requestHeads_data();
    void requestHeads();
    void cookiesAndForms();
    void hostsAndOrigins_data();
    void hostsAndOrigins();
    void sessions();
    void throttle();
    void tokenFile();
    void options_data();
    void options();
};

void tst_WebProtocol::pageCommands_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("command");
    const auto row = [](const char *name, const QByteArray &message, const QString &command) {
        QTest::newRow(name) << message << command;
    };
    row("route", R"({"type":"route","output":2,"input":3,"id":7})", "route 2<3 #7");
    row("preset, no id", R"({"type":"preset","number":8})", "preset 8");
    row("unknown fields are left alone", R"({"type":"preset","number":1,"x":[1]})", "preset 1");
    row("not JSON", "{\"type\":", "error: not JSON: unterminated object at byte 8");
    row("not an object", "[1,2]", "error: not a JSON object");
    row("empty", "", "error: not JSON: illegal value at byte 0");
    row("unknown command", R"({"type":"reboot","id":4})", "error: unknown command \"reboot\" #4");
    row("no type", R"({"output":1})", "error: \"type\" must be a text: \"route\" or \"preset\"");
    row("output missing", R"({"type":"route","input":1})",
        "error: \"output\" must be a whole number from 1 to 64");
    row("output as text", R"({"type":"route","output":"2","input":1})",
        "error: \"output\" must be a whole number from 1 to 64");
    row("input 0", R"({"type":"route","output":1,"input":0})",
        "error: \"input\" must be a whole number from 1 to 64");
    row("input 1.5", R"({"type":"route","output":1,"input":1.5})",
        "error: \"input\" must be a whole number from 1 to 64");
    row("input beyond any switcher", R"({"type":"route","output":1,"input":1e9})",
        "error: \"input\" must be a whole number from 1 to 64");
    row("preset 9", R"({"type":"preset","number":9})",
        "error: \"number\" must be a whole number from 1 to 8");
    row("id not whole", R"({"type":"preset","number":1,"id":0.5})",
        "error: \"id\" must be a whole number");
    row("id too large for a page", R"({"type":"preset","number":1,"id":1e300})",
        "error: \"id\" must be a whole number");
    row("too long, not read",
        "{\"type\":\"preset\",\"number\":1,\"pad\":\"" + QByteArray(1000, 'x') + "\"}",
        "error: message too long: 1037 bytes, at most 1024");
}

void tst_WebProtocol::pageCommands()
{
    QFETCH(QByteArray, message);
    QFETCH(QString, command);
    QCOMPARE(Describe(ParsePageCommand(message)), command);
}

void tst_WebProtocol::requestHeads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("seen"); // method, path and fields, or the reason
    const auto row = [](const char *name, const QByteArray &bytes, HeadStatus status,
                        const QByteArray &seen) {
        QTest::newRow(name) << bytes << int(status) << seen;
    };
    row("request", "GET /app.js?v=1 HTTP/1.1\r\nHost:  a:1 \r\nX-Y: b\r\n\r\nbody",
        HeadStatus::Complete, "GET /app.js host=a:1 x-y=b");
    row("no fields", "POST /login HTTP/1.0\r\n\r\n", HeadStatus::Complete, "POST /login");
    row("blank line still to come", "GET / HTTP/1.1\r\nHost: a\r\n", HeadStatus::Incomplete, "");
    row("bare line feeds", "GET / HTTP/1.1\nHost: a\n\r\n\r\n", HeadStatus::Malformed,
        "a line ends without CR LF");
    row("HTTP/2", "GET / HTTP/2\r\n\r\n", HeadStatus::Malformed, "not an HTTP/1.x request line");
    row("absolute target", "GET http://a/ HTTP/1.1\r\n\r\n", HeadStatus::Malformed,
        "not an HTTP/1.x request line");
    row("blank in the target", "GET /a b HTTP/1.1\r\n\r\n", HeadStatus::Malformed,
        "not an HTTP/1.x request line");
    row("folded field", "GET / HTTP/1.1\r\nA: 1\r\n  2\r\n\r\n", HeadStatus::Malformed,
        "a header field without a name");
    row("control byte", "GET / HTTP/1.1\r\nA: 1\x01\r\n\r\n", HeadStatus::Malformed,
        "a header field with control characters");
    QByteArray many = "GET / HTTP/1.1\r\n";
    for (int i = 0; i <= MaxFields; ++i)
        many += "A: 1\r\n";
    row("too many fields", many + "\r\n", HeadStatus::Malformed, "too many header fields");
    row("no end within the limit", "GET / HTTP/1.1\r\nA: " + QByteArray(MaxHeadBytes, 'x'),
        HeadStatus::TooLarge, "");
}

void tst_WebProtocol::requestHeads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(QByteArray, seen);
    const ParsedHead parsed = ParseRequestHead(bytes);
    QCOMPARE(int(parsed.status), status);
    if (parsed.status != HeadStatus::Complete) {
        QCOMPARE(parsed.reason, seen);
        return;
    }
    QByteArray text = parsed.head.method + ' ' + parsed.head.path();
    for (const auto &[name, value] : parsed.head.fields)
        text += ' ' + name + '=' + value;
    QCOMPARE(text, seen);
    QCOMPARE(bytes.mid(parsed.head.size), bytes.endsWith("body") ? QByteArray("body") : "");
}

void tst_WebProtocol::cookiesAndForms()
{
    QCOMPARE(CookieValue("a=1; matrix_session=xyz ; b=2", "matrix_session"), "xyz");
    QCOMPARE(CookieValue("xmatrix_session=1", "matrix_session"), std::nullopt);
    QCOMPARE(CookieValue("", "a"), std::nullopt);
    QCOMPARE(FormValue("a=1&token=ab%2Bc+d&token=2", "token"), "ab+c d");
    QCOMPARE(FormValue("tokens=1", "token"), std::nullopt);
    QCOMPARE(FormValue("token=", "token"), "");
}

void tst_WebProtocol::hostsAndOrigins_data()
{
    QTest::addColumn<QByteArray>("fields");
    QTest::addColumn<bool>("hostWithoutLogin");
    QTest::addColumn<bool>("origin");
    QTest::newRow("loopback address") << QByteArray("Host: 127.0.0.61:8080\r\n"
                                                    "Origin: http://127.0.0.61:8080\r\n")
                                      << true << true;
    QTest::newRow("localhost, letter case")
        << QByteArray("Host: LocalHost:8080\r\nOrigin: http://localhost:8080\r\n") << true << true;
    QTest::newRow("IPv6 loopback, through a TLS proxy")
        << QByteArray("Host: [::1]:8080\r\nOrigin: https://[::1]:8080\r\n") << true << true;
    QTest::newRow("another site's name for this machine")
        << QByteArray("Host: evil.example:8080\r\nOrigin: http://evil.example:8080\r\n") << false
        << true;
    QTest::newRow("another port") << QByteArray("Host: 127.0.0.1:8081\r\n"
                                                "Origin: http://127.0.0.1:8081\r\n")
                                  << false << true;
    QTest::newRow("another site's page")
        << QByteArray("Host: 127.0.0.1:8080\r\nOrigin: http://evil.example\r\n") << true << false;
    QTest::newRow("no origin") << QByteArray("Host: 127.0.0.1:8080\r\n") << true << false;
    QTest::newRow("two hosts") << QByteArray("Host: 127.0.0.1:8080\r\nHost: a\r\n"
                                             "Origin: http://127.0.0.1:8080\r\n")
                               << false << false;
}

void tst_WebProtocol::hostsAndOrigins()
{
    QFETCH(QByteArray, fields);
    QFETCH(bool, hostWithoutLogin);
    QFETCH(bool, origin);
    const HttpRequestHead head = Head(fields);
    const WebAccess open({}, 8080), withToken("a-token-of-sixteen", 8080);
    QCOMPARE(open.hostAllowed(head), hostWithoutLogin);
    QVERIFY(withToken.hostAllowed(head));
    QCOMPARE(open.originAllowed(head), origin);
    QCOMPARE(withToken.originAllowed(head), origin);
}

void tst_WebProtocol::sessions()
{
    WebAccess access("a-token-of-sixteen", 8080);
    QVERIFY(access.tokenMatches("a-token-of-sixteen"));
    QVERIFY(!access.tokenMatches("a-token-of-sixteeN"));
    QVERIFY(!access.tokenMatches(""));
    QVERIFY(!access.admitted(Head("Cookie: matrix_session=\r\n")));

    const QByteArray cookie = access.startSession();
    QVERIFY2(cookie.endsWith("; HttpOnly; SameSite=Strict; Path=/"), cookie.constData());
    const QByteArray session = cookie.split(';').first();
    QCOMPARE(session.size(), qsizetype(QByteArray("matrix_session=").size() + 43));
    QVERIFY(!session.contains("a-token"));
    QVERIFY(access.admitted(Head("Cookie: a=1; " + session + "\r\n")));
    QVERIFY(!access.admitted(Head("Cookie: " + session.chopped(1) + "\r\n")));

    // The oldest session is forgotten beyond the limit.
    for (std::size_t i = 0; i < WebAccess::MaxSessions - 1; ++i)
        access.startSession();
    QVERIFY(access.admitted(Head("Cookie: " + session + "\r\n")));
    access.startSession();
    QVERIFY(!access.admitted(Head("Cookie: " + session + "\r\n")));
    QVERIFY(WebAccess({}, 8080).admitted(Head({})));
}

void tst_WebProtocol::throttle()
{
    LoginThrottle throttle;
    const QHostAddress guesser(QStringLiteral("10.0.0.9")), other(QStringLiteral("10.0.0.8"));
    QList<std::chrono::milliseconds> delays;
    for (int i = 0; i < 7; ++i) {
        delays << throttle.failed(guesser);
        QVERIFY(throttle.holding(guesser));
        QVERIFY(!throttle.holding(other));
        throttle.released(guesser);
    }
    QCOMPARE(delays, (QList<std::chrono::milliseconds>{1s, 2s, 4s, 8s, 16s, 30s, 30s}));
    QCOMPARE(throttle.failures(guesser), 7);
    throttle.succeeded(guesser);
    QCOMPARE(throttle.failures(guesser), 0);
    QCOMPARE(throttle.failed(guesser), 1s);

    // Bounded: the address not seen for longest goes, one whose answer is held stays.
    for (std::size_t i = 0; i < LoginThrottle::MaxPeers; ++i) {
        throttle.failed(QHostAddress(quint32(0x0B000000 + i)));
        throttle.released(QHostAddress(quint32(0x0B000000 + i)));
    }
    QVERIFY(throttle.holding(guesser));
    QCOMPARE(throttle.failures(QHostAddress(quint32(0x0B000000))), 0);
}

void tst_WebProtocol::tokenFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("token"));
    QString error;
    const auto made = TokenFile::LoadOrCreate(path, &error);
    QVERIFY2(made && made->created, qPrintable(error));
    QCOMPARE(QFile(path).permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadUser | QFileDevice::WriteUser);
    QCOMPARE(FileBytes(path), made->token + '\n');
    const auto again = TokenFile::LoadOrCreate(path, &error);
    QVERIFY(again && !again->created && again->token == made->token);

    QFile(path).setPermissions(QFile(path).permissions() | QFileDevice::ReadOther);
    QVERIFY(!TokenFile::LoadOrCreate(path, &error));
    QCOMPARE(error, path + ": other users may read or change the token; chmod 600 " + path);

    QVERIFY(WriteFileBytes(path, "short\n"));
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(!TokenFile::LoadOrCreate(path, &error));
    QVERIFY2(error.endsWith(": the token must be one line of 16 to 256 visible ASCII "
                            "characters without blanks"),
             qPrintable(error));
    QVERIFY(!TokenFile::LoadOrCreate(dir.path(), &error));
    QCOMPARE(error, dir.path() + ": not a regular file");
}

void tst_WebProtocol::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("result"); // "where token" or the error
    QTest::newRow("off") << QStringList{} << "off";
    QTest::newRow("loopback, no login")
        << QStringList{"--http", "127.0.0.1"} << "127.0.0.1:8080 no token";
    QTest::newRow("IPv6 loopback with a port")
        << QStringList{"--http", "[::1]:9000"} << "[::1]:9000 no token";
    QTest::newRow("any address with a token file")
        << QStringList{"--http", "0.0.0.0:80", "--token-file", "t"} << "0.0.0.0:80 token";
    QTest::newRow("loopback, token required")
        << QStringList{"--http", "127.0.0.2", "--require-token", "--token-file", "t"}
        << "127.0.0.2:8080 token";
    QTest::newRow("any address, no token file")
        << QStringList{"--http", "0.0.0.0"}
        << "--http 0.0.0.0:8080 is not a loopback address: the page needs a token; give "
           "--token-file FILE (a new token is made and stored there when the file does not "
           "exist)";
    QTest::newRow("token required, no file")
        << QStringList{"--http", "127.0.0.1", "--require-token"}
        << "--require-token needs --token-file FILE (a new token is made and stored there "
           "when the file does not exist)";
    QTest::newRow("token file without the page")
        << QStringList{"--token-file", "t"} << "--token-file and --require-token need --http";
    QTest::newRow("host name") << QStringList{"--http", "localhost:8080"}
                               << "--http: not ADDR[:PORT] with an IP address: localhost:8080";
    QTest::newRow("port 0") << QStringList{"--http", "127.0.0.1:0"}
                            << "--http: not ADDR[:PORT] with an IP address: 127.0.0.1:0";
}

void tst_WebProtocol::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, result);
    QString error;
    const auto options = BridgeOptions::Parse(arguments, &error);
    if (!options) {
        QCOMPARE(error, result);
        return;
    }
    const WebOptions &web = options->web;
    QCOMPARE(web.enabled ? web.where() + (web.needsToken() ? " token" : " no token")
                         : QStringLiteral("off"),
             result);
}

QTEST_GUILESS_MAIN(tst_WebProtocol)
#include "tst_web_protocol.moc"
