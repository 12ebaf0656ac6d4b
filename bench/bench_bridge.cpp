// What the bridge adds to a route: from a Videohub route request written to matrix-bridge to
// the routing update it sends back (A), against the same route sent by a bare link client,
// TKXCOMControl::SendCommand, from request to answer (B). Each has a matrix-sim of its own
// over loopback TCP. A and B alternate, pair after pair, so that a busy machine slows both.
//   bench_bridge [pairs per run] [runs]
#include "PairedRoutes.h"

#include "link/Frames.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char *BridgeSim = "127.0.0.57";
const char *BareSim = "127.0.0.58";
const char *BridgeAddress = "127.0.0.59";
constexpr quint16 BridgePort = 9990;
constexpr int WarmUpPairs = 50;

/// A plain blocking Videohub client.
class VideohubClient
{
public:
    bool open()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(BridgePort);
        ::inet_pton(AF_INET, BridgeAddress, &address.sin_addr);
        if (::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            return false;
        int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return readUntil("END PRELUDE:\n\n");
    }
    ~VideohubClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    /// Routes `input` to output 1 and waits for the update that shows it.
    bool route(int input)
    {
        const QByteArray request =
            "VIDEO OUTPUT ROUTING:\n0 " + QByteArray::number(input - 1) + "\n\n";
        if (::write(m_fd, request.constData(), std::size_t(request.size())) != request.size())
            return false;
        return readUntil(request);
    }

private:
    bool readUntil(const QByteArray &text)
    {
        char buffer[4096];
        for (;;) {
            const qsizetype found = m_received.indexOf(text);
            if (found >= 0) {
                m_received.remove(0, found + text.size());
                return true;
            }
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            m_received.append(buffer, qsizetype(n));
        }
    }

    int m_fd = -1;
    QByteArray m_received;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(100, std::atoi(argv[1])) : 20000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../");

    QProcess bridgeSim, bareSim, bridge;
    if (!StartSimulators(bridgeSim, QString::fromLatin1(BridgeSim), bareSim,
                         QString::fromLatin1(BareSim), dir))
        return 1;
    QTemporaryDir settings;
    if (!StartBridge(
            bridge, dir + QStringLiteral("matrix-bridge"),
            {QStringLiteral("--host"), QString::fromLatin1(BridgeSim), QStringLiteral("--listen"),
             QString::fromLatin1(BridgeAddress) + QLatin1Char(':') + QString::number(BridgePort),
             QStringLiteral("--settings"), settings.filePath(QStringLiteral("Settings.ini"))}))
        return 1;

    BareLink bare(QString::fromLatin1(BareSim));
    TKXCOMControl &link = bare.link;
    VideohubClient client;
    if (!link.Open() || !client.open()) {
        std::fprintf(stderr, "cannot connect the bare link or the Videohub client\n");
        return 1;
    }

    std::printf("%d runs of %d pairs (A: through matrix-bridge, B: bare link), route request "
                "to routing update\n",
                runs, pairs);
    PairedFigures figures;
    if (!MeasurePairs(
            runs, pairs, WarmUpPairs, "matrix-bridge",
            [&](int input) { return client.route(input); }, link, "us", figures))
        return 1;
    const double added = ReportPairs(figures, "us", 500);

    link.Close();
    for (QProcess *process : {&bridge, &bridgeSim, &bareSim}) {
        process->kill();
        process->waitForFinished();
    }
    return added < 500 ? 0 : 1;
}
