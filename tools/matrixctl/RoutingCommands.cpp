// routing and route: reading and setting which input feeds each output.

#include "CommandTable.h"
#include "ExitCodes.h"
#include "Output.h"
#include "Session.h"
#include "shell/devicestatus/SwitcherQueries.h"

#include "shell/ShellContext.h"
#include "shell/routing/RoutingController.h"

#include <QJsonArray>

namespace {

struct Route
{
    int output = 0;
    int input = 0;
};

QString RouteLine(const Route &route)
{
    return PortName(true, route.output) + QStringLiteral(": ") + PortName(false, route.input);
}

QJsonArray RoutesJson(const QList<Route> &routes)
{
    QJsonArray array;
    for (const Route &route : routes)
        array.append(QJsonObject{{QStringLiteral("output"), route.output},
                                 {QStringLiteral("input"), route.input}});
    return array;
}

/// What the command line asks for: "all" stands for every output, known once the size is.
struct Request
{
    QList<Route> routes;
    int allFrom = 0; ///< input for every output, when OUT was "all"
};

std::optional<Request> ParseRequest(CommandContext &context, QString *error)
{
    Request request;
    const QString map = context.value(QStringLiteral("map"));
    if (context.isSet(QStringLiteral("map"))) {
        if (!context.arguments().isEmpty()) {
            *error = QStringLiteral("give either IN OUT... or --map, not both");
            return std::nullopt;
        }
        const QStringList inputs = map.split(QLatin1Char(','));
        for (int i = 0; i < inputs.size(); ++i) {
            const std::optional<int> input = PortNumber(inputs[i].trimmed());
            if (!input) {
                *error = QStringLiteral("--map: \"") + inputs[i] +
                         QStringLiteral("\" is not an input number");
                return std::nullopt;
            }
            request.routes.append({i + 1, *input});
        }
        return request;
    }
    if (context.arguments().size() < 2) {
        *error = QStringLiteral("give an input and at least one output, or --map");
        return std::nullopt;
    }
    const std::optional<int> input = PortNumber(context.argument(0));
    if (!input) {
        *error = QStringLiteral("\"") + context.argument(0) +
                 QStringLiteral("\" is not an input number");
        return std::nullopt;
    }
    for (const QString &text : context.arguments().mid(1)) {
        if (text.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
            request.allFrom = *input;
            continue;
        }
        const std::optional<int> output = PortNumber(text);
        if (!output) {
            *error = QStringLiteral("\"") + text + QStringLiteral("\" is not an output number");
            return std::nullopt;
        }
        request.routes.append({*output, *input});
    }
    return request;
}

} // namespace

int RunRouting(CommandContext &context)
{
    int exitCode = 0;
    SwitcherSize size;
    const std::unique_ptr<Session> session = context.connectSized(exitCode, size);
    if (!session)
        return exitCode;
    const std::optional<QList<int>> inputs = ReadRouting(session->gate(), size.outputs);
    if (!inputs)
        return session->report(context.out());
    QList<Route> routes;
    QStringList lines;
    for (int output = 1; output <= inputs->size(); ++output) {
        routes.append({output, inputs->at(output - 1)});
        lines.append(RouteLine(routes.last()));
    }
    context.out().result(lines, {{QStringLiteral("routing"), RoutesJson(routes)}});
    return 0;
}

int RunRoute(CommandContext &context)
{
    QString error;
    std::optional<Request> request = ParseRequest(context, &error);
    if (!request)
        return context.usage(error);

    // The switcher says how many ports it has; nothing is routed outside them.
    int exitCode = 0;
    SwitcherSize size;
    const std::unique_ptr<Session> session = context.connectSized(exitCode, size);
    if (!session)
        return exitCode;
    if (request->allFrom > 0) {
        for (int output = 1; output <= size.outputs; ++output)
            request->routes.append({output, request->allFrom});
    }
    for (const Route &route : std::as_const(request->routes)) {
        if (!size.hasInput(route.input) || !size.hasOutput(route.output)) {
            return context.usage(PortName(true, route.output) + QStringLiteral(" from ") +
                                 PortName(false, route.input) +
                                 QStringLiteral(": the switcher has inputs 1..") +
                                 QString::number(size.inputs) + QStringLiteral(" and outputs 1..") +
                                 QString::number(size.outputs));
        }
    }

    RoutingController routing(session->context());
    QList<Route> done;
    QStringList lines;
    for (const Route &route : std::as_const(request->routes)) {
        if (!routing.route(route.output, route.input)) {
            context.out().result(lines, {{QStringLiteral("routed"), RoutesJson(done)}});
            return session->report(context.out());
        }
        done.append(route);
        lines.append(RouteLine(route));
    }
    context.out().result(lines, {{QStringLiteral("routed"), RoutesJson(done)}});
    return 0;
}
