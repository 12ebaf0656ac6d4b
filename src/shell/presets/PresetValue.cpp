#include "shell/presets/PresetValue.h"

QStringList PresetValue::parse(const QString &value)
{
    QStringList parts;
    QString current;
    auto flush = [&] {
        if (!current.isEmpty())
            parts.append(current);
        current.clear();
    };
    for (const QChar c : value) {
        if (c == QLatin1Char(',') || c.isSpace())
            flush();
        else
            current.append(c);
    }
    flush();
    for (int next = 1; parts.size() < RoutedOutputs; ++next)
        parts.append(QString::number(next));
    return parts;
}

QString PresetValue::join(const QStringList &parts)
{
    return parts.join(QLatin1Char(','));
}

std::optional<int> PresetValue::number(const QString &part)
{
    bool ok = false;
    const int value = part.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<int> PresetValue::routedInput(const QString &part)
{
    const std::optional<int> value = number(part);
    if (!value || *value < 1 || *value > RoutedOutputs)
        return std::nullopt;
    return value;
}
