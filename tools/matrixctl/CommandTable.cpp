#include "CommandTable.h"

#include <QHash>

namespace {

const QString Outputs = QStringLiteral("OUT is an output number from 1, or \"all\".");

QHash<QString, QCommandLineOption> OptionRegistry()
{
    QHash<QString, QCommandLineOption> options;
    auto add = [&options](const QStringList &names, const QString &description,
                          const QString &valueName = {}) {
        options.insert(names.last(), QCommandLineOption(names, description, valueName));
    };
    add({QStringLiteral("map")},
        QStringLiteral("inputs of outputs 1, 2, 3, ... in order, e.g. 3,1,4,2"),
        QStringLiteral("inputs"));
    add({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("the file to write"),
        QStringLiteral("file"));
    add({QStringLiteral("interval-ms")},
        QStringLiteral("time between two polls in milliseconds (default 1000)"),
        QStringLiteral("ms"));
    add({QStringLiteral("count")}, QStringLiteral("end after this many changes"),
        QStringLiteral("n"));
    add({QStringLiteral("broadcast")},
        QStringLiteral("ask on the broadcast address of this network interface"),
        QStringLiteral("interface"));
    for (const char *part : {"main", "slave", "ir", "panel"}) {
        const QString name = QLatin1String(part);
        add({name}, QStringLiteral("firmware image of the ") + name + QStringLiteral(" MCU"),
            QStringLiteral("file.bin"));
        add({name + QStringLiteral("-version")},
            QStringLiteral("its version, e.g. 1.2 (default 0.0)"), QStringLiteral("v1.v2"));
    }
    return options;
}

const QHash<QString, QCommandLineOption> &Registry()
{
    static const QHash<QString, QCommandLineOption> registry = OptionRegistry();
    return registry;
}

} // namespace

QList<QCommandLineOption> GlobalOptions()
{
    return {
        {QStringLiteral("port"), QStringLiteral("serial port of the switcher, e.g. /dev/ttyUSB0"),
         QStringLiteral("device")},
        {QStringLiteral("host"),
         QStringLiteral("the switcher's network module (TCP port 8000 unless given)"),
         QStringLiteral("address[:port]")},
        {QStringLiteral("json"), QStringLiteral("machine-readable output (one JSON document)")},
        {{QStringLiteral("y"), QStringLiteral("yes")},
         QStringLiteral("confirm firmware upload and module reset without asking")},
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("show the help")},
        {QStringLiteral("version"), QStringLiteral("show matrixctl's version")},
    };
}

QCommandLineOption CommandOption(const QString &name)
{
    return Registry().value(name, QCommandLineOption(name));
}

QList<QCommandLineOption> AllCommandOptions()
{
    return Registry().values();
}

