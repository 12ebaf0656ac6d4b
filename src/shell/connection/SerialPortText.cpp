#include "shell/connection/SerialPortText.h"

#include <QStringList>

QString SerialPortDescription(const QString &description, const QString &manufacturer,
                              const QString &serialNumber)
{
    QString lead = description.trimmed();
    QStringList details;
    for (const QString &part : {manufacturer.trimmed(), serialNumber.trimmed()}) {
        if (!part.isEmpty() && !lead.contains(part, Qt::CaseInsensitive))
            details.append(part);
    }
    if (lead.isEmpty() && !details.isEmpty())
        lead = details.takeFirst();
    if (details.isEmpty())
        return lead;
    return lead + QStringLiteral(" (") + details.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString PortListText(const QString &name, const QString &description)
{
    return description.isEmpty() ? name : name + QStringLiteral(" - ") + description;
}
