// matrixctl as a program against the simulator over a pseudo-terminal and loopback TCP: the
// bytes on the wire, the text and JSON it writes, and its exit codes. The silent switcher runs
// in-process on the virtual clock, where the link's three 5 s time-outs take milliseconds.

#include "LinkRig.h"
#include "TestFiles.h"
#include "TestLine.h"

#include "Matrixctl.h"
#include "SimEdid.h"
#include "SimFirmware.h"
#include "SimPty.h"
#include "SimTcpServer.h"
#include "SwitcherDevice.h"
#include "link/QtTransportFactory.h"
#include "link/SerialEndpoint.h"
#include "shell/settings/IniDocument.h"
#include "shell/settings/SettingsStore.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

using Line = TestLine;

const QString SimAddress = QStringLiteral("127.0.0.41");

struct Finished
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

/// The simulator on a pseudo-terminal and on 127.0.0.41:8000, served by this process's
/// event loop while matrixctl runs as a process of its own.
struct Sim
{
    Sim()
    {
        QVERIFY2(pty.open(), qPrintable(pty.errorString()));
        QVERIFY2(server.listen(QHostAddress(SimAddress)), qPrintable(server.errorString()));
    }

    QStringList connection(Line line) const
    {
        return line == Line::Pty ? QStringList{QStringLiteral("--port"), pty.slavePath()}
                                 : QStringList{QStringLiteral("--host"), SimAddress};
    }

    /// Runs matrixctl to its end while the simulator answers.
    Finished run(const QStringList &arguments,
                 const QString &program = QStringLiteral(MATRIXCTL_PROGRAM))
    {
        // The module takes one client at a time: the previous run's connection must be gone.
        const QDeadlineTimer deadline(20000);
        while (server.hasClient() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForStarted(5000))
            return {};
        while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QByteArray received() const { return device.state().receivedBytes(); }

    SwitcherDevice device;
    SimPty pty{device};
    SimTcpServer server{device};
};

/// matrixctl's commands in this process on the virtual clock, against the simulator on a
/// pseudo-terminal: the link's waits of seconds take milliseconds.
struct InProcess
{
    InProcess()
    {
        QVERIFY(pty.open());
        clock.setRealPausePerStep(200us);
        env.out = &out;
        env.err = &err;
        env.clock = &clock;
        env.transports = [](std::uint16_t port) {
            return std::make_unique<QtTransportFactory>(port);
        };
        env.settings = SettingsLocation::inDirectory(folder.path());
        env.workingDir = folder.path();
    }

    int operator()(const QStringList &arguments)
    {
        out.close();
        err.close();
        out.setData({});
        err.setData({});
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        return RunMatrixctl(arguments, env);
    }

    SwitcherDevice device;
    SimPty pty{device};
    QTemporaryDir folder;
    QBuffer out;
    QBuffer err;
    VirtualClock clock;
    Environment env;
};

QByteArray Frames(std::initializer_list<TCommandFrame> frames)
{
    QByteArray bytes;
    for (const TCommandFrame &frame : frames)
        bytes += AsBytes(frame);
    return bytes;
}

const TCommandFrame SizeQuery = MakeFrame(1, 2, 0xFE);

QJsonObject Json(const QByteArray &text)
{
    return QJsonDocument::fromJson(text).object();
}

/// A copy of matrixctl in a folder of its own, so that its Settings.ini (beside it, as the
/// desktop program's) is the test's.
QString PlaceProgram(const QString &folder)
{
    const QString target = folder + QStringLiteral("/matrixctl");
    if (::link(MATRIXCTL_PROGRAM, QFile::encodeName(target).constData()) != 0)
        QFile::copy(QStringLiteral(MATRIXCTL_PROGRAM), target);
    return target;
}

} // namespace

