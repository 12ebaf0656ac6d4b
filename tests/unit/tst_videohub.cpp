#include "videohub/VideohubBlockAssembler.h"
#include "videohub/VideohubBlocks.h"
#include "videohub/VideohubRequestParser.h"

#include <QTest>

using namespace Videohub;

namespace {

// Six inputs and four outputs, so that a mix-up of the two counts shows.
constexpr PortCounts Ports{6, 4};

QString Describe(const Block &block)
{
    if (block.overflow)
        return QStringLiteral("overflow: ") + RefusalText(*block.overflow).toByteArray();
    QStringList parts{QString::fromUtf8(block.header)};
    for (const QByteArray &line : block.lines)
        parts << QString::fromUtf8(line);
    return parts.join(QLatin1Char('|'));
}

QStringList Describe(const std::vector<Block> &blocks)
{
    QStringList list;
    for (const Block &block : blocks)
        list << Describe(block);
    return list;
}

QString Describe(const Request &request)
{
    QString text;
    const auto port = [](int n) { return QString::number(n); };
    if (std::holds_alternative<Ping>(request))
        return QStringLiteral("ping");
    if (const auto *query = std::get_if<StateQuery>(&request))
        return QStringLiteral("query ") + HeaderOf(query->block).toByteArray();
    if (const auto *change = std::get_if<RouteChange>(&request)) {
        text = QStringLiteral("route");
        for (const Route &r : change->routes)
            text += QLatin1Char(' ') + port(r.output) + QLatin1Char('<') + port(r.input);
    } else if (const auto *change = std::get_if<LabelChange>(&request)) {
        text = change->kind == PortKind::Input ? QStringLiteral("in") : QStringLiteral("out");
        for (const Label &l : change->labels)
            text += QLatin1Char(' ') + port(l.port) + QStringLiteral("=[") + l.text + ']';
    } else if (const auto *change = std::get_if<LockChange>(&request)) {
        text = QStringLiteral("locks");
        for (const Lock &l : change->locks)
            text += QLatin1Char(' ') + port(l.output) + "OUF"[int(l.action)];
    } else if (const auto *refusal = std::get_if<Refusal>(&request)) {
        text = QStringLiteral("NAK ") + RefusalText(refusal->reason).toByteArray() +
               QStringLiteral(" @") + port(refusal->line);
    }
    return text;
}

// One block of text through the assembler and the parser.
QString Parsed(const QByteArray &text)
{
    BlockAssembler assembler;
    const std::vector<Block> blocks = assembler.feed(text);
    if (blocks.size() != 1)
        return QStringLiteral("%1 blocks").arg(blocks.size());
    return Describe(ParseRequest(blocks.front(), Ports));
}

} // namespace

class tst_Videohub : public QObject
{
    Q_OBJECT

private slots:
    void assembly_data();
    void assembly();
    void staysBoundedOnEndlessLine();
    void requests_data();
    void requests();
    void prelude();
    void writtenBlocksReadBack();
};

void tst_Videohub::assembly_data()
{
    QTest::addColumn<bool>("small");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("blocks");
    const auto row = [](const char *name, bool small, const QByteArray &input,
                        const QStringList &blocks) {
        QTest::newRow(name) << small << input << blocks;
    };
    row("ping", false, "PING:\n\n", {"PING:"});
    row("carriage returns", false, "PING:\r\n\r\n", {"PING:"});
    row("lines kept as sent", false, "INPUT LABELS:\n0 VTR 1 \n1  x\n\n",
        {"INPUT LABELS:|0 VTR 1 |1  x"});
    row("blank lines between blocks, blanks-only line ends one", false,
        "\n\r\nPING:\n \t\r\nOUTPUT LABELS: \t\n\n", {"PING:", "OUTPUT LABELS:"});
    row("unfinished block waits", false, "VIDEO OUTPUT ROUTING:\n0 1\n", {});
    // Limits: lines of 16 bytes, 3 lines, 24 bytes a block.
    row("long line refuses its block only", true,
        "INPUT LABELS:\n0 abcdefghijklmnop\n1 x\n\nPING:\n\n",
        {"overflow: line too long", "PING:"});
    row("long header", true, "ABCDEFGHIJKLMNOPQ:\n\n", {"overflow: line too long"});
    row("line of exactly the limit, carriage return included", true, "ABCDEFGHIJKLMN:\r\n\n",
        {"ABCDEFGHIJKLMN:"});
    row("too many lines", true, "A:\n1\n2\n3\n\nB:\n1\n2\n\n",
        {"overflow: too many lines", "B:|1|2"});
    row("block too large", true, "ABCDEFGHIJKLMN:\n0123456789\n\n", {"overflow: block too large"});
}

