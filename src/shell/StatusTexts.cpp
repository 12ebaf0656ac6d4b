#include "shell/StatusTexts.h"

namespace {

// "Hi.Lo" of the low 16 bits of a notification value.
QString ByteDotByte(qint64 value)
{
    return QString::number((value >> 8) & 0xFF) + QLatin1Char('.') + QString::number(value & 0xFF);
}

QString TwoDigits(int value)
{
    return value < 10 ? QLatin1Char('0') + QString::number(value) : QString::number(value);
}

} // namespace

namespace StatusTexts {

QString Clock(const QDateTime &moment)
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    return QString::number(date.year()) + QLatin1Char('-') + TwoDigits(date.month()) +
           QLatin1Char('-') + TwoDigits(date.day()) + QLatin1Char(' ') + TwoDigits(time.hour()) +
           QLatin1Char(':') + TwoDigits(time.minute());
}

QString AccessFailed(TControlMode mode)
{
    return mode == cmLAN ? QStringLiteral("TCP control failed!")
                         : QStringLiteral("COM access failed!");
}

QString OpenCloseFailed(TControlMode mode, bool connected, const QString &port, const QString &ip)
{
    if (mode == cmLAN)
        return (connected ? QStringLiteral("Disconnect") : QStringLiteral("Connect")) +
               QLatin1Char(' ') + ip + QStringLiteral(" failed");
    return (connected ? QStringLiteral("Close") : QStringLiteral("Open")) +
           QStringLiteral(" COM [") + port + QStringLiteral("] failed");
}

QString PartWriteFailed(qint64 identification, qint64 versions)
{
    return QStringLiteral("Write to Part_") + ByteDotByte(identification) + QLatin1Char('.') +
           ByteDotByte(versions) + QStringLiteral(" failed");
}

QString UpgradingPart(qint64 identification)
{
    return QStringLiteral("Upgrading Part_") + ByteDotByte(identification);
}

} // namespace StatusTexts
