#include "SimOptions.h"

namespace {

constexpr std::array<std::uint8_t, 6> SimulatorMac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
constexpr auto SimulatorTag = "Simulator";

std::optional<QHostAddress> TakeAddress(const QStringList &args, qsizetype &i, QString *error)
{
    const QString name = args[i];
    if (i + 1 >= args.size()) {
        *error = name + QStringLiteral(" needs an address");
        return std::nullopt;
    }
    QHostAddress address;
    if (!address.setAddress(args[++i])) {
        *error = name + QStringLiteral(": not an IP address: ") + args[i];
        return std::nullopt;
    }
    return address;
}

bool RefuseNonLoopback(const QHostAddress &address, QString *error)
{
    if (address.isLoopback())
        return false;
    *error = QStringLiteral("refusing to listen on ") + address.toString() +
             QStringLiteral(": not a loopback address (use --allow-non-loopback)");
    return true;
}

bool TakeNumber(const QStringList &args, qsizetype &i, int max, int *value, QString *error)
{
    const QString name = args[i];
    if (i + 1 >= args.size()) {
        *error = name + QStringLiteral(" needs a value");
        return false;
    }
    bool ok = false;
    const int number = args[++i].toInt(&ok);
    if (!ok || number < 0 || number > max) {
        *error = name + QStringLiteral(": not a number from 0 to ") + QString::number(max) +
                 QStringLiteral(": ") + args[i];
        return false;
    }
    *value = number;
    return true;
}

} // namespace

QString SimOptions::Usage()
{
    return QStringLiteral(
        "Usage: matrix-sim (--pty | --tcp ADDR | --network ADDR) [options]\n"
        "Simulates a 4x4 (or 8x8) HDMI matrix switcher until it is killed. Its network module\n"
        "answers the 32-byte LDCD records on the serial and TCP line.\n"
        "\n"
        "  --pty                  serve a pseudo-terminal; its path is printed on stdout\n"
        "  --tcp ADDR             listen for one TCP client on ADDR (loopback only)\n"
        "  --port N               TCP port instead of 8000\n"
        "  --network ADDR         answer network module discovery (UDP 30600) and\n"
        "                         configuration (UDP 30601) on the IPv4 address ADDR\n"
        "                         (loopback only), as module \"Simulator\",\n"
        "                         MAC 00-1A-2B-3C-4D-5E, IP ADDR; never broadcasts\n"
        "  --allow-non-loopback   allow --tcp and --network on an address that is not\n"
        "                         loopback\n"
        "  --hear-broadcasts      with --network: hear discovery broadcasts too (binds\n"
        "                         0.0.0.0; needs --allow-non-loopback, so that it is used\n"
        "                         only in a network of its own, such as a namespace)\n"
        "  --delay MS             wait MS milliseconds before every answer\n"
        "  --paced                a 19200 baud line: at most 1920 bytes per second\n"
        "  --flood                send garbage to a TCP client without end, as fast as it\n"
        "                         takes it, instead of the answers\n"
        "  --silence N            do not answer the first N requests\n"
        "  --bad-checksum N       wrong checksum in the first N answers\n"
        "  --refuse N             r4 = 0xFF in the first N answers\n"
        "  --split N              send the first N answers in pieces of 5, 5 and the rest\n"
        "  --extra N              three extra bytes after the first N answers\n"
        "  --restart-ms MS        stay silent MS milliseconds after a restart command\n"
        "  --edid-locked          EDID selector not in software position (changes refused)\n"
        "  --size N               a switcher of N inputs and N outputs, N = 4 (default) or 8\n"
        "  --front-panel-script FILE\n"
        "                         change the routing as the front panel or the IR remote\n"
        "                         would (the controller sees it when it next asks). One\n"
        "                         step per line: \"MS route OUTPUT INPUT\" routes INPUT to\n"
        "                         OUTPUT MS milliseconds after the step before (the first:\n"
        "                         after the start); lines starting with \"#\" are comments.\n"
        "                         Example: \"500 route 2 3\"\n"
        "  -h, --help             show this text\n"
        "  -v, --version          show the version\n");
}