class MatrixctlTest : public QObject
{
    Q_OBJECT
private slots:
    void route_data() { AddLineRows(); }
    void route()
    {
        QFETCH(Line, line);
        Sim sim;
        Finished done = sim.run(sim.connection(line) + QStringList{"route", "3", "2"});
        QCOMPARE(done.exitCode, 0);
        QCOMPARE(done.out, QByteArray("Output2: Input3\n"));
        QCOMPARE(done.err, QByteArray());
        // The size first, then the route.
        QCOMPARE(sim.received(), Frames({SizeQuery, MakeFrame(2, 3, 3, 2)}));
        QCOMPARE(sim.device.state().routing[1], std::uint8_t(3));

        sim.device.state().clearLogs();
        done = sim.run(sim.connection(line) + QStringList{"--json", "route", "--map", "4,3,2,1"});
        QCOMPARE(done.exitCode, 0);
        const QJsonArray routed = Json(done.out).value("routed").toArray();
        QCOMPARE(routed.size(), 4);
        QCOMPARE(routed.at(0).toObject(), (QJsonObject{{"output", 1}, {"input", 4}}));
        QCOMPARE(sim.received(), Frames({SizeQuery, MakeFrame(2, 3, 4, 1), MakeFrame(2, 3, 3, 2),
                                         MakeFrame(2, 3, 2, 3), MakeFrame(2, 3, 1, 4)}));

        // Outside the switcher's size nothing is routed.
        sim.device.state().clearLogs();
        done = sim.run(sim.connection(line) + QStringList{"route", "5", "1"});
        QCOMPARE(done.exitCode, 2);
        QCOMPARE(sim.received(), Frames({SizeQuery}));
    }

    void eightPortSwitcher_data() { AddLineRows(); }
    void eightPortSwitcher()
    {
        // The size comes from the switcher: ports 5..8 of an 8x8 switcher are routed.
        QFETCH(Line, line);
        Sim sim;
        sim.device.state().inputs = 8;
        sim.device.state().outputs = 8;
        Finished done = sim.run(sim.connection(line) + QStringList{"route", "6", "7"});
        QCOMPARE(done.exitCode, 0);
        QCOMPARE(sim.received(), Frames({SizeQuery, MakeFrame(2, 3, 6, 7)}));
        done = sim.run(sim.connection(line) + QStringList{"status", "--json"});
        QCOMPARE(Json(done.out).value("inputs").toInt(), 8);
    }

    void status_data() { AddLineRows(); }
    void status()
    {
        QFETCH(Line, line);
        Sim sim;
        sim.device.state().displayConnected[1] = false;
        Finished done = sim.run(sim.connection(line) + QStringList{"status"});
        QCOMPARE(done.exitCode, 0);
        QCOMPARE(QString::fromUtf8(done.out).split('\n').mid(0, 4),
                 (QStringList{"Device: HDMI Matrix, 4x4", "Version: 1.2", "Input1: Connected",
                              "Input2: Connected"}));
        QVERIFY(done.out.contains("Input3: Not connected\n"));
        QVERIFY(done.out.endsWith("Output2: Not connected\nOutput3: Not connected\n"
                                  "Output4: Connected\n"));
        QCOMPARE(sim.received().left(39),
                 Frames({MakeFrame(1, 1, 0xFE), SizeQuery, MakeFrame(1, 3, 0xFE)}));
        QCOMPARE(sim.received().size(), qsizetype(11 * FrameSize));

        done = sim.run(sim.connection(line) + QStringList{"status", "--json"});
        QCOMPARE(done.exitCode, 0);
        const QJsonObject status = Json(done.out);
        QCOMPARE(status.value("device").toString(), QStringLiteral("HDMI Matrix"));
        QCOMPARE(status.value("inputs").toInt(), 4);
        QCOMPARE(status.value("version").toString(), QStringLiteral("1.2"));
        QCOMPARE(status.value("outputPorts").toArray().at(1).toObject(),
                 (QJsonObject{{"port", 2}, {"connected", false}}));
    }

    void cannotOpen()
    {
        Sim sim;
        Finished done = sim.run({"--port", "/dev/no-such-tty", "routing"});
        QCOMPARE(done.exitCode, 3);
        QVERIFY2(done.err.startsWith("matrixctl: Open COM [/dev/no-such-tty] failed: "),
                 done.err.constData());
        // Nothing listens on port 1 of the simulator's address.
        done = sim.run({"--host", SimAddress + ":1", "routing"});
        QCOMPARE(done.exitCode, 3);
        QCOMPARE(done.err,
                 QByteArray("matrixctl: Connect 127.0.0.41 failed: Connection refused\n"));
    }

