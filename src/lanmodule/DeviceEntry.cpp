#include "lanmodule/DeviceEntry.h"

namespace DeviceEntry {

QString ModeText(bool dhcpOn)
{
    return QString::fromLatin1(dhcpOn ? AutoIPText : StaticIPText);
}

QString SubnetText(bool crossSubnet)
{
    return QString::fromLatin1(crossSubnet ? CrossSubnetText : SameSubnetText);
}

QString ModeOfDhcpItem(const QString &dhcpItem)
{
    return ModeText(dhcpItem != QLatin1String("0"));
}

QString MakeBase(const QString &tag, const QString &mode, const QString &ip, const QString &mac)
{
    return QLatin1Char('[') + tag + QStringLiteral("]-[") + mode + QStringLiteral("]-[") + ip +
           QStringLiteral("]-[") + mac + QLatin1Char(']');
}

QString WithSubnet(const QString &base, const QString &subnet)
{
    return base + QStringLiteral("-[") + subnet + QLatin1Char(']');
}

QString Make(const QString &tag, const QString &mode, const QString &ip, const QString &mac,
             const QString &subnet)
{
    return WithSubnet(MakeBase(tag, mode, ip, mac), subnet);
}

QString DefaultField(int k)
{
    switch (k) {
    case Mode:
        return QString::fromLatin1(StaticIPText);
    case IP:
        return QString::fromLatin1(NoIPText);
    case MAC:
        return QString::fromLatin1(NoMACText);
    case Subnet:
        return QString::fromLatin1(SameSubnetText);
    default:
        return {};
    }
}

QString GetEntryField(const QString &entry, int k)
{
    if (k < Tag || k > Subnet)
        return {};
    if (entry.isEmpty())
        return DefaultField(k);
    qsizetype open = -1;
    for (int i = 0; i <= k; ++i) {
        open = entry.indexOf(QLatin1Char('['), open + 1);
        if (open < 0)
            return DefaultField(k);
    }
    const qsizetype start = open + 1;
    const qsizetype close = entry.indexOf(QLatin1Char(']'), start);
    return close < 0 ? entry.mid(start) : entry.mid(start, close - start);
}

bool SameEntry(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace DeviceEntry
