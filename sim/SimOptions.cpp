#include "sim/SimOptions.h"

namespace {

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
        "Usage: matrix-sim (--pty | --tcp ADDR) [options]\n"
        "Simulates a 4x4 HDMI matrix switcher until it is killed.\n"
        "\n"
        "  --pty                  serve a pseudo-terminal; its path is printed on stdout\n"
        "  --tcp ADDR             listen for one TCP client on ADDR (loopback only)\n"
        "  --port N               TCP port instead of 8000\n"
        "  --allow-non-loopback   allow --tcp on an address that is not loopback\n"
        "  --delay MS             wait MS milliseconds before every answer\n"
        "  --paced                a 19200 baud line: at most 1920 bytes per second\n"
        "  --silence N            do not answer the first N requests\n"
        "  --bad-checksum N       wrong checksum in the first N answers\n"
        "  --refuse N             r4 = 0xFF in the first N answers\n"
        "  --split N              send the first N answers in pieces of 5, 5 and the rest\n"
        "  --extra N              three extra bytes after the first N answers\n"
        "  --restart-ms MS        stay silent MS milliseconds after a restart command\n"
        "  --edid-locked          EDID selector not in software position (changes refused)\n"
        "  -h, --help             show this text\n");
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
        } else if (arg == QLatin1String("--pty")) {
            options.pty = true;
        } else if (arg == QLatin1String("--tcp")) {
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("--tcp needs an address");
                return std::nullopt;
            }
            QHostAddress address;
            if (!address.setAddress(args[++i])) {
                *error = QStringLiteral("--tcp: not an IP address: ") + args[i];
                return std::nullopt;
            }
            options.tcpAddress = address;
        } else if (arg == QLatin1String("--port")) {
            ok = TakeNumber(args, i, 65535, &port, error);
            options.port = std::uint16_t(port);
        } else if (arg == QLatin1String("--allow-non-loopback")) {
            options.allowNonLoopback = true;
        } else if (arg == QLatin1String("--delay")) {
            ok = TakeNumber(args, i, MaxMs, &options.delayMs, error);
        } else if (arg == QLatin1String("--paced")) {
            options.paced = true;
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
        } else {
            *error = QStringLiteral("unknown option: ") + arg;
            return std::nullopt;
        }
        if (!ok)
            return std::nullopt;
    }
    if (options.help)
        return options;
    if (!options.pty && !options.tcpAddress) {
        *error = QStringLiteral("choose --pty or --tcp ADDR");
        return std::nullopt;
    }
    if (options.port == 0) {
        *error = QStringLiteral("--port: 0 is not a port");
        return std::nullopt;
    }
    if (options.tcpAddress && !options.tcpAddress->isLoopback() && !options.allowNonLoopback) {
        *error = QStringLiteral("refusing to listen on ") + options.tcpAddress->toString() +
                 QStringLiteral(": not a loopback address (use --allow-non-loopback)");
        return std::nullopt;
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
    faults.arm(SimFault::Silence, silence);
    faults.arm(SimFault::BadChecksum, badChecksum);
    faults.arm(SimFault::Refuse, refuse);
    faults.arm(SimFault::Split, split);
    faults.arm(SimFault::ExtraBytes, extraBytes);
}
