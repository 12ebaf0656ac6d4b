// File > Export setup... and Import setup... against the simulated switcher over a
// pseudo-terminal and loopback TCP: a round trip gives back the same setup, a damaged or
// foreign file changes nothing, and a failure halfway offers to undo what was done.
#include "LiveRig.h"
#include "TestBytes.h"
#include "TestFiles.h"
#include "WidgetFinder.h"

#include "edid/ui/EdidPage.h"
#include "link/KXCOMControl.h"
#include "shell/ShellContext.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/presets/ui/PresetsView.h"
#include "shell/routing/RoutingState.h"
#include "shell/settings/AppSettings.h"
#include "shell/setup/SetupFile.h"
#include "shell/setup/ui/SetupDialogs.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramMenus.h"

#include <QAction>
#include <QCheckBox>
#include <QTest>

using namespace std::chrono_literals;

namespace {

QList<PresetRow> Presets(const QString &stem, QStringList routing)
{
    QList<PresetRow> rows;
    for (int n = 1; n <= 8; ++n) {
        rows.append({stem + QString::number(n), routing});
        std::rotate(routing.begin(), routing.begin() + 1, routing.end());
    }
    return rows;
}

QByteArray Block(const std::array<std::uint8_t, 256> &bytes)
{
    return AsByteArray(bytes);
}

void SetBlock(std::array<std::uint8_t, 256> &memory, const QByteArray &bytes)
{
    std::copy_n(reinterpret_cast<const std::uint8_t *>(bytes.constData()), 256, memory.begin());
}

/// A room: presets, the tags of the switcher in use, EDID page choices, routing, memories.
void Furnish(LiveRig &rig, const QString &stem, int seed)
{
    rig.windows->presets().setRows(Presets(stem, {"3", "1", "4", "2"}));
    PortTagSet tags;
    tags.inputs = {stem + "Player", "", "Camera", ""};
    tags.outputs = {"", stem + "Projector", "", "Monitor"};
    PortTagsModel &model = rig.context().portTags();
    model.setTags(tags);
    const TKXCOMControl &link = *rig.context().link();
    QVERIFY(model.SavePortTags(link.ControlMode(), rig.context().CurrentDeviceMAC()).ok());
    AppSettings settings;
    rig.windows->edid().collectSettings(settings);
    settings.edid.lists[EdidSelections::Mode] =
        seed == 1 ? "1080p, Stereo Audio 2.0" : "1080i, Dolby/DTS 5.1";
    settings.edid.saveFile = "/tmp/" + stem + ".bin";
    rig.windows->edid().applySettings(settings);
    SetBlock(rig.sim().userMemory[0], ValidEdidBlock(seed));
    SetBlock(rig.sim().userMemory[1], ValidEdidBlock(seed + 10));
}

/// The setup as an export with the user memories writes it now.
std::optional<Setup> Exported(LiveRig &rig, const QString &path)
{
    rig.dialogs.pushModal([](QDialog *dialog) {
        Child<QCheckBox>(dialog, "cbExportUserEdid")->setChecked(true);
        return int(QDialog::Accepted);
    });
    rig.dialogs.pushFileName(path);
    rig.live().menus().mnuExportSetup->trigger();
    return SetupFile::Read(path).setup;
}

QStringList Import(LiveRig &rig, const QString &path)
{
    QStringList shown;
    rig.dialogs.pushFileName(path);
    rig.dialogs.pushModal([&shown](QDialog *dialog) {
        shown = static_cast<SetupImportDialog *>(dialog)->changes();
        return int(QDialog::Accepted);
    });
    rig.live().menus().mnuImportSetup->trigger();
    return shown;
}

} // namespace

class LiveSetupTest : public QObject
{
    Q_OBJECT
private slots:
    void exportThenImportGivesTheSameSetup_data() { AddLineRows(); }
    void exportThenImportGivesTheSameSetup()
    {
        QFETCH(LiveRig::Line, line);
        LiveRig rig(line, QStringLiteral("127.0.0.77"));
        QVERIFY(rig.connect());
        Furnish(rig, QStringLiteral("Hall"), 1);
        rig.sim().routing = {3, 1, 4, 2, 5, 6, 7, 8};
        const QString path = rig.dir.filePath(QStringLiteral("hall.json"));
        const std::optional<Setup> hall = Exported(rig, path);
        QVERIFY(hall);
        QCOMPARE(hall->routing, (QList<int>{3, 1, 4, 2}));
        QCOMPARE(hall->presets, Presets(QStringLiteral("Hall"), {"3", "1", "4", "2"}));
        QVERIFY(hall->userEdid);
        QCOMPARE((*hall->userEdid)[1], ValidEdidBlock(11));

        // Another room's setup, partly on the switcher, partly in the program.
        Furnish(rig, QStringLiteral("Lobby"), 2);
        rig.sim().frontPanelRoute(1, 2);
        rig.clearReceived();
        const QStringList shown = Import(rig, path);
        QVERIFY(shown.contains(QStringLiteral("Output1: Input2 -> Input3")));
        QVERIFY(shown.contains(QStringLiteral("Preset 3: Lobby3 4,2,3,1 -> Hall3 4,2,3,1")));
        QVERIFY(shown.contains(QStringLiteral("User1 EDID: differs")));
        QVERIFY(rig.received().contains(LiveRig::SetRoute(3, 1)));
        QCOMPARE(Block(rig.sim().userMemory[0]), ValidEdidBlock(1));

        const std::optional<Setup> again =
            Exported(rig, rig.dir.filePath(QStringLiteral("again.json")));
        QVERIFY(again);
        QCOMPARE(*again, *hall);
        QVERIFY(rig.dialogs.texts(ScriptedDialogs::Kind::Error).isEmpty());
    }

