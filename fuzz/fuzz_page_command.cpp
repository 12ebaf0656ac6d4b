// Text messages from a control page through the command parser. Every message is either
// refused with a reason or a command whose numbers are in range; a command written back as
// JSON reads the same.
#include "PageMessages.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdint>
#include <cstdlib>

using namespace Bridge::Web;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

QByteArray Written(const PageCommand &command)
{
    QJsonObject object;
    if (command.kind == PageCommand::Kind::Route)
        object = {{"type", "route"}, {"output", command.output}, {"input", command.input}};
    else
        object = {{"type", "preset"}, {"number", command.preset}};
    if (command.id)
        object.insert(QStringLiteral("id"), double(*command.id));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView message(reinterpret_cast<const char *>(data), qsizetype(size));
    const PageCommand command = ParsePageCommand(message);
    switch (command.kind) {
    case PageCommand::Kind::Invalid:
        Check(!command.error.isEmpty());
        return 0;
    case PageCommand::Kind::Route:
        Check(command.output >= 1 && command.output <= MaxPortNumber);
        Check(command.input >= 1 && command.input <= MaxPortNumber);
        break;
    case PageCommand::Kind::Preset:
        Check(command.preset >= 1 && command.preset <= PresetCount);
        break;
    }
    Check(message.size() <= MaxCommandBytes);
    const PageCommand again = ParsePageCommand(Written(command));
    Check(again.kind == command.kind && again.output == command.output &&
          again.input == command.input && again.preset == command.preset && again.id == command.id);
    return 0;
}