    void portInUse()
    {
        Sim sim;
        // Another program of the project holds the port, opened as they all open it.
        SerialEndpoint holder;
        holder.setTarget(sim.pty.slavePath());
        holder.startOpen();
        QVERIFY2(holder.state() == StreamEndpoint::State::Open, qPrintable(holder.errorString()));
        Finished done = sim.run({"--port", sim.pty.slavePath(), "route", "1", "1"});
        QCOMPARE(done.exitCode, 7);
        QCOMPARE(done.err,
                 "matrixctl: " + sim.pty.slavePath().toUtf8() + " is in use by another program\n");
        holder.close();

        // The module serves the client that came first and drops the next one.
        QTcpSocket first;
        first.connectToHost(SimAddress, SimDefaultTcpPort);
        QVERIFY(first.waitForConnected(5000));
        QTRY_VERIFY(sim.server.hasClient());
        QProcess process;
        process.start(MATRIXCTL_PROGRAM, {"--host", SimAddress, "route", "1", "1"});
        QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, 10000);
        QCOMPARE(process.exitCode(), 7);
        QCOMPARE(process.readAllStandardError(),
                 QByteArray("matrixctl: 127.0.0.41:8000 is in use by another program\n"));
        QCOMPARE(sim.received(), QByteArray());
    }

    void noAnswer()
    {
        InProcess run;
        run.device.faults().arm(SimFault::Silence, SimFaults::Always);
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(run({"--port", run.pty.slavePath(), "routing"}), 4);
        QCOMPARE(run.err.data(),
                 "matrixctl: Time out! (no answer from " + run.pty.slavePath().toUtf8() + ")\n");
        QCOMPARE(run.out.data(), QByteArray());
        // Three attempts of 500 steps of 10 ms each, the size query asked three times.
        QVERIFY(run.clock.elapsedMs() >= 3 * 5000);
        QCOMPARE(run.device.state().receivedBytes(), Frames({SizeQuery, SizeQuery, SizeQuery}));
        QVERIFY(elapsed.elapsed() < 5000);
    }

    void firmwareMergeAndUpload()
    {
        // In-process too: the switcher's restart wait lasts seconds of the clock.
        InProcess run;
        SimFirmware firmware(run.device);
        QByteArray image(600, '\0');
        for (int i = 0; i < image.size(); ++i)
            image[i] = char(i * 7);
        const QString plain = run.folder.filePath("main.bin");
        QFile file(plain);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(image);
        file.close();
        const QString merged = run.folder.filePath("all.fw");
        QCOMPARE(run({"firmware", "merge", "--main", plain, "--main-version", "1.2", "-o", merged}),
                 0);
        QCOMPARE(run.err.data(), QByteArray());

        // Nothing waits for a person: without a terminal --yes is needed.
        QCOMPARE(run({"--port", run.pty.slavePath(), "firmware", "upload", merged}), 2);
        QCOMPARE(run.device.state().received.size(), 0);
        QCOMPARE(run({"--port", run.pty.slavePath(), "--yes", "firmware", "upload", merged}), 0);
        QCOMPARE(firmware.image(1, 1), image);
        QCOMPARE(firmware.versions(1, 1), std::make_pair(std::uint16_t(1), std::uint16_t(2)));
        QVERIFY(run.out.data().contains("Upgrading Part_1.1.1.2 ...\n"));
        QVERIFY(run.out.data().endsWith("Firmware upgrade successfully!\n"));
    }

    void badEdidFile()
    {
        Sim sim;
        QTemporaryDir folder;
        const QString path = folder.filePath("half.bin");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(128, '\0')); // one 128-byte block: the switcher takes 256
        file.close();
        const Finished done = sim.run({"--port", sim.pty.slavePath(), "edid", "write", path, "1"});
        QCOMPARE(done.exitCode, 6);
        QCOMPARE(done.err, "matrixctl: " + path.toUtf8() + ": EDID data not valid.\n");
        // The file is refused before the switcher is asked anything.
        QCOMPARE(sim.received(), QByteArray());
    }

    void presetSaveGoesToTheDesktopSettings()
    {
        Sim sim;
        QTemporaryDir folder;
        const QString program = PlaceProgram(folder.path());
        // The desktop program's file: its serial port is the connection matrixctl uses.
        const QString settings = folder.filePath("Settings.ini");
        IniDocument ini;
        ini.writeString("COM port", "Name", sim.pty.slavePath());
        ini.writeString("Pre-Setting name", "Setting3", "Old");
        ini.writeString("Pre-Setting value", "value3", "1,2,3,4,9");
        ini.writeString("Display tag", "Value", "1");
        QVERIFY(ini.save(settings));
        sim.device.state().routing = {2, 1, 4, 3};

        const Finished done = sim.run({"preset", "save", "3", "Evening"}, program);
        QCOMPARE(done.exitCode, 0);
        QCOMPARE(done.out, QByteArray("3  2,1,4,3  Evening\n"));
        QCOMPARE(sim.received(), Frames({MakeFrame(2, 1, 1), MakeFrame(2, 1, 2), MakeFrame(2, 1, 3),
                                         MakeFrame(2, 1, 4)}));
        IniDocument saved;
        QVERIFY(saved.load(settings));
        const AppSettings desktop = SettingsStore::read(saved);
        QCOMPARE(desktop.presets[2], (PresetRow{"Evening", {"2", "1", "4", "3", "9"}}));
        QCOMPARE(desktop.presets[0], (PresetRow{"Setting1", {"1", "2", "3", "4"}}));
        QVERIFY(desktop.displayTag); // what matrixctl did not change stays

        const Finished listed = sim.run({"preset", "list", "--json"}, program);
        QCOMPARE(
            Json(listed.out).value("presets").toArray().at(2).toObject(),
            (QJsonObject{{"number", 3}, {"name", "Evening"}, {"routing", QJsonArray{2, 1, 4, 3}}}));
    }

    void edidCommandsRunTheEdidPagesSequences_data()
    {
        QTest::addColumn<QStringList>("arguments"); // FILE: a file in the test's folder
        QTest::addColumn<bool>("locked");           // the EDID selector forbids changes
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("frames"); // the command frames the switcher received
        QTest::addColumn<QByteArray>("err");
        const TCommandFrame mode = MakeFrame(3, 11);
        const TCommandFrame prepare = MakeFrame(3, 8, 0xF0);
        QTest::newRow("mode of one input")
            << QStringList{"edid", "mode", "2", "4"} << false << 0
            << Frames({SizeQuery, mode, prepare, MakeFrame(3, 2, 0xF004, 2)}) << QByteArray();
        QTest::newRow("default EDID of all inputs")
            << QStringList{"edid", "mode", "all", "default"} << false << 0
            << Frames({mode, prepare, MakeFrame(3, 9, 0xFE)}) << QByteArray();
        QTest::newRow("copy to all inputs")
            << QStringList{"edid", "copy", "4", "all"} << false << 0
            << Frames({SizeQuery, mode, MakeFrame(1, 5, 4), prepare, MakeFrame(3, 3, 4)})
            << QByteArray();
        QTest::newRow("copy from an output without display")
            << QStringList{"edid", "copy", "3", "1"} << false << 5
            << Frames({SizeQuery, mode, MakeFrame(1, 5, 3)})
            << QByteArray("matrixctl: EDID can not be read because output not connected. "
                          "[Output3]\n");
        QTest::newRow("read a user memory")
            << QStringList{"edid", "read", "user2", "-o", "FILE"} << false
            << 0
            // The frame, then the link's acknowledgement of the block it received.
            << Frames({MakeFrame(3, 5, 0xF200), MakeFrame(3, 5, 0xAA)}) << QByteArray();
        QTest::newRow("write to all inputs")
            << QStringList{"edid", "write", "FILE", "all"} << false << 0
            << Frames({mode, prepare, MakeFrame(3, 6, 0xF0FE)}) << QByteArray();
        QTest::newRow("selector forbids changes")
            << QStringList{"edid", "mode", "1", "1"} << true << 5 << Frames({SizeQuery, mode})
            << QByteArray("matrixctl: Please set [EDID Selector] to [1111] first, otherwise "
                          "EDID software control mode not permitted.\n");
    }

    void edidCommandsRunTheEdidPagesSequences()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, locked);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, frames);
        QFETCH(QByteArray, err);
        InProcess run;
        const QString file = run.folder.filePath("edid.bin");
        const SimEdidBlock valid = SimEdid::Default();
        QVERIFY(WriteFileBytes(file, QByteArray(reinterpret_cast<const char *>(valid.data()),
                                                qsizetype(valid.size()))));
        arguments.replaceInStrings(QStringLiteral("FILE"), file);
        if (locked)
            run.device.state().edidControlMode = EdidControlLocked;

        QCOMPARE(run(QStringList{"--port", run.pty.slavePath()} + arguments), exitCode);
        QCOMPARE(run.err.data(), err);
        QByteArray received;
        for (const QByteArray &unit : run.device.state().received) {
            if (unit.size() == qsizetype(FrameSize))
                received += unit;
        }
        QCOMPARE(received, frames);
    }

    void unreadableSettingsAreNoDefaults()
    {
        InProcess run;
        const QString settings = run.env.settings.filePath();
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(IniDocument::MaxFileSize + 1));
        file.close();
        const QByteArray refused = "matrixctl: Unable to read " + settings.toUtf8() + ": ";
        for (const QStringList &arguments :
             {QStringList{"preset", "list"}, QStringList{"routing"},
              QStringList{"preset", "save", "1", "Stage", "--map", "1,2,3,4"}}) {
            QCOMPARE(run(arguments), 6);
            QVERIFY2(run.err.data().startsWith(refused), run.err.data().constData());
        }
        QCOMPARE(QFileInfo(settings).size(), IniDocument::MaxFileSize + 1);
    }

    void monitorWritesEachChange()
    {
        Sim sim;
        QProcess process;
        QByteArray written;
        connect(&process, &QProcess::readyReadStandardOutput, this,
                [&] { written += process.readAllStandardOutput(); });
        process.start(MATRIXCTL_PROGRAM, {"--host", SimAddress, "monitor", "--json",
                                          "--interval-ms", "20", "--count", "1"});
        // The routing it starts from, one line per output, each written at once.
        QTRY_COMPARE_WITH_TIMEOUT(written.count('\n'), 4, 10000);
        QCOMPARE(Json(written.split('\n').at(1)).value("previous"), QJsonValue());
        sim.device.state().routing[1] = 4; // someone switches on the front panel
        QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, 10000);
        QCOMPARE(process.exitCode(), 0);
        written += process.readAllStandardOutput();
        const QList<QByteArray> lines = written.trimmed().split('\n');
        QCOMPARE(lines.size(), 5);
        const QJsonObject change = Json(lines.last());
        QCOMPARE(change.value("output").toInt(), 2);
        QCOMPARE(change.value("input").toInt(), 4);
        QCOMPARE(change.value("previous").toInt(), 2);
        QVERIFY(!change.value("time").toString().isEmpty());
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no command") << QStringList{} << 2;
        QTest::newRow("unknown command") << QStringList{"reboot"} << 2;
        QTest::newRow("group without command") << QStringList{"preset"} << 2;
        QTest::newRow("route without output") << QStringList{"--port", "x", "route", "1"} << 2;
        QTest::newRow("port and host")
            << QStringList{"--port", "x", "--host", "1.2.3.4", "ir", "on"} << 2;
        QTest::newRow("bad host") << QStringList{"--host", "switcher.local", "routing"} << 2;
        QTest::newRow("reset without terminal")
            << QStringList{"--port", "x", "module", "reset"} << 2;
        QTest::newRow("help") << QStringList{"route", "--help"} << 0;
        QTest::newRow("version") << QStringList{"--version"} << 0;
    }

    void usage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QProcess process;
        process.start(MATRIXCTL_PROGRAM, arguments);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), exitCode);
        QCOMPARE(process.readAllStandardError().isEmpty(), exitCode == 0);
    }
};

QTEST_GUILESS_MAIN(MatrixctlTest)
#include "tst_matrixctl.moc"
