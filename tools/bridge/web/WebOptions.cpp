#include "WebOptions.h"

#include <optional>

namespace {

struct Where
{
    QHostAddress address;
    quint16 port = WebOptions::DefaultPort;
};

/// "ADDR", "ADDR:PORT", "[V6]", "[V6]:PORT" or a bare IPv6 address.
std::optional<Where> ParseWhere(const QString &text)
{
    QString host = text;
    QString port;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return std::nullopt;
        port = rest.mid(1);
        if (rest.startsWith(QLatin1Char(':')) && port.isEmpty())
            return std::nullopt;
    } else if (text.count(QLatin1Char(':')) == 1) {
        host = text.section(QLatin1Char(':'), 0, 0);
        port = text.section(QLatin1Char(':'), 1);
        if (port.isEmpty())
            return std::nullopt;
    }
    Where where;
    if (!where.address.setAddress(host))
        return std::nullopt;
    if (!port.isEmpty()) {
        bool ok = false;
        const int number = port.toInt(&ok, 10);
        if (!ok || number < 1 || number > 65535)
            return std::nullopt;
        where.port = quint16(number);
    }
    return where;
}

} // namespace

bool WebOptions::TakeOption(const QStringList &arguments, int &i, WebOptions &options,
                            QString *error)
{
    const QString &arg = arguments[i];
    const bool takesValue = arg == QLatin1String("--http") || arg == QLatin1String("--token-file");
    if (!takesValue) {
        if (arg != QLatin1String("--require-token"))
            return false;
        options.requireToken = true;
        return true;
    }
    if (i + 1 >= arguments.size()) {
        *error = arg + QStringLiteral(": a value is missing");
        return true;
    }
    const QString value = arguments[++i];
    if (arg == QLatin1String("--token-file")) {
        options.tokenFile = value;
        if (value.isEmpty())
            *error = QStringLiteral("--token-file: the file name is empty");
        return true;
    }
    const auto where = ParseWhere(value);
    if (!where) {
        *error = QStringLiteral("--http: not ADDR[:PORT] with an IP address: ") + value;
        return true;
    }
    options.enabled = true;
    options.address = where->address;
    options.port = where->port;
    return true;
}

QString WebOptions::check() const
{
    if (!enabled && (requireToken || !tokenFile.isEmpty()))
        return QStringLiteral("--token-file and --require-token need --http");
    if (enabled && needsToken() && tokenFile.isEmpty())
        return address.isLoopback()
                   ? QStringLiteral("--require-token needs --token-file FILE (a new token is "
                                    "made and stored there when the file does not exist)")
                   : QStringLiteral("--http ") + where() +
                         QStringLiteral(" is not a loopback address: the page needs a token; "
                                        "give --token-file FILE (a new token is made and "
                                        "stored there when the file does not exist)");
    return {};
}

bool WebOptions::needsToken() const
{
    return requireToken || !address.isLoopback();
}

QString WebOptions::where() const
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + QString::number(port);
}

QString WebOptions::Usage()
{
    return QStringLiteral(
        "  --http ADDR[:PORT]     serve the control page for browsers on ADDR (port 8080\n"
        "                         unless given; [::1]:PORT for IPv6). Off by default.\n"
        "  --token-file FILE      the page asks for the token in FILE once per browser;\n"
        "                         a new token is made, printed and stored there (mode\n"
        "                         0600) when FILE does not exist. Needed for any address\n"
        "                         but a loopback one. The token travels in clear over\n"
        "                         plain HTTP: use a trusted network or a TLS proxy.\n"
        "  --require-token        ask for the token on a loopback address too\n");
}
