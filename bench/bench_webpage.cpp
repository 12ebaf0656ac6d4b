// What the control page adds to a route: from a page's tap (a route command sent over the
// page's WebSocket to matrix-bridge) to the bridge's message that the switcher has taken it
// (A), against the same route sent by a bare link client, TKXCOMControl::SendCommand, from
// request to answer (B). The page here is a QtWebSockets client that speaks the page's JSON
// exactly as the page's script does; the browser's own drawing is not part of it. Each has a
// matrix-sim of its own over loopback TCP. A and B alternate, pair after pair.
//   bench_webpage [pairs per run] [runs]
#include "PairedRoutes.h"

#include "link/Frames.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <cstdio>
#include <cstdlib>

namespace {

const QString PageSim = QStringLiteral("127.0.0.65");
const QString BareSim = QStringLiteral("127.0.0.66");
const QString BridgeAddress = QStringLiteral("127.0.0.67");
const QString PageUrl = QStringLiteral("ws://127.0.0.67:8080/ws");
const QString PageOrigin = QStringLiteral("http://127.0.0.67:8080");
constexpr int WarmUpPairs = 50;
constexpr double TargetMs = 5.0;

/// The page's side of the WebSocket: sends a route and waits for the bridge's "done".
class Page
{
public:
    Page() : m_socket(PageOrigin)
    {
        QObject::connect(
            &m_socket, &QWebSocket::textMessageReceived, &m_socket, [this](const QString &text) {
                const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
                if (message[QStringLiteral("type")] == QLatin1String("state"))
                    m_stateSeen = true;
                else if (message[QStringLiteral("id")].toInteger() == m_waitingFor)
                    m_done = message[QStringLiteral("ok")].toBool() ? 1 : -1;
                m_loop.quit();
            });
        QObject::connect(&m_socket, &QWebSocket::disconnected, &m_loop, &QEventLoop::quit);
    }

    bool open()
    {
        m_socket.open(QUrl(PageUrl));
        QTimer::singleShot(5000, &m_loop, &QEventLoop::quit);
        while (!m_stateSeen && m_socket.state() != QAbstractSocket::UnconnectedState)
            m_loop.exec();
        return m_stateSeen;
    }

    /// Routes `input` to output 1; true once the bridge says the switcher took it.
    bool route(int input)
    {
        m_waitingFor = ++m_lastId;
        m_done = 0;
        m_socket.sendTextMessage(QStringLiteral(R"({"type":"route","output":1,"input":%1,"id":%2})")
                                     .arg(input)
                                     .arg(m_waitingFor));
        m_socket.flush();
        while (m_done == 0 && m_socket.state() == QAbstractSocket::ConnectedState)
            m_loop.exec();
        return m_done == 1;
    }

private:
    QWebSocket m_socket;
    QEventLoop m_loop;
    bool m_stateSeen = false;
    qint64 m_lastId = 0;
    qint64 m_waitingFor = 0;
    int m_done = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(100, std::atoi(argv[1])) : 5000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../");

    QProcess pageSim, bareSim, bridge;
    if (!StartSimulators(pageSim, PageSim, bareSim, BareSim, dir))
        return 1;
    QTemporaryDir settings;
    if (!StartBridge(bridge, dir + QStringLiteral("matrix-bridge"),
                     {QStringLiteral("--host"), PageSim, QStringLiteral("--listen"),
                      BridgeAddress + QStringLiteral(":9990"), QStringLiteral("--http"),
                      BridgeAddress + QStringLiteral(":8080"), QStringLiteral("--settings"),
                      settings.filePath(QStringLiteral("Settings.ini"))}))
        return 1;

    BareLink bare(BareSim);
    TKXCOMControl &link = bare.link;
    Page page;
    if (!link.Open() || !page.open()) {
        std::fprintf(stderr, "cannot connect the bare link or the page\n");
        return 1;
    }

    std::printf("%d runs of %d pairs (A: a page's route over its WebSocket through "
                "matrix-bridge, to the bridge's \"done\"; B: bare link, request to answer)\n",
                runs, pairs);
    PairedFigures figures;
    if (!MeasurePairs(
            runs, pairs, WarmUpPairs, "page", [&](int input) { return page.route(input); }, link,
            "ms", figures))
        return 1;
    const double added = ReportPairs(figures, "ms", TargetMs);

    link.Close();
    for (QProcess *process : {&bridge, &pageSim, &bareSim}) {
        process->kill();
        process->waitForFinished();
    }
    return added < TargetMs ? 0 : 1;
}
