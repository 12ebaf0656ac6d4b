#include "SimFrontPanelScript.h"

#include <QFile>
#include <QList>

#include <algorithm>

namespace SimFrontPanelScript {

namespace {

std::optional<int> Number(const QByteArray &field, int min, int max)
{
    bool ok = false;
    const int value = field.toInt(&ok);
    // toInt() takes a sign and surrounding blanks; a step is plain digits.
    const bool digits =
        std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!ok || !digits || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<SimFrontPanelStep> Step(const QByteArray &line, int ports)
{
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() != 4 || fields[1] != "route")
        return std::nullopt;
    const auto delay = Number(fields[0], 0, MaxDelayMs);
    const auto output = Number(fields[2], 1, ports);
    const auto input = Number(fields[3], 1, ports);
    if (!delay || !output || !input)
        return std::nullopt;
    return SimFrontPanelStep{std::chrono::milliseconds(*delay), *output, *input};
}

} // namespace

std::optional<std::vector<SimFrontPanelStep>> Parse(QByteArrayView text, int ports, QString *error)
{
    std::vector<SimFrontPanelStep> steps;
    const QList<QByteArray> lines = text.toByteArray().split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const auto step = Step(line, ports);
        if (!step) {
            *error = QStringLiteral("line %1: expected \"MS route OUTPUT INPUT\" with MS 0..%2 "
                                    "and ports 1..%3")
                         .arg(i + 1)
                         .arg(MaxDelayMs)
                         .arg(ports);
            return std::nullopt;
        }
        steps.push_back(*step);
    }
    return steps;
}

std::optional<std::vector<SimFrontPanelStep>> Load(const QString &path, int ports, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return std::nullopt;
    }
    // Read one byte more than allowed, so that a longer file (or a pipe) shows itself.
    const QByteArray text = file.read(MaxFileBytes + 1);
    if (text.size() > MaxFileBytes) {
        *error = path + QStringLiteral(": longer than %1 bytes").arg(MaxFileBytes);
        return std::nullopt;
    }
    const auto steps = Parse(text, ports, error);
    if (!steps)
        *error = path + QStringLiteral(": ") + *error;
    return steps;
}

} // namespace SimFrontPanelScript
