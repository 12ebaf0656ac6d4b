// edid read, write, mode and copy: the EDID page's actions, with the same guards (the EDID
// selector must allow software control; a display must be connected to read or copy it).

#include "CommandTable.h"
#include "ExitCodes.h"
#include "Output.h"
#include "Session.h"
#include "shell/devicestatus/SwitcherQueries.h"

#include "edid/EdidBlock.h"
#include "edid/EdidOperations.h"
#include "edid/EdidPortLists.h"
#include "shell/devicestatus/DeviceStatusReader.h"

namespace {

constexpr int UserMemories = 2;

/// A port, all inputs, or a user memory, as the command line names it.
struct Place
{
    enum Kind { Port, All, Memory };
    Kind kind = Port;
    int number = 0; ///< port number, or memory 1..2
};

std::optional<Place> ParsePlace(const QString &text, bool allowAll, bool allowMemory)
{
    const QString lower = text.trimmed().toLower();
    if (allowAll && lower == QLatin1String("all"))
        return Place{Place::All, 0};
    for (int memory = 1; allowMemory && memory <= UserMemories; ++memory) {
        if (lower == QStringLiteral("user") + QString::number(memory))
            return Place{Place::Memory, memory};
    }
    if (const std::optional<int> port = PortNumber(lower))
        return Place{Place::Port, *port};
    return std::nullopt;
}

std::uint16_t MemoryCode(int memory)
{
    return std::uint16_t(EdidPortCodeBase + memory * EdidUserMemoryStep);
}

/// The EDID mode list as the desktop program offers it: without its last entry.
QStringList ModeEntries()
{
    QStringList entries = EdidPortLists::ModeEntries();
    entries.removeLast();
    return entries;
}

/// The entry a MODE argument names: its number in the list, its text (letter case ignored),
/// "user1", "user2" or "default".
int FindMode(const QStringList &entries, const QString &text)
{
    const int last = int(entries.size()) - 1;
    if (const std::optional<int> number = PortNumber(text); number && *number <= last)
        return *number;
    const QString wanted = text.trimmed();
    if (wanted.compare(QLatin1String("default"), Qt::CaseInsensitive) == 0)
        return last;
    for (int entry = 1; entry <= last; ++entry) {
        if (entries[entry].compare(wanted, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return 0;
}

QString ModeList(const QStringList &entries = ModeEntries())
{
    QString list;
    for (int entry = 1; entry < int(entries.size()); ++entry)
        list +=
            QStringLiteral("\n  ") + QString::number(entry) + QStringLiteral("  ") + entries[entry];
    return list;
}

/// The EDID operations of the desktop program's EDID page on the session's link.
class EdidSession
{
public:
    explicit EdidSession(Session &session)
        : m_session(session), m_status(session.context()), m_operations(session.context(), m_status)
    {
    }

    EdidOperations &operations() { return m_operations; }

    /// 0 when done; otherwise the failure written and its exit code.
    int finish(EdidOutcome outcome, Output &out, int output = 0) const
    {
        switch (outcome) {
        case EdidOutcome::Done:
            return 0;
        case EdidOutcome::ControlLocked:
            return out.fail(LinkFailures::Refused, EdidTexts::ControlLocked());
        case EdidOutcome::NoDisplay:
            // One line on a terminal.
            return out.fail(
                LinkFailures::Refused,
                EdidTexts::NoDisplay(output).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
        case EdidOutcome::Failed:
        case EdidOutcome::NothingToSend:
            break;
        }
        return m_session.report(out);
    }

private:
    Session &m_session;
    DeviceStatusReader m_status;
    EdidOperations m_operations;
};

/// The switcher's size, checked against the ports the command names. An exit code when a
/// port is outside it.
std::optional<int> RefuseOutsidePorts(CommandContext &context, Session &session,
                                      std::optional<int> input, std::optional<int> output)
{
    if (!input && !output)
        return std::nullopt;
    const std::optional<SwitcherSize> size = ReadSize(session.gate());
    if (!size)
        return session.report(context.out());
    if (input && !size->hasInput(*input))
        return context.usage(PortName(false, *input) +
                             QStringLiteral(": the switcher has inputs 1..") +
                             QString::number(size->inputs));
    if (output && !size->hasOutput(*output))
        return context.usage(PortName(true, *output) +
                             QStringLiteral(": the switcher has outputs 1..") +
                             QString::number(size->outputs));
    return std::nullopt;
}

/// A session on the switcher, once its size is known to hold the ports the command names;
/// nothing, with the failure written and its exit code in `exitCode`, otherwise.
std::unique_ptr<Session> ConnectFor(CommandContext &context, std::optional<int> input,
                                    std::optional<int> output, int &exitCode)
{
    std::unique_ptr<Session> session = context.connect(exitCode);
    if (!session)
        return nullptr;
    if (const auto refused = RefuseOutsidePorts(context, *session, input, output)) {
        exitCode = *refused;
        return nullptr;
    }
    return session;
}

std::optional<int> PortOf(const Place &place)
{
    return place.kind == Place::Port ? std::optional<int>(place.number) : std::nullopt;
}

QString PlaceText(const Place &place, bool output)
{
    switch (place.kind) {
    case Place::All:
        return QStringLiteral("all inputs");
    case Place::Memory:
        return QStringLiteral("User") + QString::number(place.number) + QStringLiteral(" Memory");
    default:
        return PortName(output, place.number);
    }
}

} // namespace

QString EdidModeHelp()
{
    return QStringLiteral("IN is an input number or \"all\". MODE is a number or a name of this "
                          "list (letter case ignored):") +
           ModeList();
}

int RunEdidRead(CommandContext &context)
{
    const std::optional<Place> source = ParsePlace(context.argument(0), false, true);
    if (!source)
        return context.usage(QStringLiteral("read from an output number, user1 or user2"));
    const QString file = context.value(QStringLiteral("output"));
    if (file.isEmpty())
        return context.usage(QStringLiteral("give the file to write with -o FILE.bin"));

    int exitCode = 0;
    const std::unique_ptr<Session> session = ConnectFor(context, {}, PortOf(*source), exitCode);
    if (!session)
        return exitCode;
    const std::uint16_t code = source->kind == Place::Port
                                   ? std::uint16_t(EdidPortCodeBase + source->number)
                                   : MemoryCode(source->number);
    EdidSession edid(*session);
    QByteArray block;
    const EdidOutcome outcome = edid.operations().read(
        code, PortOf(*source), [&block](const QByteArray &received) { block = received; });
    if (outcome != EdidOutcome::Done)
        return edid.finish(outcome, context.out(), source->number);
    const std::optional<EdidBytes> valid = EdidBlock::Validate(block);
    if (!valid)
        return context.out().fail(LinkFailures::Refused, EdidTexts::InvalidBlock());
    QString error;
    if (!EdidBlock::WriteFile(file, *valid, &error))
        return context.out().fail(LinkFailures::BadInput, file + QStringLiteral(": ") + error);
    context.out().result({QStringLiteral("EDID of ") + PlaceText(*source, true) +
                          QStringLiteral(" written to ") + file},
                         {{QStringLiteral("source"), PlaceText(*source, true)},
                          {QStringLiteral("file"), file},
                          {QStringLiteral("bytes"), int(EDIDBlockSize)}});
    return 0;
}

int RunEdidWrite(CommandContext &context)
{
    const QString file = context.argument(0);
    const std::optional<Place> target = ParsePlace(context.argument(1), true, true);
    if (!target)
        return context.usage(QStringLiteral("write to an input number, all, user1 or user2"));
    // The file is checked before the switcher is asked anything.
    const EdidFileContent content = EdidBlock::ReadFile(file);
    if (content.outcome == EdidFileContent::Outcome::Unreadable)
        return context.out().fail(LinkFailures::BadInput,
                                  file + QStringLiteral(": ") + content.error);
    const std::optional<EdidBytes> block = EdidBlock::Validate(content.bytes);
    if (!block)
        return context.out().fail(LinkFailures::BadInput,
                                  file + QStringLiteral(": EDID data not valid."));

    int exitCode = 0;
    const std::unique_ptr<Session> session = ConnectFor(context, PortOf(*target), {}, exitCode);
    if (!session)
        return exitCode;

    EdidPortLists::Target where{EdidSub::DownloadOne, EdidAllInputsCode};
    if (target->kind == Place::All)
        where.subcommand = EdidSub::DownloadAll;
    else if (target->kind == Place::Port)
        where.code = std::uint16_t(EdidPortCodeBase + target->number);
    else
        where.code = MemoryCode(target->number);
    EdidSession edid(*session);
    const EdidOutcome outcome = edid.operations().download(
        where, [&block] { return std::optional<QByteArray>(EdidBlock::ToByteArray(*block)); });
    if (outcome != EdidOutcome::Done)
        return edid.finish(outcome, context.out());
    context.out().result(
        {file + QStringLiteral(" written to ") + PlaceText(*target, false)},
        {{QStringLiteral("file"), file}, {QStringLiteral("target"), PlaceText(*target, false)}});
    return 0;
}

int RunEdidMode(CommandContext &context)
{
    const std::optional<Place> target = ParsePlace(context.argument(0), true, false);
    if (!target)
        return context.usage(QStringLiteral("set the mode of an input number or all"));
    const QStringList entries = ModeEntries();
    const int mode = FindMode(entries, context.argument(1));
    if (mode == 0)
        return context.usage(QStringLiteral("unknown EDID mode \"") + context.argument(1) +
                             QStringLiteral("\"; the modes are:") + ModeList(entries));

    int exitCode = 0;
    const std::unique_ptr<Session> session = ConnectFor(context, PortOf(*target), {}, exitCode);
    if (!session)
        return exitCode;
    // The last entry restores the default EDID: it has no code.
    EdidSession edid(*session);
    const EdidOutcome outcome =
        edid.operations().setMode(EdidPortLists::ModeCode(entries, mode), PortOf(*target));
    if (outcome != EdidOutcome::Done)
        return edid.finish(outcome, context.out());
    context.out().result({PlaceText(*target, false) + QStringLiteral(": ") + entries[mode]},
                         {{QStringLiteral("target"), PlaceText(*target, false)},
                          {QStringLiteral("mode"), entries[mode]}});
    return 0;
}

int RunEdidCopy(CommandContext &context)
{
    const std::optional<int> output = PortNumber(context.argument(0));
    const std::optional<Place> target = ParsePlace(context.argument(1), true, false);
    if (!output || !target)
        return context.usage(
            QStringLiteral("copy from an output number to an input number or all"));

    int exitCode = 0;
    const std::unique_ptr<Session> session = ConnectFor(context, PortOf(*target), output, exitCode);
    if (!session)
        return exitCode;
    EdidSession edid(*session);
    const EdidOutcome outcome = edid.operations().copy(*output, PortOf(*target));
    if (outcome != EdidOutcome::Done)
        return edid.finish(outcome, context.out(), *output);
    context.out().result({QStringLiteral("EDID of ") + PortName(true, *output) +
                          QStringLiteral(" copied to ") + PlaceText(*target, false)},
                         {{QStringLiteral("source"), PortName(true, *output)},
                          {QStringLiteral("target"), PlaceText(*target, false)}});
    return 0;
}