const std::vector<CommandEntry> &Commands()
{
    static const std::vector<CommandEntry> commands = {
        {QStringLiteral("status"),
         {},
         QStringLiteral("device kind, size, version, and the ports' connections"),
         {},
         {},
         0,
         0,
         RunStatus},
        {QStringLiteral("routing"),
         {},
         QStringLiteral("which input feeds each output"),
         {},
         {},
         0,
         0,
         RunRouting},
        {QStringLiteral("route"),
         QStringLiteral("IN OUT... | --map IN1,IN2,..."),
         QStringLiteral("route an input to outputs, or every output at once"),
         QStringLiteral("IN OUT...: input IN to each output OUT. ") + Outputs +
             QStringLiteral("\n--map 3,1,4,2: output 1 from input 3, output 2 from input 1, "
                            "and so on.\nThe switcher's size is read first; ports outside it "
                            "are refused."),
         {QStringLiteral("map")},
         0,
         -1,
         RunRoute},
        {QStringLiteral("monitor"),
         {},
         QStringLiteral("one line per routing change, with a timestamp"),
         QStringLiteral("Reads the routing of every output, then again every interval, and "
                        "writes the routing it started from and each change. Ends on Ctrl-C "
                        "(exit 0), after --count changes, or when the switcher stops "
                        "answering."),
         {QStringLiteral("interval-ms"), QStringLiteral("count")},
         0,
         0,
         RunMonitor},
        {QStringLiteral("preset list"),
         {},
         QStringLiteral("the eight presets of the desktop program"),
         {},
         {},
         0,
         0,
         RunPresetList},
        {QStringLiteral("preset apply"),
         QStringLiteral("N|NAME"),
         QStringLiteral("route the outputs as preset N (1..8) or NAME says"),
         {},
         {},
         1,
         1,
         RunPresetApply},
        {QStringLiteral("preset save"),
         QStringLiteral("N NAME"),
         QStringLiteral("store the switcher's routing (or --map) as preset N"),
         QStringLiteral("Writes only that preset into the desktop program's Settings.ini."),
         {QStringLiteral("map")},
         2,
         2,
         RunPresetSave},
        {QStringLiteral("tags"),
         {},
         QStringLiteral("the port tags the desktop program keeps"),
         {},
         {},
         0,
         0,
         RunTags},
        {QStringLiteral("edid read"),
         QStringLiteral("OUT|user1|user2 -o FILE.bin"),
         QStringLiteral("read the EDID of an output's display or a user memory"),
         {},
         {QStringLiteral("output")},
         1,
         1,
         RunEdidRead},
        {QStringLiteral("edid write"),
         QStringLiteral("FILE.bin IN|all|user1|user2"),
         QStringLiteral("download an EDID file to inputs or a user memory"),
         {},
         {},
         2,
         2,
         RunEdidWrite},
        {QStringLiteral("edid mode"),
         QStringLiteral("IN|all MODE"),
         QStringLiteral("set the EDID mode of an input or of all inputs"),
         EdidModeHelp(),
         {},
         2,
         2,
         RunEdidMode},
        {QStringLiteral("edid copy"),
         QStringLiteral("OUT IN|all"),
         QStringLiteral("copy the EDID of an output's display to inputs"),
         {},
         {},
         2,
         2,
         RunEdidCopy},
        {QStringLiteral("ir"),
         QStringLiteral("on|off"),
         QStringLiteral("switch the infrared remote control on or off"),
         {},
         {},
         1,
         1,
         RunIr},
        {QStringLiteral("firmware merge"),
         QStringLiteral("--main FILE.bin [--main-version 1.2] [--slave ...] [--ir ...] "
                        "[--panel ...] [-o FILE.fw]"),
         QStringLiteral("merge firmware images into one .fw file"),
         QStringLiteral("Without -o the file is named as the desktop program names it, in the "
                        "current folder."),
         {QStringLiteral("main"), QStringLiteral("main-version"), QStringLiteral("slave"),
          QStringLiteral("slave-version"), QStringLiteral("ir"), QStringLiteral("ir-version"),
          QStringLiteral("panel"), QStringLiteral("panel-version"), QStringLiteral("output")},
         0,
         0,
         RunFirmwareMerge},
        {QStringLiteral("firmware upload"),
         QStringLiteral("FILE.fw"),
         QStringLiteral("send a merged firmware file, then restart the switcher"),
         QStringLiteral("Asks on a terminal; needs --yes otherwise."),
         {},
         1,
         1,
         RunFirmwareUpload},
        {QStringLiteral("module discover"),
         {},
         QStringLiteral("find network modules (UDP 30600)"),
         QStringLiteral("Asks the module at --host only, on the broadcast address of the "
                        "interface --broadcast names,\nor on every network (255.255.255.255)."),
         {QStringLiteral("broadcast")},
         0,
         0,
         RunModuleDiscover},
        {QStringLiteral("module query"),
         {},
         QStringLiteral("the network module's version and address (serial port only)"),
         {},
         {},
         0,
         0,
         RunModuleQuery},
        {QStringLiteral("module reset"),
         {},
         QStringLiteral("reset the network module to its defaults (serial port only)"),
         QStringLiteral("Asks on a terminal; needs --yes otherwise."),
         {},
         0,
         0,
         RunModuleReset},
    };
    return commands;
}
