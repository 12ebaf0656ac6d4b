#include "PageMessages.h"

#include "shell/presets/PresetValue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>

namespace Bridge::Web {

namespace {

/// The largest whole number a JavaScript number holds exactly.
constexpr double LargestId = 9007199254740991.0;

std::optional<int> WholeNumber(const QJsonValue &value, int lowest, int highest)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::floor(number) != number || number < lowest || number > highest)
        return std::nullopt;
    return int(number);
}

QString RangeError(const char *field, int highest)
{
    return QStringLiteral("\"") + QLatin1String(field) +
           QStringLiteral("\" must be a whole number from 1 to ") + QString::number(highest);
}

QByteArray Compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void PutId(QJsonObject &object, std::optional<qint64> id)
{
    if (id)
        object.insert(QStringLiteral("id"), double(*id));
}

QJsonArray Labels(const std::vector<Videohub::Label> &labels)
{
    QJsonArray array;
    for (const Videohub::Label &label : labels)
        array.append(label.text);
    return array;
}

} // namespace

PageCommand ParsePageCommand(QByteArrayView message)
{
    PageCommand command;
    if (message.size() > MaxCommandBytes) {
        command.error = QStringLiteral("message too long: ") + QString::number(message.size()) +
                        QStringLiteral(" bytes, at most ") + QString::number(MaxCommandBytes);
        return command;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(message.data(), message.size()), &parseError);
    if (!document.isObject()) {
        command.error = parseError.error != QJsonParseError::NoError
                            ? QStringLiteral("not JSON: ") + parseError.errorString() +
                                  QStringLiteral(" at byte ") + QString::number(parseError.offset)
                            : QStringLiteral("not a JSON object");
        return command;
    }
    const QJsonObject object = document.object();

    if (object.contains(QStringLiteral("id"))) {
        const QJsonValue id = object.value(QStringLiteral("id"));
        const double number = id.toDouble();
        if (!id.isDouble() || std::floor(number) != number || std::fabs(number) > LargestId) {
            command.error = QStringLiteral("\"id\" must be a whole number");
            return command;
        }
        command.id = qint64(number);
    }

    const QJsonValue type = object.value(QStringLiteral("type"));
    if (!type.isString()) {
        command.error = QStringLiteral("\"type\" must be a text: \"route\" or \"preset\"");
        return command;
    }
    if (type.toString() == QLatin1String("route")) {
        const auto output = WholeNumber(object.value(QStringLiteral("output")), 1, MaxPortNumber);
        const auto input = WholeNumber(object.value(QStringLiteral("input")), 1, MaxPortNumber);
        if (!output || !input) {
            command.error = RangeError(output ? "input" : "output", MaxPortNumber);
            return command;
        }
        command.kind = PageCommand::Kind::Route;
        command.output = *output;
        command.input = *input;
    } else if (type.toString() == QLatin1String("preset")) {
        const auto number = WholeNumber(object.value(QStringLiteral("number")), 1, PresetCount);
        if (!number) {
            command.error = RangeError("number", PresetCount);
            return command;
        }
        command.kind = PageCommand::Kind::Preset;
        command.preset = *number;
    } else {
        command.error =
            QStringLiteral("unknown command \"") + type.toString().left(40) + QLatin1Char('"');
    }
    return command;
}

QList<PresetView> PresetViews(const QList<PresetRow> &presets)
{
    QList<PresetView> views;
    for (const PresetRow &row : presets) {
        PresetView view{row.name, {}};
        for (int output = 1; output <= PresetValue::RoutedOutputs; ++output)
            view.routing.append(
                PresetValue::routedInput(row.routing.value(output - 1)).value_or(0));
        views.append(view);
    }
    return views;
}

QByteArray StateMessage(const Videohub::HubState &hub, const QList<PresetView> &presets)
{
    const Videohub::PortCounts ports = hub.device.ports;
    QList<int> inputs(qsizetype(ports.outputs), 0);
    for (const Videohub::Route &route : hub.routing) {
        if (route.output >= 1 && route.output <= ports.outputs)
            inputs[route.output - 1] = route.input;
    }
    QJsonArray routing;
    for (int input : inputs)
        routing.append(input);

    QJsonArray presetArray;
    for (int n = 0; n < int(presets.size()); ++n) {
        const PresetView &preset = presets[n];
        QJsonArray presetRouting;
        bool active = hub.device.present && ports.outputs > 0;
        for (int output = 1; output <= int(preset.routing.size()); ++output) {
            const int input = preset.routing[output - 1];
            presetRouting.append(input);
            if (output <= ports.outputs)
                active = active && input >= 1 && input == inputs[output - 1];
        }
        presetArray.append(QJsonObject{{QStringLiteral("number"), n + 1},
                                       {QStringLiteral("name"), preset.name},
                                       {QStringLiteral("routing"), presetRouting},
                                       {QStringLiteral("active"), active}});
    }

    return Compact({{QStringLiteral("type"), QStringLiteral("state")},
                    {QStringLiteral("online"), hub.device.present},
                    {QStringLiteral("model"), hub.device.modelName},
                    {QStringLiteral("inputs"), Labels(hub.inputLabels)},
                    {QStringLiteral("outputs"), Labels(hub.outputLabels)},
                    {QStringLiteral("routing"), routing},
                    {QStringLiteral("presets"), presetArray}});
}

QByteArray DoneMessage(std::optional<qint64> id, const QString &failure)
{
    QJsonObject object{{QStringLiteral("type"), QStringLiteral("done")},
                       {QStringLiteral("ok"), failure.isEmpty()}};
    PutId(object, id);
    if (!failure.isEmpty())
        object.insert(QStringLiteral("message"), failure);
    return Compact(object);
}

QByteArray ErrorMessage(std::optional<qint64> id, const QString &text)
{
    QJsonObject object{{QStringLiteral("type"), QStringLiteral("error")},
                       {QStringLiteral("message"), text}};
    PutId(object, id);
    return Compact(object);
}

} // namespace Bridge::Web
