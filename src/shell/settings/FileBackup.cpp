#include "shell/settings/FileBackup.h"

#include <QFile>

QString KeepCopyBeside(const QString &path, const QString &label, const QDateTime &moment)
{
    // A few names are enough: two copies within one second are already unusual.
    constexpr int Attempts = 10;
    const QString base = path + QLatin1Char('.') + label + QLatin1Char('-') +
                         moment.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n <= Attempts; ++n) {
        const QString copy = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        if (QFile::copy(path, copy))
            return copy;
        if (!QFile::exists(copy))
            return {};
    }
    return {};
}