void tst_Videohub::assembly()
{
    QFETCH(bool, small);
    QFETCH(QByteArray, input);
    QFETCH(QStringList, blocks);
    const AssemblyLimits limits = small ? AssemblyLimits{16, 3, 24} : AssemblyLimits{};

    BlockAssembler whole(limits);
    QCOMPARE(Describe(whole.feed(input)), blocks);

    // Byte by byte gives the same blocks: nothing depends on how the bytes arrive.
    BlockAssembler bytewise(limits);
    std::vector<Block> collected;
    for (char byte : input) {
        for (Block &block : bytewise.feed(QByteArrayView(&byte, 1)))
            collected.push_back(std::move(block));
    }
    QCOMPARE(Describe(collected), blocks);
    QCOMPARE(bytewise.inBlock(), whole.inBlock());
}

void tst_Videohub::staysBoundedOnEndlessLine()
{
    BlockAssembler assembler;
    const QByteArray chunk(64 * 1024, 'x');
    for (int i = 0; i < 32; ++i) {
        QVERIFY(assembler.feed(chunk).empty());
        QVERIFY(assembler.bufferedBytes() <= AssemblyLimits{}.maxLineBytes);
    }
    const std::vector<Block> blocks = assembler.feed("\n\nPING:\n\n");
    QCOMPARE(Describe(blocks), QStringList({"overflow: line too long", "PING:"}));
    QCOMPARE(Describe(ParseRequest(blocks.front(), Ports)), QStringLiteral("NAK line too long @0"));
    QVERIFY(!assembler.inBlock());
    QCOMPARE(assembler.bufferedBytes(), 0);
}

void tst_Videohub::requests_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("request");
    const auto row = [](const char *name, const QByteArray &text, const char *request) {
        QTest::newRow(name) << text << QString::fromUtf8(request);
    };
    row("ping", "PING:\n\n", "ping");
    row("ping with a line", "PING:\nx\n\n", "NAK malformed line @2");
    row("routing query", "VIDEO OUTPUT ROUTING:\n\n", "query VIDEO OUTPUT ROUTING:");
    row("device query", "VIDEOHUB DEVICE:\n\n", "query VIDEOHUB DEVICE:");
    row("locks query", "VIDEO OUTPUT LOCKS:\n\n", "query VIDEO OUTPUT LOCKS:");
    row("routes, zero-based", "VIDEO OUTPUT ROUTING:\n1 2\n0 5\n\n", "route 2<3 1<6");
    row("routes with blanks and zeros", "VIDEO OUTPUT ROUTING:\n  3\t 0 \n003 000\n\n",
        "route 4<1 4<1");
    row("output beyond the switcher", "VIDEO OUTPUT ROUTING:\n4 0\n\n", "NAK port out of range @2");
    row("input beyond the switcher", "VIDEO OUTPUT ROUTING:\n0 6\n\n", "NAK port out of range @2");
    row("one bad line refuses all", "VIDEO OUTPUT ROUTING:\n0 1\n1 x\n\n", "NAK malformed line @3");
    row("signed number", "VIDEO OUTPUT ROUTING:\n-1 0\n\n", "NAK malformed line @2");
    row("plus sign", "VIDEO OUTPUT ROUTING:\n+1 0\n\n", "NAK malformed line @2");
    row("three fields", "VIDEO OUTPUT ROUTING:\n1 2 3\n\n", "NAK malformed line @2");
    row("one field", "VIDEO OUTPUT ROUTING:\n1\n\n", "NAK malformed line @2");
    row("hexadecimal", "VIDEO OUTPUT ROUTING:\n1 0x1\n\n", "NAK malformed line @2");
    row("endless number", "VIDEO OUTPUT ROUTING:\n99999999999999999999 0\n\n",
        "NAK malformed line @2");
    row("seven digits", "VIDEO OUTPUT ROUTING:\n1000000 0\n\n", "NAK malformed line @2");
    row("labels", "INPUT LABELS:\n0 VTR 1\n5 \n\n", "in 1=[VTR 1] 6=[]");
    row("label keeps its blanks", "OUTPUT LABELS:\n3  Proj \n\n", "out 4=[ Proj ]");
    row("label in UTF-8", "INPUT LABELS:\n2 Caméra\n\n", "in 3=[Caméra]");
    row("output label beyond", "OUTPUT LABELS:\n4 x\n\n", "NAK port out of range @2");
    row("label without text", "INPUT LABELS:\n0\n\n", "NAK malformed line @2");
    row("label with a control byte", "INPUT LABELS:\n1 ok\n0 a\x01z\n\n", "NAK bad label @3");
    row("label with a C1 control", "INPUT LABELS:\n0 a\xc2\x85z\n\n", "NAK bad label @2");
    row("label not UTF-8", "INPUT LABELS:\n0 \xff\n\n", "NAK bad label @2");
    row("locks", "VIDEO OUTPUT LOCKS:\n0 O\n1 U\n3 F\n\n", "locks 1O 2U 4F");
    row("lock letter only the server sends", "VIDEO OUTPUT LOCKS:\n0 L\n\n",
        "NAK malformed line @2");
    row("lock on no output", "VIDEO OUTPUT LOCKS:\n4 O\n\n", "NAK port out of range @2");
    row("preamble from a client", "PROTOCOL PREAMBLE:\nVersion: 2.8\n\n", "NAK read-only block @2");
    row("block not served", "VIDEO MONITORING OUTPUT ROUTING:\n0 1\n\n", "NAK unknown block @1");
    row("lower-case header", "video output routing:\n\n", "NAK unknown block @1");
    row("no colon", "hello\n\n", "NAK unknown block @1");
}