    void damagedImportChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("said");
        Setup setup;
        setup.presets = Presets("x", {"1", "2", "3", "4"});
        const QByteArray valid = SetupFile::Write(setup);
        QByteArray newer = valid;
        newer.replace("\"version\": 1", "\"version\": 2");
        QByteArray wrongType = valid;
        wrongType.replace("\"name\": \"x3\"", "\"name\": 3");
        QByteArray badRouting = valid;
        badRouting.replace("\"presets\"", "\"routing\": [1, 9],\n    \"presets\"");
        QTest::newRow("cut short") << valid.left(valid.size() / 2) << "is damaged: ";
        QTest::newRow("other program")
            << QByteArray("{\"name\": \"x\"}") << "is not a setup file of this program";
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)
                                << "is not a setup file of this program";
        QTest::newRow("newer format") << newer << "newer version of the program (format 2)";
        QTest::newRow("wrong type") << wrongType << "presets[2].name is not a text";
        QTest::newRow("routing") << badRouting << "routing[1] is not an input 1..8";
    }
    void damagedImportChangesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, said);
        LiveRig rig(LiveRig::Line::Pty);
        QVERIFY(rig.connect());
        Furnish(rig, QStringLiteral("Hall"), 1);
        const QString path = rig.dir.filePath(QStringLiteral("broken.json"));
        QVERIFY(WriteFileBytes(path, content));
        const QByteArray settings = FileBytes(rig.dir.filePath(QStringLiteral("Settings.ini")));
        const QList<PresetRow> presets = rig.windows->presets().rows();
        rig.dialogs.pushFileName(path);
        rig.live().menus().mnuImportSetup->trigger();

        const QString error = rig.dialogs.lastText(ScriptedDialogs::Kind::Error);
        QVERIFY2(error.contains(said), qPrintable(error));
        QVERIFY(error.endsWith(QStringLiteral("Nothing was changed.")));
        QVERIFY(rig.received().isEmpty());
        QCOMPARE(rig.windows->presets().rows(), presets);
        QCOMPARE(FileBytes(rig.dir.filePath(QStringLiteral("Settings.ini"))), settings);
    }

    void failureHalfwayOffersUndo_data() { AddLineRows(); }
    void failureHalfwayOffersUndo()
    {
        QFETCH(LiveRig::Line, line);
        LiveRig rig(line, QStringLiteral("127.0.0.78"));
        QVERIFY(rig.connect());
        rig.sim().routing = {1, 2, 3, 4, 5, 6, 7, 8};
        Setup wanted;
        wanted.routing = {3, 4, 3, 4};
        wanted.presets = Presets(QStringLiteral("Stage"), {"4", "3", "2", "1"});
        const QString path = rig.dir.filePath(QStringLiteral("stage.json"));
        QVERIFY(WriteFileBytes(path, SetupFile::Write(wanted)));
        const QList<PresetRow> presets = rig.windows->presets().rows();
        // The switcher refuses the second route, in all three attempts.
        rig.onFrame([&rig](const TCommandFrame &frame) {
            if (frame[2] == 2 && frame[3] == 3 && frame[6] == 2)
                rig.device.faults().arm(SimFault::Refuse, 1);
        });
        rig.dialogs.pushConfirm(true);
        Import(rig, path);

        QCOMPARE(rig.dialogs.lastText(ScriptedDialogs::Kind::Confirm),
                 QStringLiteral("The import stopped: \"Output2: Input2 -> Input4\" could not be "
                                "made.\nThese changes were made:\nOutput1: Input1 -> Input3\n\n"
                                "Undo them?"));
        QCOMPARE(rig.received().last(), LiveRig::SetRoute(1, 1));
        QCOMPARE(rig.sim().routing[0], std::uint8_t(1));
        QCOMPARE(rig.context().routing().input(1), 1);
        QCOMPARE(rig.windows->presets().rows(), presets);
    }
};

QTEST_MAIN(LiveSetupTest)
#include "tst_live_setup.moc"