std::optional<SimOptions> SimOptions::Parse(const QStringList &args, QString *error)
{
    SimOptions options;
    constexpr int MaxMs = 600'000;
    constexpr int MaxCount = 1'000'000;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        bool ok = true;
        int port = 0;
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            options.help = true;
        } else if (arg == QLatin1String("-v") || arg == QLatin1String("--version")) {
            options.version = true;
        } else if (arg == QLatin1String("--pty")) {
            options.pty = true;
        } else if (arg == QLatin1String("--tcp")) {
            options.tcpAddress = TakeAddress(args, i, error);
            ok = options.tcpAddress.has_value();
        } else if (arg == QLatin1String("--network")) {
            options.networkAddress = TakeAddress(args, i, error);
            ok = options.networkAddress.has_value();
            if (ok && options.networkAddress->protocol() != QAbstractSocket::IPv4Protocol) {
                *error = QStringLiteral("--network: not an IPv4 address: ") + args[i];
                ok = false;
            }
        } else if (arg == QLatin1String("--port")) {
            ok = TakeNumber(args, i, 65535, &port, error);
            options.port = std::uint16_t(port);
        } else if (arg == QLatin1String("--allow-non-loopback")) {
            options.allowNonLoopback = true;
        } else if (arg == QLatin1String("--hear-broadcasts")) {
            options.hearBroadcasts = true;
        } else if (arg == QLatin1String("--delay")) {
            ok = TakeNumber(args, i, MaxMs, &options.delayMs, error);
        } else if (arg == QLatin1String("--paced")) {
            options.paced = true;
        } else if (arg == QLatin1String("--flood")) {
            options.flood = true;
        } else if (arg == QLatin1String("--silence")) {
            ok = TakeNumber(args, i, MaxCount, &options.silence, error);
        } else if (arg == QLatin1String("--bad-checksum")) {
            ok = TakeNumber(args, i, MaxCount, &options.badChecksum, error);
        } else if (arg == QLatin1String("--refuse")) {
            ok = TakeNumber(args, i, MaxCount, &options.refuse, error);
        } else if (arg == QLatin1String("--split")) {
            ok = TakeNumber(args, i, MaxCount, &options.split, error);
        } else if (arg == QLatin1String("--extra")) {
            ok = TakeNumber(args, i, MaxCount, &options.extraBytes, error);
        } else if (arg == QLatin1String("--restart-ms")) {
            ok = TakeNumber(args, i, MaxMs, &options.restartMs, error);
        } else if (arg == QLatin1String("--edid-locked")) {
            options.edidLocked = true;
        } else if (arg == QLatin1String("--size")) {
            ok = TakeNumber(args, i, SimMaxPorts, &options.size, error);
            if (ok && options.size != 4 && options.size != SimMaxPorts) {
                *error = QStringLiteral("--size: 4 or 8, not ") + args[i];
                ok = false;
            }
        } else if (arg == QLatin1String("--front-panel-script")) {
            ok = i + 1 < args.size();
            if (ok)
                options.frontPanelScript = args[++i];
            else
                *error = arg + QStringLiteral(" needs a file");
        } else {
            *error = QStringLiteral("unknown option: ") + arg;
            return std::nullopt;
        }
        if (!ok)
            return std::nullopt;
    }
    if (options.help || options.version)
        return options;
    if (!options.pty && !options.tcpAddress && !options.networkAddress) {
        *error = QStringLiteral("choose --pty, --tcp ADDR or --network ADDR");
        return std::nullopt;
    }
    if (options.port == 0) {
        *error = QStringLiteral("--port: 0 is not a port");
        return std::nullopt;
    }
    if (options.hearBroadcasts && (!options.networkAddress || !options.allowNonLoopback)) {
        *error = QStringLiteral("--hear-broadcasts needs --network and --allow-non-loopback");
        return std::nullopt;
    }
    if (!options.allowNonLoopback) {
        for (const auto &address : {options.tcpAddress, options.networkAddress}) {
            if (address && RefuseNonLoopback(*address, error))
                return std::nullopt;
        }
    }
    return options;
}

void SimOptions::applyTo(SimFaults &faults) const
{
    if (delayMs > 0) {
        faults.setDelay(std::chrono::milliseconds(delayMs));
        faults.arm(SimFault::Delay, SimFaults::Always);
    }
    faults.setPaced(paced);
    if (flood)
        faults.setFlood(SimFaults::Always);
    faults.arm(SimFault::Silence, silence);
    faults.arm(SimFault::BadChecksum, badChecksum);
    faults.arm(SimFault::Refuse, refuse);
    faults.arm(SimFault::Split, split);
    faults.arm(SimFault::ExtraBytes, extraBytes);
}

void SimOptions::applyTo(SwitcherState &state) const
{
    state.inputs = std::uint8_t(size);
    state.outputs = std::uint8_t(size);
    state.restartSilenceMs = restartMs;
    if (edidLocked)
        state.edidControlMode = EdidControlLocked;
}

SimNetworkModule::Module SimOptions::networkModule() const
{
    SimNetworkModule::Module module;
    module.mac = SimulatorMac;
    module.tag = SimulatorTag;
    module.firstNumber = port;
    if (networkAddress) {
        const quint32 ip = networkAddress->toIPv4Address();
        for (std::size_t i = 0; i < module.address.size(); ++i)
            module.address[i] = std::uint8_t(ip >> (24 - 8 * i));
        module.gateway = module.address;
        module.gateway[3] = 1;
    }
    return module;
}
