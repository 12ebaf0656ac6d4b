#include "shell/connection/SerialPortLister.h"

#include "shell/connection/SerialPortText.h"

#include <QCollator>
#include <QSerialPortInfo>

#include <algorithm>

QStringList SerialPortLister::ports() const
{
    QStringList names;
    m_descriptions.clear();
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        // QSerialPort opens a port by this short name ("ttyUSB0", "COM3").
        const QString name = info.portName();
        if (name.isEmpty() || names.contains(name))
            continue;
        names.append(name);
        m_descriptions.insert(name, SerialPortDescription(info.description(), info.manufacturer(),
                                                          info.serialNumber()));
    }
    // The enumeration order is not guaranteed; a natural sort keeps the list stable between
    // two timer ticks (so an unchanged system never rebuilds it) and puts ttyS2 before ttyS10.
    QCollator collator;
    collator.setNumericMode(true);
    std::stable_sort(names.begin(), names.end(), [&collator](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
    return names;
}