void tst_Videohub::requests()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, request);
    QCOMPARE(Parsed(text), request);
}

void tst_Videohub::prelude()
{
    HubState state;
    state.device = {true, QStringLiteral("HDMI Matrix"), {}, QStringLiteral("0A1B"), {2, 2}};
    state.inputLabels = {{1, QStringLiteral("Player")}, {2, QStringLiteral("Line\r\nbreak")}};
    state.outputLabels = {{1, QStringLiteral("Projector")}, {2, {}}};
    state.routing = {{1, 2}, {2, 1}};
    QCOMPARE(Prelude(state), QByteArray("PROTOCOL PREAMBLE:\nVersion: 2.8\n\n"
                                        "VIDEOHUB DEVICE:\nDevice present: true\n"
                                        "Model name: HDMI Matrix\nUnique ID: 0A1B\n"
                                        "Video inputs: 2\nVideo processing units: 0\n"
                                        "Video outputs: 2\nVideo monitoring outputs: 0\n"
                                        "Serial ports: 0\n\n"
                                        "INPUT LABELS:\n0 Player\n1 Line  break\n\n"
                                        "OUTPUT LABELS:\n0 Projector\n1 \n\n"
                                        "VIDEO OUTPUT ROUTING:\n0 1\n1 0\n\n"
                                        "VIDEO OUTPUT LOCKS:\n0 U\n1 U\n\n"
                                        "END PRELUDE:\n\n"));

    state.device.present = false;
    QCOMPARE(Prelude(state), QByteArray("PROTOCOL PREAMBLE:\nVersion: 2.8\n\n"
                                        "VIDEOHUB DEVICE:\nDevice present: false\n\n"
                                        "END PRELUDE:\n\n"));
    QCOMPARE(AckBlock() + NakBlock(), QByteArray("ACK\n\nNAK\n\n"));
    const int outputs[] = {3};
    QCOMPARE(LocksBlock(outputs), QByteArray("VIDEO OUTPUT LOCKS:\n2 U\n\n"));
}

void tst_Videohub::writtenBlocksReadBack()
{
    // What the server writes, a client may send back unchanged and mean the same.
    const std::vector<Route> routes{{4, 6}, {1, 1}};
    const std::vector<Label> labels{{4, QStringLiteral(" Screen 4 ")}, {2, QStringLiteral("")}};
    BlockAssembler assembler;
    auto blocks = assembler.feed(RoutingBlock(routes) + LabelsBlock(PortKind::Output, labels));
    QCOMPARE(blocks.size(), std::size_t(2));
    QCOMPARE(ParseRequest(blocks[0], Ports), Request(RouteChange{routes}));
    QCOMPARE(ParseRequest(blocks[1], Ports), Request(LabelChange{PortKind::Output, labels}));
}

QTEST_GUILESS_MAIN(tst_Videohub)
#include "tst_videohub.moc"
